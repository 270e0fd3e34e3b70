// The Get and Send procedures over the real port against qva-device-sim on
// a pseudo-terminal. Expected texts are written out as the user reads them.

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonObject>

#include "platform/registeredfilepath.h"
#include "comms/qvaserialcomms.h"
#include "platform/sleeper.h"
#include "comms/transferprocedures.h"
#include "config/qvasetupfiler.h"
#include "support/samplerecords.h"
#include "support/devicesimulator.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"

namespace {

class RecordingProgress : public TransferProgress {
 public:
  void Status(const QString& text) override { texts.push_back(text); }
  std::vector<QString> texts;
};

// The 1000 ms waits after the final status only slow the tests down; the
// 50 ms polls of the copy are real, since the meter takes its time.
class NoWait : public Sleeper {
 public:
  void Sleep(int milliseconds) override {
    waits.push_back(milliseconds);
    if (milliseconds < 1000) real_.Sleep(milliseconds);
  }
  std::vector<int> waits;

 private:
  RealSleeper real_;
};

QString BackupFolder() {
  const QString folder = TestEnvironment::PathIn(QStringLiteral("Config/From Device Backups/"));
  SetFolder(FileType::FromDeviceBackups, QDir::cleanPath(folder));
  return folder;
}

QByteArray StoredHex(const QJsonObject& state) {
  return state.value(QStringLiteral("stored_config")).toString().toLatin1();
}

QByteArray HexOf(const QVA_CONFIG_DATA& image) {
  const ConfigBytes bytes = ConfigToBytes(image);
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())).toHex();
}

}  // namespace

TEST(TransferE2E, GetReceivesTheStoredConfiguration) {
  const QVA_CONFIG_DATA stored = SampleConfig({.seed = 5});
  DeviceSimulator sim({QStringLiteral("--config"), WriteSetup(QStringLiteral("stored.Q11"), stored)});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  QVASerialComms comms(sim.PortPath());
  RecordingProgress progress;
  ScriptedPrompter prompter;
  NoWait sleeper;
  const GetOutcome outcome = RunGetProcedure(comms, progress, prompter, sleeper);
  ASSERT_EQ(outcome.result, GetOutcome::Result::Received);
  EXPECT_EQ(outcome.config->user_cal_resistor, stored.user_cal_resistor);
  EXPECT_EQ(outcome.config->pid_settings.heater.p, stored.pid_settings.heater.p);
  EXPECT_EQ(outcome.config->reserved2[1], 0x81);
  EXPECT_EQ(progress.texts.back(), QStringLiteral("Read Config OK"));
  EXPECT_EQ(sleeper.waits, std::vector<int>{1000});  // no retries were needed
}

