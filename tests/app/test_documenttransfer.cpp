#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "documenttestsupport.h"

namespace {

const QString kGetUpgraded = QStringLiteral(
    "The currently loaded configuration has been upgraded from a previous version.\n"
    "Before you can get the configuration from the QVA you must choose to save the changes to a file or to "
    "lose "
    "the changes.");
const QString kGetReadOnly = QStringLiteral(
    "The currently loaded configuration belongs to a file that may not be overwritten.\n"
    "Before you can get the configuration from the QVA you must choose to save the changes to a file or to "
    "lose "
    "the changes.");
const QString kGetNeverSaved = QStringLiteral(
    "The currently loaded configuration has not been saved to a file.\n"
    "Before you can get the configuration from the QVA you must choose to save the configuration to a file "
    "or to "
    "lose the configuration.");
const QString kSendNoSensor = QStringLiteral(
    "No sensor type has been selected for the current configuration.\n"
    "You must select a sensor type before attempting to send the configuration");
const QString kSendNeverSaved = QStringLiteral(
    "The currently loaded configuration has not been saved to a file.\n"
    "The configuration must be saved before it can be sent to the QVA.");
const QString kSendUpgraded = QStringLiteral(
    "The currently loaded configuration has been upgraded from a previous version.\n"
    "Before you can send the configuration to the QVA you must save the changes to a new file.");
const QString kSendReadOnly = QStringLiteral(
    "The currently loaded configuration belongs to a file that may not be overwritten.\n"
    "Before you can send the configuration to the QVA you must save the changes to a new file.");

class TransferChecks : public ::testing::Test {
 protected:
  QString Target(const QString& name) { return QDir(GetFolder(FileType::ConfigFiles)).filePath(name); }
  void Edit() {
    document.RunConfigDialog([](QVA_CONFIG_DATA& config) { ++config.can_bit_rate; });
  }
  QString OpenFile(const QString& name, uint16_t version = kCurrentConfigVersion, uint8_t sensor = 2) {
    const QString path = WriteSetup(name, SampleConfig({.version = version, .sensorType = sensor}));
    document.OpenConfigFile(path);
    return path;
  }
  void ExpectSaveLoseBox(size_t index) {
    const MessageRequest& request = prompter.Messages().at(index);
    EXPECT_EQ(request.caption, document.Caption());
    EXPECT_EQ(request.buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(request.icon, MessageIcon::Exclamation);
    EXPECT_EQ(request.labels[0], QStringLiteral("&Save"));
    EXPECT_EQ(request.labels[1], QStringLiteral("&Lose"));
  }
  void ExpectSaveCancelBox(size_t index) {
    const MessageRequest& request = prompter.Messages().at(index);
    EXPECT_EQ(request.buttons, MessageButtons::OkCancel);
    EXPECT_EQ(request.icon, MessageIcon::Exclamation);
    EXPECT_EQ(request.labels[0], QStringLiteral("&Save"));
  }

  ScriptedPrompter prompter;
  RecordingObserver observer;
  SetupDocument document{prompter, &observer};
};

// ---- Get -------------------------------------------------------------------

TEST_F(TransferChecks, GetWithoutDocumentAsksNothing) {
  EXPECT_TRUE(document.PrepareGetConfiguration());
}

TEST_F(TransferChecks, GetWithCleanNamedDocumentAsksNothing) {
  OpenFile(QStringLiteral("Engine.Q11"));
  EXPECT_TRUE(document.PrepareGetConfiguration());
}

TEST_F(TransferChecks, GetSavesAModifiedWritableFileSilently) {
  const QString path = OpenFile(QStringLiteral("Engine.Q11"));
  Edit();
  const QVA_CONFIG_DATA edited = *document.Config();
  EXPECT_TRUE(document.PrepareGetConfiguration());
  EXPECT_EQ(Bytes(ReadSetupFile(path)), Bytes(edited));
  EXPECT_FALSE(document.Modified());
}

TEST_F(TransferChecks, GetRecreatesADeletedModifiedFileSilently) {
  const QString path = OpenFile(QStringLiteral("Engine.Q11"));
  Edit();
  ASSERT_TRUE(QFile::remove(path));
  EXPECT_TRUE(document.PrepareGetConfiguration());
  EXPECT_TRUE(QFileInfo::exists(path));
}

struct GetCase {
  const char* name;
  MessageResult answer;
  bool saveConfirmed;
  bool expected;
};

class GetReadOnly : public TransferChecks, public ::testing::WithParamInterface<GetCase> {};

TEST_P(GetReadOnly, AsksSaveLoseCancel) {
  const GetCase& c = GetParam();
  const QString path = OpenFile(QStringLiteral("Locked.Q11"));
  Edit();
  SetReadOnly(path, true);
  prompter.ExpectMessage(kGetReadOnly, c.answer);
  if (c.answer == MessageResult::Yes)
    prompter.ExpectSaveFile(c.saveConfirmed ? std::optional<QString>(Target(QStringLiteral("Copy.Q11")))
                                            : std::nullopt);
  const QString caption = document.Caption();
  EXPECT_EQ(document.PrepareGetConfiguration(), c.expected);
  EXPECT_EQ(prompter.Messages().at(0).caption, caption);
  EXPECT_EQ(prompter.Messages().at(0).labels[1], QStringLiteral("&Lose"));
}

INSTANTIATE_TEST_SUITE_P(Answers, GetReadOnly,
                         ::testing::Values(GetCase{"SaveSaved", MessageResult::Yes, true, true},
                                           GetCase{"SaveCancelledStops", MessageResult::Yes, false, false},
                                           GetCase{"LoseGoesOn", MessageResult::No, false, true},
                                           GetCase{"CancelStops", MessageResult::Cancel, false, false}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(TransferChecks, GetUpgradedFileAsksTheUpgradedQuestionFirst) {
  const QString path = OpenFile(QStringLiteral("Old.Q11"), 100);
  // Read-only as well: the upgrade question wins.
  SetReadOnly(path, true);
  prompter.ExpectMessage(kGetUpgraded, MessageResult::No);
  EXPECT_TRUE(document.PrepareGetConfiguration());
  ExpectSaveLoseBox(0);
  prompter.ExpectMessage(kGetUpgraded, MessageResult::Cancel);
  EXPECT_FALSE(document.PrepareGetConfiguration());
}

TEST_F(TransferChecks, GetUntitledUnmodifiedStillAsksNeverSaved) {
  document.NewBlankConfig();
  prompter.ExpectMessage(kGetNeverSaved, MessageResult::No);
  EXPECT_TRUE(document.PrepareGetConfiguration());
  ExpectSaveLoseBox(0);
  prompter.ExpectMessage(kGetNeverSaved, MessageResult::Cancel);
  EXPECT_FALSE(document.PrepareGetConfiguration());
  prompter.ExpectMessage(kGetNeverSaved, MessageResult::Yes).ExpectSaveFile(std::nullopt);
  EXPECT_FALSE(document.PrepareGetConfiguration());
  prompter.ExpectMessage(kGetNeverSaved, MessageResult::Yes)
      .ExpectSaveFile(Target(QStringLiteral("Kept.Q11")));
  EXPECT_TRUE(document.PrepareGetConfiguration());
  EXPECT_EQ(document.FileName(), Target(QStringLiteral("Kept.Q11")));
}

TEST_F(TransferChecks, GetModifiedUpgradedUntitledGetsOnlyNeverSaved) {
  document.AdoptDeviceConfig(SampleConfig({.version = 100}));
  ASSERT_TRUE(document.Upgraded());
  prompter.ExpectMessage(kGetNeverSaved, MessageResult::No);
  EXPECT_TRUE(document.PrepareGetConfiguration());
  EXPECT_EQ(prompter.Messages().size(), 1u);
}

TEST_F(TransferChecks, FinishedGetWithRecordBecomesUntitledModifiedDocument) {
  const QString path = OpenFile(QStringLiteral("Engine.Q11"));
  QVA_CONFIG_DATA received = SampleConfig({.version = 100, .sensorType = 1});
  document.FinishGetConfiguration({GetOutcome::Result::Received, received});
  EXPECT_EQ(document.Config()->sensor_type, 1);
  EXPECT_EQ(document.Config()->version, kCurrentConfigVersion);
  EXPECT_TRUE(document.Modified());
  EXPECT_TRUE(document.Upgraded());
  EXPECT_TRUE(document.FileName().isEmpty());
  // The file that was open goes to the recent-file list through the observer.
  EXPECT_EQ(observer.fileSets.back(), std::make_pair(path, QString()));
}

TEST_F(TransferChecks, FinishedGetWithoutRecordSaysNotValidAndKeepsTheDocument) {
  const QString path = OpenFile(QStringLiteral("Engine.Q11"));
  prompter.ExpectMessage(QStringLiteral(
      "The configuration stored in the QVA is not valid.\nYou should send a configuration file to the QVA."));
  document.FinishGetConfiguration({GetOutcome::Result::NotValid, std::nullopt});
  EXPECT_EQ(prompter.Messages().at(0).icon, MessageIcon::Information);
  EXPECT_EQ(prompter.Messages().at(0).caption, QStringLiteral("Ulmora Quvarant Setup - Engine"));
  EXPECT_EQ(document.FileName(), path);
  EXPECT_FALSE(document.Modified());
}

TEST_F(TransferChecks, GetOfANewerFirmwareChangesNothingEvenWithARecord) {
  document.FinishGetConfiguration({GetOutcome::Result::VersionMismatch, SampleConfig()});
  EXPECT_FALSE(document.HasConfig());
}

// ---- Send ------------------------------------------------------------------

TEST_F(TransferChecks, SendWithoutDocumentStops) {
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::Stop);
}

TEST_F(TransferChecks, SendWithoutSensorTypeTellsAndAsksForTheSensor) {
  OpenFile(QStringLiteral("NoSensor.Q11"), kCurrentConfigVersion, 0);
  prompter.ExpectMessage(kSendNoSensor);
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::NoSensor);
  const MessageRequest& request = prompter.Messages().at(0);
  EXPECT_EQ(request.caption, QStringLiteral("Ulmora Quvarant Setup - NoSensor"));
  EXPECT_EQ(request.icon, MessageIcon::Information);
  EXPECT_EQ(request.buttons, MessageButtons::Ok);
}

TEST_F(TransferChecks, SendUntitledAsksEvenWhenUnmodified) {
  document.NewBlankConfig();
  document.RunConfigDialog([](QVA_CONFIG_DATA& config) { config.sensor_type = 1; });
  prompter.ExpectMessage(kSendNeverSaved, MessageResult::Cancel);
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::Stop);
  ExpectSaveCancelBox(0);
  prompter.ExpectMessage(kSendNeverSaved, MessageResult::Ok).ExpectSaveFile(std::nullopt);
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::Stop);
  prompter.ExpectMessage(kSendNeverSaved, MessageResult::Ok)
      .ExpectSaveFile(Target(QStringLiteral("Sent.Q11")));
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::Proceed);
  EXPECT_EQ(document.FileName(), Target(QStringLiteral("Sent.Q11")));
}

