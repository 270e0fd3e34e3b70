#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "platform/registeredfilepath.h"
#include "comms/devicecommands.h"
#include "comms/transferprocedures.h"
#include "commstestsupport.h"
#include "config/qvasetupfiler.h"
#include "support/samplerecords.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"

namespace {

class RecordingProgress : public TransferProgress {
 public:
  void Status(const QString& text) override { texts.push_back(text); }
  std::vector<QString> texts;
};

struct Bench {
  FakeDevice device;
  FakeLink link;
  RecordingProgress progress;
  ScriptedPrompter prompter;
  QString backups;

  Bench() {
    link.AttachDevice(device);
    // A folder of each test's own, so the cases also run in one process.
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    backups = TestEnvironment::PathIn(
        QStringLiteral("Config/%1.%2/From Device Backups/")
            .arg(QString::fromLatin1(test->test_suite_name()), QString::fromLatin1(test->name())));
    SetFolder(FileType::FromDeviceBackups, QDir::cleanPath(backups));
    device.SetStoredConfig(SealForDevice(SampleConfig({.seed = 1})));
  }

  GetOutcome Get() { return RunGetProcedure(*link.comms, progress, prompter, link.sleeper); }
  SendOutcome Send(const QVA_CONFIG_DATA& host) {
    return RunSendProcedure(*link.comms, host, progress, prompter, link.sleeper);
  }
  QStringList BackupFiles() const {
    return QDir(backups).entryList({QStringLiteral("*.Q11")}, QDir::Files, QDir::Name);
  }
};

using Texts = std::vector<QString>;

}  // namespace

TEST(GetProcedure, ReceivesTheStoredConfigurationInHostOrder) {
  Bench bench;
  const QVA_CONFIG_DATA stored = SampleConfig({.seed = 7, .version = 100});
  bench.device.SetStoredConfig(SealForDevice(stored));
  const GetOutcome outcome = bench.Get();
  ASSERT_EQ(outcome.result, GetOutcome::Result::Received);
  ASSERT_TRUE(outcome.config.has_value());
  QVA_CONFIG_DATA expected = stored;
  expected.cfg_crc16 = SealForDevice(stored).cfg_crc16;
  expected.cfg_crc16 = static_cast<uint16_t>((expected.cfg_crc16 >> 8) | (expected.cfg_crc16 << 8));
  EXPECT_TRUE(ConfigsEqual(*outcome.config, expected));
  EXPECT_EQ(outcome.config->version, 100);  // the upgrade is the document's business
  EXPECT_EQ(bench.progress.texts,
            (Texts{QStringLiteral("Checking firmware version."), QStringLiteral("Reading config."),
                   QStringLiteral("Read Config OK")}));
  EXPECT_EQ(bench.link.sleeper.waits, std::vector<int>{1000});
  EXPECT_EQ(bench.device.statusReads, 1);
  EXPECT_TRUE(bench.BackupFiles().isEmpty());  // a get writes no backup
}

TEST(GetProcedure, BadStoredCrcEndsNotValidAfterShowingTheError) {
  Bench bench;
  bench.device.SetStoredConfig(WithBadCrc(SealForDevice(SampleConfig({.seed = 3}))));
  const GetOutcome outcome = bench.Get();
  EXPECT_EQ(outcome.result, GetOutcome::Result::NotValid);
  EXPECT_FALSE(outcome.config.has_value());
  EXPECT_EQ(bench.progress.texts,
            (Texts{QStringLiteral("Checking firmware version."), QStringLiteral("Reading config."),
                   QStringLiteral("Config CRC Error")}));
  EXPECT_EQ(bench.link.sleeper.waits, std::vector<int>{1000});
}

TEST(GetProcedure, CrcBypassOfTheMeterAcceptsABadCrc) {
  Bench bench;
  const QVA_CONFIG_DATA bad = WithBadCrc(SealForDevice(SampleConfig({.seed = 4})));
  bench.device.SetStoredConfig(bad);
  bench.device.status[9] = 1;
  const GetOutcome outcome = bench.Get();
  ASSERT_EQ(outcome.result, GetOutcome::Result::Received);
  EXPECT_TRUE(ConfigsEqual(*outcome.config, ToDeviceImage(bad)));
  EXPECT_EQ(bench.progress.texts.back(), QStringLiteral("Read Config OK"));
}

struct GetFirmwareCase {
  uint16_t word;
  bool allowed;
};

class GetProcedureFirmware : public testing::TestWithParam<GetFirmwareCase> {};

