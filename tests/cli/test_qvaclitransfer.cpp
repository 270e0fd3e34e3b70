// qva-cli get and send against qva-device-sim over a pseudo-terminal: the
// real serial stack, the core's procedures and the exit codes a script sees.

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "platform/registeredfilepath.h"
#include "platform/filepaths.h"
#include "clitestsupport.h"
#include "comms/devicecommands.h"
#include "comms/portdevices.h"
#include "comms/qvaserialcomms.h"
#include "comms/transferprocedures.h"
#include "config/qvasetupfiler.h"
#include "simprocess.h"
#include "support/filesizelimit.h"
#include "support/testenvironment.h"

namespace {

const QString kNoSensorText = QStringLiteral(
    "No sensor type has been selected for the current configuration.\nYou must select a sensor type before "
    "attempting to send the configuration");
const QString kCopyErrorText = QStringLiteral("There was an error copying the configuration to the QVA.\n");

// A port that cannot be opened: a command that must not touch the line
// would end with the link's exit code 5 if it tried.
QString NoPort() {
  return TestEnvironment::PathIn(QStringLiteral("no-such-port"));
}

QString Out(const QString& name) {
  return TestEnvironment::PathIn(QStringLiteral("out/") + name);
}

QStringList StatusLines(const QByteArray& err) {
  QStringList lines = QString::fromLocal8Bit(err).split(QLatin1Char('\n'));
  lines.removeAll(QString());
  return lines;
}

int Count(const QByteArray& haystack, const QString& needle) {
  return static_cast<int>(QString::fromLocal8Bit(haystack).count(needle));
}

QByteArray HostBytes(const QVA_CONFIG_DATA& config) {
  return QByteArray(reinterpret_cast<const char*>(&config), kConfigSize);
}

QByteArray DeviceBytes(const QJsonObject& state, const char* key) {
  return QByteArray::fromHex(state.value(QLatin1String(key)).toString().toLatin1());
}

QStringList DeviceBackups() {
  return QDir(GetFolder(FileType::FromDeviceBackups)).entryList(QDir::Files, QDir::Name);
}

// Everything but cfg_crc16, which the meter holds sealed.
void ExpectSameRecordApartFromCrc(const QVA_CONFIG_DATA& actual, const QVA_CONFIG_DATA& expected) {
  QByteArray a = HostBytes(actual);
  QByteArray b = HostBytes(expected);
  a.replace(2, 2, QByteArray(2, '\0'));
  b.replace(2, 2, QByteArray(2, '\0'));
  EXPECT_EQ(a.toHex(), b.toHex());
}

}  // namespace

TEST(CliGet, WritesTheMetersConfigurationToANewFile) {
  const QVA_CONFIG_DATA stored = SampleConfig({.seed = 1});
  SimProcess sim({QStringLiteral("--config"), WriteSetup(QStringLiteral("meter.Q11"), stored)});
  ASSERT_TRUE(sim.Started());
  const QString out = Out(QStringLiteral("FromMeter.Q11"));
  const CliResult result =
      RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), sim.Port(), QStringLiteral("-o"), out});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.out.isEmpty());
  const QStringList status = StatusLines(result.err);
  ASSERT_GE(status.size(), 3);
  EXPECT_EQ(status.mid(0, 3),
            (QStringList{QStringLiteral("Checking firmware version."), QStringLiteral("Reading config."),
                         QStringLiteral("Read Config OK")}));
  const QVA_CONFIG_DATA received = ReadSetupFile(out);
  ExpectSameRecordApartFromCrc(received, stored);
  // The host record keeps the CRC the meter sent.
  const QVA_CONFIG_DATA sealed = SealForDevice(stored);
  EXPECT_EQ(int{received.cfg_crc16}, int{ConfigImageCrc(sealed)});
}