TEST(TransferE2E, Firmware120IsRefusedForGetAndSend) {
  DeviceSimulator sim({QStringLiteral("--firmware"), QStringLiteral("120")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  BackupFolder();
  QVASerialComms comms(sim.PortPath());
  RecordingProgress progress;
  NoWait sleeper;
  ScriptedPrompter prompter;
  prompter.ExpectMessage(
      QStringLiteral("The configuration could not be retrieved from the QVA.\n\n\rThe QVA firmware version "
                     "(V1.2) is newer than "
                     "this version of QVA Setup (V1.1). \n\n\rThe correct version of QVA Setup for this QVA "
                     "is available from the "
                     "Ulmora website."));
  prompter.ExpectMessage(
      QStringLiteral("The configuration could not be sent to the QVA.\n\n\rThe QVA firmware version (V1.2) "
                     "is not compatible with "
                     "this version of QVA Setup (V1.1). \n\n\rThe correct version of QVA Setup for this QVA "
                     "is available from the "
                     "Ulmora website."));
  EXPECT_EQ(RunGetProcedure(comms, progress, prompter, sleeper).result, GetOutcome::Result::VersionMismatch);
  EXPECT_EQ(RunSendProcedure(comms, SampleConfig({.seed = 1}), progress, prompter, sleeper),
            SendOutcome::VersionMismatch);
  const QJsonObject state = sim.Stop();
  EXPECT_EQ(state.value(QStringLiteral("copies")).toInt(-1), 0);
  EXPECT_EQ(state.value(QStringLiteral("write_area_bytes_written")).toInt(-1), 0);
}

TEST(TransferE2E, CrcBypassAcceptsAConfigurationWithABadCrc) {
  DeviceSimulator sim({QStringLiteral("--bad-crc"), QStringLiteral("--crc-bypass"),
                       QStringLiteral("--config"),
                       WriteSetup(QStringLiteral("bad.Q11"), SampleConfig({.seed = 9}))});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  QVASerialComms comms(sim.PortPath());
  RecordingProgress progress;
  ScriptedPrompter prompter;
  NoWait sleeper;
  const GetOutcome outcome = RunGetProcedure(comms, progress, prompter, sleeper);
  ASSERT_EQ(outcome.result, GetOutcome::Result::Received);
  EXPECT_EQ(outcome.config->user_cal_resistor, SampleConfig({.seed = 9}).user_cal_resistor);
}

TEST(TransferE2E, BadCrcWithoutBypassIsNotValid) {
  DeviceSimulator sim({QStringLiteral("--bad-crc")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  QVASerialComms comms(sim.PortPath());
  RecordingProgress progress;
  ScriptedPrompter prompter;
  NoWait sleeper;
  EXPECT_EQ(RunGetProcedure(comms, progress, prompter, sleeper).result, GetOutcome::Result::NotValid);
  EXPECT_EQ(progress.texts.back(), QStringLiteral("Config CRC Error"));
}

TEST(TransferE2E, FailedCopyThenRetryStoresTheConfiguration) {
  DeviceSimulator sim({QStringLiteral("--fail-copies"), QStringLiteral("1")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  const QString folder = BackupFolder();
  QVASerialComms comms(sim.PortPath());
  RecordingProgress progress;
  NoWait sleeper;
  ScriptedPrompter prompter;
  prompter.ExpectMessage(QStringLiteral("There was an error copying the configuration to the QVA.\n"),
                         MessageResult::Retry);
  const QVA_CONFIG_DATA host = SampleConfig({.seed = 3});
  EXPECT_EQ(RunSendProcedure(comms, host, progress, prompter, sleeper), SendOutcome::Sent);
  const QJsonObject state = sim.Stop();
  EXPECT_EQ(state.value(QStringLiteral("copies")).toInt(), 2);
  EXPECT_EQ(state.value(QStringLiteral("copy_successes")).toInt(), 1);
  EXPECT_EQ(StoredHex(state), HexOf(SealForDevice(host)));
  // The blank configuration the meter held first was kept.
  EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.Q11")}, QDir::Files),
            QStringList{QStringLiteral("QVA Backup - 000.Q11")});
}

TEST(TransferE2E, ElevenSendsLeaveTenBackups) {
  DeviceSimulator sim({QStringLiteral("--no-pacing"), QStringLiteral("--copy-delay"), QStringLiteral("20")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  const QString folder = BackupFolder();
  for (int i = 0; i < 11; ++i) {
    QVASerialComms comms(sim.PortPath());  // one link per operation, as the program does
    RecordingProgress progress;
    ScriptedPrompter prompter;
    NoWait sleeper;
    ASSERT_EQ(RunSendProcedure(comms, SampleConfig({.seed = static_cast<uint8_t>(20 + i)}), progress,
                               prompter, sleeper),
              SendOutcome::Sent)
        << "send " << i;
  }
  QStringList expected;
  for (int n = 1; n <= 10; ++n)
    expected << QStringLiteral("QVA Backup - %1.Q11").arg(n, 3, 10, QLatin1Char('0'));
  EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.Q11")}, QDir::Files, QDir::Name), expected);
  const QVA_CONFIG_DATA newest = ReadSetupFile(folder + QStringLiteral("QVA Backup - 010.Q11"));
  EXPECT_EQ(newest.can_bit_rate, 29);  // what the tenth send stored
  const QJsonObject state = sim.Stop();
  EXPECT_EQ(StoredHex(state), HexOf(SealForDevice(SampleConfig({.seed = 30}))));
}