TEST_P(GetProcedureFirmware, NewerThan11IsRefusedWithTheGetMessage) {
  Bench bench;
  bench.device.firmwareWord = GetParam().word;
  if (!GetParam().allowed)
    bench.prompter.ExpectMessage(VersionMismatchMessage(TransferDirection::Get, GetParam().word / 10));
  const GetOutcome outcome = bench.Get();
  if (GetParam().allowed) {
    EXPECT_EQ(outcome.result, GetOutcome::Result::Received);
    return;
  }
  EXPECT_EQ(outcome.result, GetOutcome::Result::VersionMismatch);
  EXPECT_FALSE(outcome.config.has_value());
  EXPECT_EQ(bench.progress.texts, Texts{QStringLiteral("Checking firmware version.")});
  EXPECT_EQ(bench.link.line->writes.size(), 1u);  // nothing read after the version
  ASSERT_EQ(bench.prompter.Messages().size(), 1u);
  EXPECT_EQ(bench.prompter.Messages()[0].caption, QStringLiteral("Version Mismatch"));
  EXPECT_EQ(bench.prompter.Messages()[0].icon, MessageIcon::None);
  EXPECT_EQ(bench.prompter.Messages()[0].buttons, MessageButtons::Ok);
  EXPECT_TRUE(bench.link.sleeper.waits.empty());
}

INSTANTIATE_TEST_SUITE_P(Words, GetProcedureFirmware,
                         testing::Values(GetFirmwareCase{105, true}, GetFirmwareCase{115, true},
                                         GetFirmwareCase{119, true}, GetFirmwareCase{120, false},
                                         GetFirmwareCase{200, false}),
                         [](const auto& param) { return "Word" + std::to_string(param.param.word); });

TEST(GetProcedure, LinkFailurePropagates) {
  Bench bench;
  bench.link.line->responder = nullptr;  // a silent meter
  EXPECT_THROW(bench.Get(), ESerialCommunications);
  EXPECT_EQ(bench.progress.texts, Texts{QStringLiteral("Checking firmware version.")});
}

TEST(SendProcedure, BacksUpTheOldConfigurationAndStoresTheNewOne) {
  Bench bench;
  const QVA_CONFIG_DATA old = SampleConfig({.seed = 1});
  const QVA_CONFIG_DATA host = SampleConfig({.seed = 9});
  EXPECT_EQ(bench.Send(host), SendOutcome::Sent);
  EXPECT_EQ(bench.progress.texts,
            (Texts{QStringLiteral("Reading config."), QStringLiteral("Saving old configuration"),
                   QStringLiteral("Checking firmware version."), QStringLiteral("Sending config."),
                   QStringLiteral("Copying config to EE."), QStringLiteral("Waiting for result."),
                   QStringLiteral("Config sent ok.")}));
  EXPECT_EQ(bench.link.sleeper.waits, (std::vector<int>{50, 1000}));
  const ConfigBytes sealed = ConfigToBytes(SealForDevice(host));
  ASSERT_EQ(bench.device.storedCopies.size(), 1u);
  EXPECT_TRUE(std::equal(sealed.begin(), sealed.end(), bench.device.storedCopies[0].begin()));

  ASSERT_EQ(bench.BackupFiles(), QStringList{QStringLiteral("QVA Backup - 000.Q11")});
  const QString backup = bench.backups + QStringLiteral("QVA Backup - 000.Q11");
  EXPECT_TRUE(IsReadOnly(backup));
  EXPECT_TRUE(ConfigsEqual(ReadSetupFile(backup), ToDeviceImage(SealForDevice(old))));
}

TEST(SendProcedure, DocumentRecordIsNotChanged) {
  Bench bench;
  const QVA_CONFIG_DATA host = SampleConfig({.seed = 9});
  const QVA_CONFIG_DATA before = host;
  bench.Send(host);
  EXPECT_TRUE(ConfigsEqual(host, before));
}

TEST(SendProcedure, BadStoredCrcMeansNoBackupAndNoMessage) {
  Bench bench;
  bench.device.SetStoredConfig(WithBadCrc(SealForDevice(SampleConfig({.seed = 2}))));
  bench.device.status[9] = 1;  // the bypass is not consulted by a send
  EXPECT_EQ(bench.Send(SampleConfig({.seed = 9})), SendOutcome::Sent);
  EXPECT_TRUE(bench.BackupFiles().isEmpty());
  EXPECT_TRUE(bench.prompter.Messages().empty());
  EXPECT_EQ(std::count(bench.progress.texts.begin(), bench.progress.texts.end(),
                       QStringLiteral("Saving old configuration")),
            0);
}