TEST(CliGet, UpgradesAConfigurationOfAnOlderVersion) {
  QVA_CONFIG_DATA old = SampleConfig({.seed = 1});
  old.version = 100;
  old.display_config.output_to_display = 0;
  old.output_table[1].decimal_places = 3;
  SimProcess sim({QStringLiteral("--config"), WriteSetup(QStringLiteral("old.Q11"), old)});
  ASSERT_TRUE(sim.Started());
  const QString out = Out(QStringLiteral("Upgraded.Q11"));
  const CliResult result =
      RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), sim.Port(), QStringLiteral("-o"), out});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  const QVA_CONFIG_DATA received = ReadSetupFile(out);
  EXPECT_EQ(int{received.version}, 110);
  EXPECT_EQ(received.display_config.table2_decimal_places, 2);
  EXPECT_EQ(Count(result.err, QStringLiteral("upgraded from version 100")), 1) << result.err.toStdString();
}

TEST(CliGet, RefusesToReplaceAFileWithoutForceBeforeOpeningThePort) {
  const QString out = WriteSetup(QStringLiteral("out/Existing.Q11"), SampleConfig());
  const QByteArray before = ReadAll(out);
  const CliResult result =
      RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), NoPort(), QStringLiteral("-o"), out});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(result.err),
            out + QStringLiteral(" already exists.\nUse --force to replace it.\n"));
  EXPECT_EQ(ReadAll(out), before);
}

TEST(CliGet, ForceReplacesAnExistingFile) {
  SimProcess sim(
      {QStringLiteral("--config"), WriteSetup(QStringLiteral("meter.Q11"), SampleConfig({.seed = 1}))});
  ASSERT_TRUE(sim.Started());
  const QString out = WriteSetup(QStringLiteral("out/Existing.Q11"), SampleConfig());
  const CliResult result = RunQvaCli({QStringLiteral("get"), QStringLiteral("--force"),
                                      QStringLiteral("--port"), sim.Port(), QStringLiteral("-o"), out});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  ExpectSameRecordApartFromCrc(ReadSetupFile(out), SampleConfig({.seed = 1}));
}

TEST(CliGet, AFullDiskIsAFileWriteErrorAndKeepsTheOldFile) {
  SimProcess sim({QStringLiteral("--config"), WriteSetup(QStringLiteral("meter.Q11"), SampleConfig({.seed = 1}))});
  ASSERT_TRUE(sim.Started());
  const QString out = WriteSetup(QStringLiteral("out/Existing.Q11"), SampleConfig());
  const QByteArray before = ReadAll(out);
  // Room for about half a setup file, as on a disk that fills up.
  const CliResult result = RunQvaCli({QStringLiteral("get"), QStringLiteral("--force"), QStringLiteral("--port"),
                                      sim.Port(), QStringLiteral("-o"), out},
                                     [] { LimitFileSizeOfThisProcess(500); });
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(QString::fromLocal8Bit(result.err).endsWith(out + QStringLiteral(":\nFile write error\n")))
      << result.err.toStdString();
  EXPECT_EQ(Count(result.err, QStringLiteral("Configuration written")), 0);
  EXPECT_EQ(ReadAll(out), before);
  EXPECT_EQ(QDir(QFileInfo(out).absolutePath()).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("Existing.Q11")});
}

TEST(CliGet, ForceNeverReplacesAReadOnlyFileOrAFolder) {
  const QString readOnly = WriteSetup(QStringLiteral("out/Backup - 000.Q11"), SampleConfig());
  SetReadOnly(readOnly, true);
  const QByteArray before = ReadAll(readOnly);
  const QString folder =
      QFileInfo(TestEnvironment::PathIn(QStringLiteral("out/Folder.Q11/x"))).absolutePath();
  // Each with its real cause: a folder is not refused for permission.
  const std::pair<QString, int> outputs[] = {{readOnly, EACCES}, {folder, EISDIR}};
  for (const auto& [out, cause] : outputs) {
    const CliResult result = RunQvaCli({QStringLiteral("get"), QStringLiteral("--force"),
                                        QStringLiteral("--port"), NoPort(), QStringLiteral("-o"), out});
    EXPECT_EQ(result.exitCode, 2) << out.toStdString();
    EXPECT_EQ(QString::fromLocal8Bit(result.err),
              out + QStringLiteral(":\n") + SystemErrorText(cause) + QLatin1Char('\n'));
  }
  EXPECT_EQ(ReadAll(readOnly), before);
  EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST(CliGet, AnOutputFolderThatIsNotThereIsRefusedBeforeThePortIsOpened) {
  const QString plainFile = WriteSetup(QStringLiteral("out/plain.Q11"), SampleConfig());
  struct Case {
    QString out;
    int code;
  };
  for (const Case& bad : {Case{TestEnvironment::Root() + QStringLiteral("/missing/x.Q11"), ENOENT},
                          Case{plainFile + QStringLiteral("/x.Q11"), ENOTDIR}}) {
    const CliResult result =
        RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), NoPort(), QStringLiteral("-o"), bad.out});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(QString::fromLocal8Bit(result.err),
              bad.out + QStringLiteral(":\n") + SystemErrorText(bad.code) + QLatin1Char('\n'));
  }
}