TEST_F(TransferChecks, SendUnmodifiedReadOnlyFileGoesOnWithoutPrompt) {
  const QString path = OpenFile(QStringLiteral("Backup.Q11"));
  SetReadOnly(path, true);
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::Proceed);
}

TEST_F(TransferChecks, SendModifiedWritableFileIsSavedSilently) {
  const QString path = OpenFile(QStringLiteral("Engine.Q11"));
  Edit();
  const QVA_CONFIG_DATA edited = *document.Config();
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::Proceed);
  EXPECT_EQ(Bytes(ReadSetupFile(path)), Bytes(edited));
  EXPECT_FALSE(document.Modified());
}

TEST_F(TransferChecks, SendModifiedDeletedFileIsCreatedAgain) {
  const QString path = OpenFile(QStringLiteral("Engine.Q11"));
  Edit();
  ASSERT_TRUE(QFile::remove(path));
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::Proceed);
  EXPECT_TRUE(QFileInfo::exists(path));
}

TEST_F(TransferChecks, SendUpgradedAsksForANewFile) {
  OpenFile(QStringLiteral("Old.Q11"), 100);
  prompter.ExpectMessage(kSendUpgraded, MessageResult::Cancel);
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::Stop);
  ExpectSaveCancelBox(0);
  prompter.ExpectMessage(kSendUpgraded, MessageResult::Ok).ExpectSaveFile(Target(QStringLiteral("New.Q11")));
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::Proceed);
  EXPECT_FALSE(document.Upgraded());
}