struct SendFirmwareCase {
  uint16_t word;
  bool allowed;
};

class SendProcedureFirmware : public testing::TestWithParam<SendFirmwareCase> {};

TEST_P(SendProcedureFirmware, OnlyFirmware11IsSentToButTheBackupIsAlwaysWritten) {
  Bench bench;
  bench.device.firmwareWord = GetParam().word;
  if (!GetParam().allowed)
    bench.prompter.ExpectMessage(VersionMismatchMessage(TransferDirection::Send, GetParam().word / 10));
  const SendOutcome outcome = bench.Send(SampleConfig({.seed = 9}));
  EXPECT_EQ(bench.BackupFiles().size(), 1);
  if (GetParam().allowed) {
    EXPECT_EQ(outcome, SendOutcome::Sent);
    EXPECT_EQ(bench.device.copies, 1);
    return;
  }
  EXPECT_EQ(outcome, SendOutcome::VersionMismatch);
  EXPECT_EQ(bench.device.fullImageWrites, 0);
  EXPECT_EQ(bench.device.copies, 0);
  EXPECT_EQ(bench.progress.texts.back(), QStringLiteral("Checking firmware version."));
  ASSERT_EQ(bench.prompter.Messages().size(), 1u);
  EXPECT_EQ(bench.prompter.Messages()[0].caption, QStringLiteral("Version Mismatch"));
  EXPECT_EQ(bench.prompter.Messages()[0].icon, MessageIcon::None);
}

INSTANTIATE_TEST_SUITE_P(Words, SendProcedureFirmware,
                         testing::Values(SendFirmwareCase{105, false}, SendFirmwareCase{110, true},
                                         SendFirmwareCase{115, true}, SendFirmwareCase{119, true},
                                         SendFirmwareCase{120, false}),
                         [](const auto& param) { return "Word" + std::to_string(param.param.word); });

TEST(SendProcedure, ElevenSendsLeaveTenBackupsNumberedWithoutReuse) {
  Bench bench;
  for (int i = 0; i < 11; ++i) {
    ASSERT_EQ(bench.Send(SampleConfig({.seed = static_cast<uint8_t>(10 + i)})), SendOutcome::Sent)
        << "send " << i;
  }
  QStringList expected;
  for (int n = 1; n <= 10; ++n)
    expected << QStringLiteral("QVA Backup - %1.Q11").arg(n, 3, 10, QLatin1Char('0'));
  EXPECT_EQ(bench.BackupFiles(), expected);
  // Backup n holds what send n found: the record sent by send n - 1.
  EXPECT_TRUE(ConfigsEqual(ReadSetupFile(bench.backups + QStringLiteral("QVA Backup - 010.Q11")),
                           ToDeviceImage(SealForDevice(SampleConfig({.seed = 19})))));
}

TEST(SendProcedure, TwoFailedCopiesAndTwoRetriesWriteTheImageThreeTimes) {
  Bench bench;
  bench.device.copyResults = {1, 2};
  const QString question = QStringLiteral("There was an error copying the configuration to the QVA.\n");
  bench.prompter.ExpectMessage(question, MessageResult::Retry).ExpectMessage(question, MessageResult::Retry);
  EXPECT_EQ(bench.Send(SampleConfig({.seed = 9})), SendOutcome::Sent);
  EXPECT_EQ(bench.device.fullImageWrites, 3);
  EXPECT_EQ(bench.device.copies, 3);
  ASSERT_EQ(bench.prompter.Messages().size(), 2u);
  EXPECT_EQ(bench.prompter.Messages()[0].caption, QStringLiteral("Sending Configuration  to QVA"));
  EXPECT_EQ(bench.prompter.Messages()[0].buttons, MessageButtons::RetryCancel);
  EXPECT_EQ(bench.prompter.Messages()[0].icon, MessageIcon::Information);
  EXPECT_EQ(
      std::count(bench.progress.texts.begin(), bench.progress.texts.end(), QStringLiteral("Sending config.")),
      3);
  EXPECT_EQ(bench.progress.texts.back(), QStringLiteral("Config sent ok."));
}

TEST(SendProcedure, CancelAfterAFailedCopyEndsSilently) {
  Bench bench;
  bench.device.copyResults = {1};
  bench.prompter.ExpectMessage(QStringLiteral("There was an error copying the configuration to the QVA.\n"),
                               MessageResult::Cancel);
  EXPECT_THROW(bench.Send(SampleConfig({.seed = 9})), EAbort);
  EXPECT_EQ(bench.device.fullImageWrites, 1);
  EXPECT_EQ(
      std::count(bench.progress.texts.begin(), bench.progress.texts.end(), QStringLiteral("Config sent ok.")),
      0);
}