TEST(CliGet, ABadCrcIsNotValidAndWritesNothing) {
  SimProcess sim({QStringLiteral("--bad-crc"), QStringLiteral("--config"),
                  WriteSetup(QStringLiteral("meter.Q11"), SampleConfig({.seed = 1}))});
  ASSERT_TRUE(sim.Started());
  const QString out = Out(QStringLiteral("Bad.Q11"));
  const CliResult result =
      RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), sim.Port(), QStringLiteral("-o"), out});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_TRUE(StatusLines(result.err).contains(QStringLiteral("Config CRC Error")));
  const QString notValid =
      QStringLiteral("The configuration stored in the QVA is not valid.\nYou should send a configuration file to the QVA.");
  EXPECT_TRUE(QString::fromLocal8Bit(result.err).endsWith(notValid + QLatin1Char('\n')));
  EXPECT_FALSE(QFileInfo::exists(out));
}

TEST(CliGet, AMeterThatBypassesItsCrcCheckIsTaken) {
  SimProcess sim({QStringLiteral("--bad-crc"), QStringLiteral("--crc-bypass"), QStringLiteral("--config"),
                  WriteSetup(QStringLiteral("meter.Q11"), SampleConfig({.seed = 1}))});
  ASSERT_TRUE(sim.Started());
  const QString out = Out(QStringLiteral("Bypass.Q11"));
  const CliResult result =
      RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), sim.Port(), QStringLiteral("-o"), out});
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  ExpectSameRecordApartFromCrc(ReadSetupFile(out), SampleConfig({.seed = 1}));
}

TEST(CliGet, NewerFirmwareIsAVersionMismatch) {
  SimProcess sim({QStringLiteral("--firmware"), QStringLiteral("120")});
  ASSERT_TRUE(sim.Started());
  const QString out = Out(QStringLiteral("Newer.Q11"));
  const CliResult result =
      RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), sim.Port(), QStringLiteral("-o"), out});
  EXPECT_EQ(result.exitCode, 4);
  // One blank line between the paragraphs, as in the desktop program's box.
  EXPECT_EQ(Count(result.err, QStringLiteral("The configuration could not be retrieved from the QVA.\n\nThe QVA "
                                             "firmware version (V1.2) is newer than this version of QVA Setup "
                                             "(V1.1). \n\nThe correct version of QVA Setup for this QVA is "
                                             "available from the Ulmora website.\n")),
            1)
      << result.err.toStdString();
  EXPECT_FALSE(result.err.contains('\r'));
  EXPECT_FALSE(QFileInfo::exists(out));
  EXPECT_EQ(sim.Stop().value(QStringLiteral("requests")).toInt(), 1);
}

TEST(CliGet, FirmwareWord119IsRead) {
  SimProcess sim({QStringLiteral("--firmware"), QStringLiteral("119")});
  ASSERT_TRUE(sim.Started());
  const CliResult result = RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), sim.Port(),
                                      QStringLiteral("-o"), Out(QStringLiteral("Ok.Q11"))});
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
}

TEST(CliGet, ANakOnEveryAttemptIsALinkFailure) {
  QStringList faults;
  for (int exchange = 1; exchange <= 4; ++exchange)
    faults << QStringLiteral("--fault") << QStringLiteral("%1:nak:4").arg(exchange);
  SimProcess sim(faults);
  ASSERT_TRUE(sim.Started());
  const QString out = Out(QStringLiteral("Nak.Q11"));
  const CliResult result =
      RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), sim.Port(), QStringLiteral("-o"), out});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_EQ(Count(result.err, NakErrorText(4)), 1) << result.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(out));
}