TEST_F(TransferChecks, SendModifiedReadOnlyAsksForANewFile) {
  const QString path = OpenFile(QStringLiteral("Locked.Q11"));
  Edit();
  SetReadOnly(path, true);
  prompter.ExpectMessage(kSendReadOnly, MessageResult::Ok).ExpectSaveFile(std::nullopt);
  EXPECT_EQ(document.PrepareSendConfiguration(), SendCheck::Stop);
  EXPECT_EQ(document.FileName(), path);
}

TEST_F(TransferChecks, AfterSendAChangedRecordIsSavedToItsFile) {
  const QString path = OpenFile(QStringLiteral("Engine.Q11"));
  ASSERT_EQ(document.PrepareSendConfiguration(), SendCheck::Proceed);
  document.RunConfigDialog([](QVA_CONFIG_DATA& config) { config.activate_mode = 5; });
  document.FinishSendConfiguration();
  EXPECT_EQ(ReadSetupFile(path).activate_mode, 5);
  EXPECT_FALSE(document.Modified());
}

TEST_F(TransferChecks, AfterSendAnUnchangedRecordWritesNothing) {
  const QString path = OpenFile(QStringLiteral("Engine.Q11"));
  SetReadOnly(path, true);
  document.FinishSendConfiguration();
  EXPECT_FALSE(
      QFileInfo::exists(JoinPath(GetFolder(FileType::SaveBackups), QStringLiteral("Engine - 000.Q11"))));
  EXPECT_TRUE(IsReadOnly(path));
}

}  // namespace