TEST(SendProcedure, MeterThatNeverFinishesTheCopyLeadsToTheRetryQuestion) {
  Bench bench;
  bench.device.busyPolls = -1;
  bench.prompter.ExpectMessage(QStringLiteral("There was an error copying the configuration to the QVA.\n"),
                               MessageResult::Cancel);
  EXPECT_THROW(bench.Send(SampleConfig({.seed = 9})), EAbort);
  EXPECT_EQ(std::count(bench.progress.texts.begin(), bench.progress.texts.end(),
                       QStringLiteral("Waiting for result.")),
            kCopyPollLimit);
}

TEST(SendProcedure, BackupThatCannotBeWrittenIsReportedAndTheSendGoesOn) {
  Bench bench;
  bench.prompter.ExpectMessage(QStringLiteral(
      "The configuration stored in the QVA could not be saved to a backup file.\nFile write error\n"
      "The configuration will be sent without a backup."));
  const SendOutcome outcome =
      RunSendProcedure(*bench.link.comms, SampleConfig({.seed = 9}), bench.progress, bench.prompter,
                       bench.link.sleeper,
                       {.writeBackup = [](const QVA_CONFIG_DATA&) -> QString { throw EFileWrite(); }});
  EXPECT_EQ(outcome, SendOutcome::Sent);
  EXPECT_EQ(bench.device.copies, 1);
  EXPECT_EQ(bench.prompter.Messages()[0].caption, QStringLiteral("Sending Configuration  to QVA"));
}

TEST(SendProcedure, LinkFailureWhileWritingPropagatesAndKeepsTheBackup) {
  Bench bench;
  auto responder = bench.device.Responder();
  bench.link.line->responder = [&](const QByteArray& request) {
    if (static_cast<uint8_t>(request[5]) == ConfigWriteBase) return FakeSerialPort::Reply{};
    return responder(request);
  };
  EXPECT_THROW(bench.Send(SampleConfig({.seed = 9})), ESerialCommunications);
  EXPECT_EQ(bench.BackupFiles().size(), 1);
  EXPECT_EQ(bench.device.copies, 0);
}