TEST(CliGet, OneLostAnswerIsRetriedByTheLink) {
  SimProcess sim({QStringLiteral("--fault"), QStringLiteral("2:header-crc")});
  ASSERT_TRUE(sim.Started());
  const CliResult result = RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), sim.Port(),
                                      QStringLiteral("-o"), Out(QStringLiteral("Retried.Q11"))});
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
}

TEST(CliGet, ASilentMeterIsALinkFailure) {
  QStringList faults;
  for (int exchange = 1; exchange <= 4; ++exchange)
    faults << QStringLiteral("--fault") << QStringLiteral("%1:silence").arg(exchange);
  SimProcess sim(faults);
  ASSERT_TRUE(sim.Started());
  const QString out = Out(QStringLiteral("Silent.Q11"));
  const CliResult result =
      RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), sim.Port(), QStringLiteral("-o"), out});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_FALSE(result.err.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(out));
}

TEST(CliGet, APortThatCannotBeOpenedIsALinkFailureNamingIt) {
  const CliResult result = RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), NoPort(),
                                      QStringLiteral("-o"), Out(QStringLiteral("None.Q11"))});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_EQ(Count(result.err, NoPort()), 1) << result.err.toStdString();
}

namespace {

// Runs qva-cli from the test's own folder.
CliResult RunQvaCliInTestFolder(const QStringList& arguments) {
  const QString previous = QDir::currentPath();
  QDir::setCurrent(TestEnvironment::Root());
  const CliResult result = RunQvaCli(arguments);
  QDir::setCurrent(previous);
  return result;
}

}  // namespace

TEST(CliGet, ADevicePathIsUsedAsGivenFromTheWorkingDirectory) {
  SimProcess sim({QStringLiteral("--config"), WriteSetup(QStringLiteral("meter.Q11"), SampleConfig({.seed = 1}))});
  ASSERT_TRUE(sim.Started());
  const QString link = QDir(TestEnvironment::Root()).absoluteFilePath(QStringLiteral("link"));
  ASSERT_TRUE(QFile::link(sim.Port(), link));
  const QString out = Out(QStringLiteral("Link.Q11"));
  const CliResult result = RunQvaCliInTestFolder(
      {QStringLiteral("get"), QStringLiteral("--port"), QStringLiteral("link"), QStringLiteral("-o"), out});
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  ExpectSameRecordApartFromCrc(ReadSetupFile(out), SampleConfig({.seed = 1}));
}

TEST(CliGet, AMissingRelativeDeviceIsLookedForInTheWorkingDirectoryOnly) {
#ifndef Q_OS_LINUX
  GTEST_SKIP() << "the message names Linux";
#endif
  const QString device = QDir(TestEnvironment::Root()).absoluteFilePath(QStringLiteral("null"));
  const CliResult result = RunQvaCliInTestFolder({QStringLiteral("get"), QStringLiteral("--port"),
                                                  QStringLiteral("null"), QStringLiteral("-o"),
                                                  Out(QStringLiteral("Null.Q11"))});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_EQ(QString::fromLocal8Bit(result.err),
            QStringLiteral("An error occurred while opening communication port null (") + device +
                QStringLiteral(").\nLinux reported the following error : ") + SystemErrorText(ENOENT) +
                QStringLiteral(".\nYou should close all other programs and try the operation again.\n"));
}

TEST(CliGet, ADeviceWhoseSettingsCannotBeReadSaysSo) {
#ifndef Q_OS_LINUX
  GTEST_SKIP() << "the message names Linux";
#endif
  const CliResult result = RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), QStringLiteral("/dev/null"),
                                      QStringLiteral("-o"), Out(QStringLiteral("Null.Q11"))});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_EQ(QString::fromLocal8Bit(result.err),
            QStringLiteral("There was an internal error while retrieving parameters for communication port "
                           "/dev/null.\n\nYou should contact your Ulmora dealer for advice.\nLinux reported the "
                           "following error : ") +
                SystemErrorText(ENOTTY) +
                QStringLiteral(" when attempting to get the communication port state.\n"));
}

