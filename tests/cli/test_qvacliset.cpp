// qva-cli set, run as a process on setup files: what it changes, the
// backup it keeps, and that a refusal or a failure leaves the file as it was.

#include <cerrno>

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "clitestsupport.h"
#include "config/qvasetupfiler.h"
#include "platform/filepaths.h"
#include "platform/qvaerrors.h"
#include "platform/registeredfilepath.h"
#include "support/filesizelimit.h"
#include "support/testenvironment.h"

namespace {

QStringList Backups() {
  return QDir(GetFolder(FileType::SaveBackups)).entryList(QDir::Files, QDir::Name);
}

QByteArray Dump(const QString& path) {
  const CliResult result = RunQvaCli({QStringLiteral("dump"), path});
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  return result.out;
}

QString Text(const QString& relative, const QByteArray& bytes) {
  const QString path = TestEnvironment::PathIn(relative);
  WriteAll(path, bytes);
  return path;
}

}  // namespace

TEST(CliSet, ChangesTheNamedFieldsListsThemAndKeepsAReadOnlyBackup) {
  const QString path = WriteSetup(QStringLiteral("Workshop.Q11"), SampleConfig());
  const QByteArray before = ReadAll(path);
  const CliResult result = RunQvaCli(
      {QStringLiteral("set"), path, QStringLiteral("display_config.filter_time=5"),
       QStringLiteral("sensor_type=0x03"), QStringLiteral("output_table[1].output_name=\"Lambda 2\""),
       QStringLiteral("output_table[0].values[3]=1500, -200")});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.out.isEmpty());
  const QString backup = JoinPath(GetFolder(FileType::SaveBackups), QStringLiteral("Workshop - 000.Q11"));
  EXPECT_EQ(QString::fromLocal8Bit(result.err),
            QStringLiteral("sensor_type: 2 -> 3\n"
                           "display_config.filter_time: 25 -> 5\n"
                           "output_table[0].values[3]: 1500, 200 -> 1500, -200\n"
                           "output_table[1].output_name: \"AFR\" -> \"Lambda 2\"\n"
                           "4 fields changed; backup: ") +
                backup + QLatin1Char('\n'));

  const QByteArray dump = Dump(path);
  for (const char* line :
       {"display_config.filter_time = 5\n", "sensor_type = 3\n",
        "output_table[1].output_name = \"Lambda 2\"\n", "output_table[0].values[3] = 1500, -200\n",
        "version = 110\n", "cfg_crc16 = 48879\n"}) {
    EXPECT_TRUE(dump.contains(line)) << line;
  }
  EXPECT_EQ(Backups(), QStringList{QStringLiteral("Workshop - 000.Q11")});
  EXPECT_TRUE(IsReadOnly(backup));
  EXPECT_EQ(ReadAll(backup), before);
}

TEST(CliSet, AnUnchangedDumpAppliedBackChangesNothingAndWritesNothing) {
  QVA_CONFIG_DATA config = SampleConfig({.version = 100});
  config.output_table[0].output_name[10] = 'Q';  // after the terminator: dump does not show it
  const QString path = WriteSetup(QStringLiteral("Old.QV1"), config);
  const QByteArray before = ReadAll(path);
  const QString dump = Text(QStringLiteral("old.txt"), Dump(path));
  const CliResult result = RunQvaCli({QStringLiteral("set"), path, QStringLiteral("--from"), dump});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "No field changed.\n");
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_TRUE(Backups().isEmpty());
}

TEST(CliSet, AnotherFilesDumpMakesTheDumpsIdentical) {
  const QString source = WriteSetup(QStringLiteral("Car1.Q11"), SampleConfig({.seed = 9}));
  const QString target = WriteSetup(QStringLiteral("Car2.Q11"), SampleConfig({.seed = 1, .sensorType = 1}));
  const QByteArray dump = Dump(source);
  QByteArray edited = "# Car1, as dumped\r\n\r\n" + dump;
  edited.replace('\n', "\r\n");
  const CliResult result = RunQvaCli(
      {QStringLiteral("set"), target, QStringLiteral("--from"), Text(QStringLiteral("car1.txt"), edited)});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.err.contains("fields changed; backup: ")) << result.err.toStdString();
  EXPECT_EQ(Dump(target), dump);
  EXPECT_EQ(Backups(), QStringList{QStringLiteral("Car2 - 000.Q11")});
}

struct RefusedSet {
  const char* title;
  QStringList arguments;  // after "set FILE"; DUMP stands for a dump with a bad second line
  const char* message;
};