// The review sees the meter's configuration against the one to send, and a
// declined review writes nothing anywhere.
TEST(SendProcedure, ReviewShowsTheMetersDifferencesAndADeclineWritesNothing) {
  struct Case {
    const char* name;
    bool meterValid;
    bool identical;
    bool accept;
    SendReview::Kind kind;
  };
  const Case cases[] = {
      {"differs, declined", true, false, false, SendReview::Kind::Differs},
      {"differs, accepted", true, false, true, SendReview::Kind::Differs},
      {"identical, declined", true, true, false, SendReview::Kind::Identical},
      {"meter not valid, accepted", false, false, true, SendReview::Kind::MeterNotValid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bench bench;
    QVA_CONFIG_DATA host = SampleConfig({.seed = 1});
    if (!c.identical) host.display_config.filter_time = static_cast<uint8_t>(host.display_config.filter_time + 3);
    if (!c.meterValid) bench.device.SetStoredConfig(WithBadCrc(SealForDevice(SampleConfig({.seed = 1}))));
    const auto backupsBefore = bench.BackupFiles().size();
    std::vector<SendReview> reviews;
    const TransferOptions options{.review = [&](const SendReview& review) {
      reviews.push_back(review);
      return c.accept;
    }};
    const SendOutcome outcome =
        RunSendProcedure(*bench.link.comms, host, bench.progress, bench.prompter, bench.link.sleeper, options);
    ASSERT_EQ(reviews.size(), 1u);
    EXPECT_EQ(reviews[0].kind, c.kind);
    if (c.kind == SendReview::Kind::Differs) {
      const auto old = SampleConfig({.seed = 1});
      EXPECT_EQ(reviews[0].difference.lines,
                QStringList({QStringLiteral("cfg_crc16: %1 -> %2")
                                 .arg(ToDeviceImage(SealForDevice(old)).cfg_crc16)
                                 .arg(ToDeviceImage(SealForDevice(host)).cfg_crc16),
                             QStringLiteral("display_config.filter_time: %1 -> %2")
                                 .arg(old.display_config.filter_time)
                                 .arg(host.display_config.filter_time)}));
    }
    if (c.accept) {
      EXPECT_EQ(outcome, SendOutcome::Sent);
      EXPECT_EQ(bench.device.copies, 1);
      continue;
    }
    EXPECT_EQ(outcome, SendOutcome::Declined);
    EXPECT_EQ(bench.device.fullImageWrites, 0);
    EXPECT_EQ(bench.device.copies, 0);
    EXPECT_EQ(bench.BackupFiles().size(), backupsBefore);
    EXPECT_EQ(bench.progress.texts, Texts{QStringLiteral("Reading config.")});
  }
}

TEST(SendProcedure, VerifyReadsBackAndReportsAMeterThatStoredAnotherImage) {
  for (const bool faulty : {false, true}) {
    SCOPED_TRACE(faulty ? "stores another image" : "stores the image");
    Bench bench;
    const QVA_CONFIG_DATA host = SampleConfig({.seed = 9});
    if (faulty) {
      bench.device.storeFaultOffset = static_cast<int>(offsetof(QVA_CONFIG_DATA, display_config) +
                                                       offsetof(QVA_DISPLAY_CONFIG, backlight_intensity));
      bench.prompter.ExpectMessage(QStringLiteral(
          "The configuration read back from the QVA differs from the one sent (sent -> read back):\n"
          "display_config.backlight_intensity: %1 -> %2\n"
          "You should send the configuration again, and check the QVA if it fails again.")
                                       .arg(host.display_config.backlight_intensity)
                                       .arg(host.display_config.backlight_intensity ^ 0xFF));
    }
    const SendOutcome outcome = RunSendProcedure(*bench.link.comms, host, bench.progress, bench.prompter,
                                                 bench.link.sleeper, {.verify = true});
    const Texts tail(bench.progress.texts.end() - 3, bench.progress.texts.end());
    if (!faulty) {
      EXPECT_EQ(outcome, SendOutcome::Sent);
      EXPECT_EQ(tail, (Texts{QStringLiteral("Config sent ok."), QStringLiteral("Verifying config."),
                             QStringLiteral("Config verified ok.")}));
      continue;
    }
    EXPECT_EQ(outcome, SendOutcome::VerifyFailed);
    EXPECT_EQ(tail, (Texts{QStringLiteral("Config sent ok."), QStringLiteral("Verifying config."),
                           QStringLiteral("Config verify failed.")}));
    EXPECT_EQ(bench.prompter.Messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(bench.prompter.AllAnswered());
  }
}

TEST(SendProcedure, AVerifyReadBackLostOnTheLineSaysTheMeterStoredTheConfiguration) {
  Bench bench;
  // Once the meter has stored the image, every read of it fails on the line.
  bench.link.line->responder = [&device = bench.device](const QByteArray& request) {
    FakeSerialPort::Reply reply = device.Answer(request);
    reply.writeFails = static_cast<uint8_t>(request.at(5)) == ConfigReadBase && !device.storedCopies.empty();
    reply.code = EIO;
    return reply;
  };
  try {
    RunSendProcedure(*bench.link.comms, SampleConfig({.seed = 9}), bench.progress, bench.prompter,
                     bench.link.sleeper, {.verify = true});
    ADD_FAILURE() << "the send reported no failure";
  } catch (const ESerialCommunications& e) {
    EXPECT_EQ(e.Message(),
              "The QVA reported the configuration stored, but it could not be read back to check it.\n"
              "There was an error communicating with the device.\n"
              "You should check that the device is properly connected and powered on.\n\n"
              "If the problem persists, you should contact your Ulmora dealer for advice.\n"
              "Linux reported the following error : Input/output error when attempting to write to COM1 (/dev/ttyS0).\n");
  }
  EXPECT_EQ(bench.device.copies, 1);
  EXPECT_EQ(bench.progress.texts.back(), QStringLiteral("Verifying config."));
}

TEST(TransferProcedures, WithoutAStatusLineToReadOnlyTheDevicePacedWaitsRemain) {
  Bench bench;
  ASSERT_EQ(RunGetProcedure(*bench.link.comms, bench.progress, bench.prompter, bench.link.sleeper,
                            {.finalStatusWaitMs = 0})
                .result,
            GetOutcome::Result::Received);
  ASSERT_EQ(RunSendProcedure(*bench.link.comms, SampleConfig({.seed = 9}), bench.progress, bench.prompter,
                             bench.link.sleeper, {.finalStatusWaitMs = 0}),
            SendOutcome::Sent);
  const auto& waits = bench.link.sleeper.waits;
  EXPECT_TRUE(std::all_of(waits.begin(), waits.end(), [](int ms) { return ms == 0 || ms == 50; }))
      << waits.size();
}