TEST(CliGet, APortNameMapsToTheDeviceStoredForIt) {
  SimProcess sim(
      {QStringLiteral("--config"), WriteSetup(QStringLiteral("meter.Q11"), SampleConfig({.seed = 1}))});
  ASSERT_TRUE(sim.Started());
  if (!PortDevicesConfigurable()) GTEST_SKIP() << "port names are devices of their own here";
  SetPortDevice(QStringLiteral("COM3"), sim.Port());
  const QString out = Out(QStringLiteral("Com3.Q11"));
  const CliResult result = RunQvaCli(
      {QStringLiteral("get"), QStringLiteral("--port"), QStringLiteral("COM3"), QStringLiteral("-o"), out});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  ExpectSameRecordApartFromCrc(ReadSetupFile(out), SampleConfig({.seed = 1}));
}

TEST(CliSend, StoresTheConfigurationAndKeepsTheMetersOldOne) {
  const QVA_CONFIG_DATA old = SampleConfig({.seed = 1});
  SimProcess sim({QStringLiteral("--config"), WriteSetup(QStringLiteral("meter.Q11"), old)});
  ASSERT_TRUE(sim.Started());
  const QVA_CONFIG_DATA sent = SampleConfig();
  const CliResult result = RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), sim.Port(),
                                      WriteSetup(QStringLiteral("Workshop.Q11"), sent)});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_EQ(StatusLines(result.err),
            (QStringList{QStringLiteral("Reading config."), QStringLiteral("Saving old configuration"),
                         QStringLiteral("Checking firmware version."), QStringLiteral("Sending config."),
                         QStringLiteral("Copying config to EE."), QStringLiteral("Waiting for result."),
                         QStringLiteral("Config sent ok.")}));
  const QJsonObject state = sim.Stop();
  EXPECT_EQ(state.value(QStringLiteral("copy_successes")).toInt(), 1);
  EXPECT_EQ(DeviceBytes(state, "stored_config").toHex(), HostBytes(SealForDevice(sent)).toHex());
  ASSERT_EQ(DeviceBackups(), QStringList{QStringLiteral("QVA Backup - 000.Q11")});
  const QString backup =
      JoinPath(GetFolder(FileType::FromDeviceBackups), QStringLiteral("QVA Backup - 000.Q11"));
  ExpectSameRecordApartFromCrc(ReadSetupFile(backup), old);
  EXPECT_TRUE(IsReadOnly(backup));
}

TEST(CliSend, NoSensorTypeStopsBeforeThePortIsOpened) {
  QVA_CONFIG_DATA config = SampleConfig();
  config.sensor_type = 0;
  const CliResult result = RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), NoPort(),
                                      WriteSetup(QStringLiteral("None.Q11"), config)});
  EXPECT_EQ(result.exitCode, 7);
  EXPECT_EQ(QString::fromLocal8Bit(result.err), kNoSensorText + QLatin1Char('\n'));
}

TEST(CliSend, AnUnreadableFileStopsBeforeThePortIsOpened) {
  const QString path = TestEnvironment::PathIn(QStringLiteral("Short.Q11"));
  WriteAll(path, SetupFileBytes(SampleConfig()).left(943));
  const CliResult result = RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), NoPort(), path});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(result.err), path + QStringLiteral(":\nFile format not valid\n"));
}

TEST(CliSend, FirmwareOtherThan11IsAVersionMismatchAfterTheBackup) {
  SimProcess sim({QStringLiteral("--firmware"), QStringLiteral("105"), QStringLiteral("--config"),
                  WriteSetup(QStringLiteral("meter.Q11"), SampleConfig({.seed = 1}))});
  ASSERT_TRUE(sim.Started());
  const CliResult result = RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), sim.Port(),
                                      WriteSetup(QStringLiteral("W.Q11"), SampleConfig())});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_EQ(Count(result.err, QStringLiteral("The configuration could not be sent to the QVA.\n\nThe QVA firmware "
                                             "version (V1.0) is not compatible with this version of QVA Setup "
                                             "(V1.1). \n\nThe correct version of QVA Setup for this QVA is "
                                             "available from the Ulmora website.\n")),
            1)
      << result.err.toStdString();
  EXPECT_FALSE(result.err.contains('\r'));
  EXPECT_EQ(sim.Stop().value(QStringLiteral("copies")).toInt(), 0);
  EXPECT_EQ(DeviceBackups().size(), 1);
}