class CliSetRefused : public ::testing::TestWithParam<RefusedSet> {};

TEST_P(CliSetRefused, ExitsTwoAndLeavesTheFileByteForByteWithoutBackup) {
  const QString path = WriteSetup(QStringLiteral("Workshop.Q11"), SampleConfig());
  const QByteArray before = ReadAll(path);
  const QString dump =
      Text(QStringLiteral("bad.txt"), "sensor_type = 3\noutput_table[0].values[1] = 1, 2, 3\n");
  QStringList arguments = GetParam().arguments;
  arguments.replaceInStrings(QStringLiteral("DUMP"), dump);
  const CliResult result = RunQvaCli(QStringList{QStringLiteral("set"), path} + arguments);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.out.isEmpty());
  EXPECT_EQ(QString::fromLocal8Bit(result.err),
            QString::fromUtf8(GetParam().message).replace(QStringLiteral("DUMP"), dump) + QLatin1Char('\n'));
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_TRUE(Backups().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Assignments, CliSetRefused,
    ::testing::Values(
        RefusedSet{"UnknownNameAfterAGoodOne",
                   {"sensor_type=3", "foo=1"},
                   "Unknown field \"foo\". (qva-cli dump FILE lists the names.)"},
        RefusedSet{"OutOfRange",
                   {"display_config.filter_time=300", "sensor_type=3"},
                   "display_config.filter_time: \"300\" is not a whole number from 0 to 255."},
        RefusedSet{"NameTooLong",
                   {"output_table[0].output_name=Lambda sensor one"},
                   "output_table[0].output_name: \"Lambda sensor one\" is longer than 15 characters."},
        RefusedSet{
            "Checksum",
            {"cfg_crc16=0"},
            "cfg_crc16 cannot be set: the checksum is computed whenever the configuration is sent to the "
            "meter."},
        RefusedSet{"BadDumpLine",
                   {"--from", "DUMP"},
                   "DUMP:2: output_table[0].values[1]: \"1, 2, 3\" is not a table row \"input, output\" of "
                   "whole numbers from -32768 to 32767."}),
    [](const ::testing::TestParamInfo<RefusedSet>& param) { return param.param.title; });

TEST(CliSet, AMissingDumpIsRefusedWithItsPath) {
  const QString path = WriteSetup(QStringLiteral("Workshop.Q11"), SampleConfig());
  const CliResult result = RunQvaCli({QStringLiteral("set"), path, QStringLiteral("--from"),
                                      TestEnvironment::PathIn(QStringLiteral("missing.txt"))});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(result.err), TestEnvironment::PathIn(QStringLiteral("missing.txt")) +
                                                    QStringLiteral(":\n") + SystemErrorText(ENOENT) +
                                                    QLatin1Char('\n'));
}

TEST(CliSet, AReadOnlyOrMissingFileIsRefusedWithItsPath) {
  const QString readOnly = WriteSetup(QStringLiteral("Locked.Q11"), SampleConfig());
  SetReadOnly(readOnly, true);
  const QByteArray before = ReadAll(readOnly);
  const CliResult locked = RunQvaCli({QStringLiteral("set"), readOnly, QStringLiteral("sensor_type=3")});
  EXPECT_EQ(locked.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(locked.err),
            readOnly + QStringLiteral(":\n") + SystemErrorText(kAccessDeniedCode) + QLatin1Char('\n'));
  EXPECT_EQ(ReadAll(readOnly), before);

  const QString missing = TestEnvironment::PathIn(QStringLiteral("Missing.Q11"));
  const CliResult absent = RunQvaCli({QStringLiteral("set"), missing, QStringLiteral("sensor_type=3")});
  EXPECT_EQ(absent.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(absent.err),
            missing + QStringLiteral(":\n") + SystemErrorText(ENOENT) + QLatin1Char('\n'));
  EXPECT_FALSE(QFileInfo::exists(missing));
  EXPECT_TRUE(Backups().isEmpty());
}

TEST(CliSet, AFullDiskLeavesTheFileAndMakesNoBackup) {
  const QString path = WriteSetup(QStringLiteral("Workshop.Q11"), SampleConfig());
  const QByteArray before = ReadAll(path);
  GetFolder(FileType::SaveBackups);  // the folder exists before the limit applies
  const CliResult result = RunQvaCli({QStringLiteral("set"), path, QStringLiteral("sensor_type=3")},
                                     [] { LimitFileSizeOfThisProcess(500); });
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(result.err), path + QStringLiteral(":\nFile write error\n"));
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_TRUE(Backups().isEmpty());
}