TEST(CliSend, AMeterWithABadCrcIsNotBackedUpButStillReceives) {
  SimProcess sim({QStringLiteral("--bad-crc"), QStringLiteral("--config"),
                  WriteSetup(QStringLiteral("meter.Q11"), SampleConfig({.seed = 1}))});
  ASSERT_TRUE(sim.Started());
  const CliResult result = RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), sim.Port(),
                                      WriteSetup(QStringLiteral("W.Q11"), SampleConfig())});
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_FALSE(StatusLines(result.err).contains(QStringLiteral("Saving old configuration")));
  EXPECT_TRUE(DeviceBackups().isEmpty());
  EXPECT_EQ(sim.Stop().value(QStringLiteral("copy_successes")).toInt(), 1);
}

TEST(CliSend, AnOldFileIsUpgradedBeforeTheMeterGetsIt) {
  QVA_CONFIG_DATA old = SampleConfig();
  old.version = 100;
  old.display_config.output_to_display = 1;
  old.display_config.table1_decimal_places = 2;
  old.output_table[0].decimal_places = 3;
  SimProcess sim(QStringList{});
  ASSERT_TRUE(sim.Started());
  const CliResult result = RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), sim.Port(),
                                      WriteSetup(QStringLiteral("Old.QV1"), old)});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  QVA_CONFIG_DATA upgraded = old;
  ASSERT_TRUE(UpgradeConfig(upgraded));
  EXPECT_EQ(DeviceBytes(sim.Stop(), "stored_config").toHex(), HostBytes(SealForDevice(upgraded)).toHex());
}

struct CopyCase {
  const char* title;
  int failingCopies;
  int retries;
  int exitCode;
  int copies;  // full writes the meter saw
};

class CliSendCopy : public ::testing::TestWithParam<CopyCase> {};

TEST_P(CliSendCopy, RetriesAFailedCopyAsOftenAsAllowed) {
  const CopyCase& copy = GetParam();
  SimProcess sim({QStringLiteral("--fail-copies"), QString::number(copy.failingCopies)});
  ASSERT_TRUE(sim.Started());
  const CliResult result =
      RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), sim.Port(), QStringLiteral("--retries"),
                 QString::number(copy.retries), WriteSetup(QStringLiteral("W.Q11"), SampleConfig())});
  EXPECT_EQ(result.exitCode, copy.exitCode) << result.err.toStdString();
  EXPECT_EQ(Count(result.err, kCopyErrorText), std::min(copy.failingCopies, copy.retries + 1));
  EXPECT_EQ(Count(result.err, QStringLiteral("Sending config.")), copy.copies);
  const QJsonObject state = sim.Stop();
  EXPECT_EQ(state.value(QStringLiteral("copies")).toInt(), copy.copies);
  EXPECT_EQ(state.value(QStringLiteral("copy_successes")).toInt(), copy.exitCode == 0 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Copies, CliSendCopy,
                         ::testing::Values(CopyCase{"FailsWithoutRetries", 1, 0, 6, 1},
                                           CopyCase{"TwoRetriesThenSuccess", 2, 2, 0, 3},
                                           CopyCase{"RetriesRunOut", 3, 2, 6, 3},
                                           CopyCase{"UnusedRetries", 0, 5, 0, 1}),
                         [](const ::testing::TestParamInfo<CopyCase>& param) { return param.param.title; });

TEST(CliSend, ALinkFailureWhileWritingIsExitFive) {
  // Exchanges 1-6 read the old configuration, 7 the firmware; 8 is the
  // first chunk of the new image.
  QStringList faults;
  for (int exchange = 8; exchange <= 11; ++exchange)
    faults << QStringLiteral("--fault") << QStringLiteral("%1:nak:6").arg(exchange);
  SimProcess sim(faults);
  ASSERT_TRUE(sim.Started());
  const CliResult result = RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), sim.Port(),
                                      WriteSetup(QStringLiteral("W.Q11"), SampleConfig())});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_EQ(Count(result.err, NakErrorText(6)), 1) << result.err.toStdString();
  EXPECT_EQ(sim.Stop().value(QStringLiteral("copies")).toInt(), 0);
}
