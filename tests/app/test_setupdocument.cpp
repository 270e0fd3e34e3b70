#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "app/custommessagebox.h"
#include "platform/qvaerrors.h"
#include "documenttestsupport.h"

namespace {

const QString kTitle = QStringLiteral("Ulmora Quvarant Setup");
const QString kOpenReadOnly = QStringLiteral(
    "The currently loaded configuration belongs to a file that may not be overwritten.\n"
    "Before you can open a file you must choose to save the changes to a file or to lose the configuration");
const QString kModifiedQuestion = QStringLiteral(
    "Changes have been made to the currently loaded configuration.\nDo you want to save the changes ?");
const QString kOpenNeverSaved = QStringLiteral(
    "The currently loaded configuration has not been saved to a file.\n"
    "Before you can open a file you must choose to save the configuration to a file or to lose the changes.");
const QString kExitReadOnly = QStringLiteral(
    "The currently loaded configuration belongs to a file that may not be overwritten.\n"
    "Before you exit this program you must choose to save the changes to a file or to lose the changes.");
const QString kExitNeverSaved = QStringLiteral(
    "The currently loaded configuration has not been saved to a file.\n"
    "Before you exit this program you must choose to save the configuration to a file or to lose the "
    "configuration.");
const QString kSaveReadOnly = QStringLiteral(
    "The currently loaded configuration belongs to a file that may not be overwritten.\n"
    "You must save the changes to a new file.");

class SetupDocumentTest : public ::testing::Test {
 protected:
  QString ConfigFolder() { return GetFolder(FileType::ConfigFiles); }
  // Opens a writable file and changes one byte, as an editor would.
  QString OpenModified(const QString& relative) {
    const QString path = WriteSetup(relative, SampleConfig());
    document.OpenConfigFile(path);
    Edit();
    return path;
  }
  void Edit() {
    document.RunConfigDialog([](QVA_CONFIG_DATA& config) { ++config.rpm_pulses_per_rev; });
  }

  ScriptedPrompter prompter;
  RecordingObserver observer;
  SetupDocument document{prompter, &observer};
};

// ---- The document state table ------------------------------------------

TEST_F(SetupDocumentTest, StartsWithoutConfigUntitledAndClean) {
  EXPECT_FALSE(document.HasConfig());
  EXPECT_EQ(document.Config(), nullptr);
  EXPECT_TRUE(document.FileName().isEmpty());
  EXPECT_FALSE(document.Modified());
  EXPECT_FALSE(document.Upgraded());
  EXPECT_EQ(document.Caption(), kTitle);
}

TEST_F(SetupDocumentTest, NewFromTemplateIsUntitledCleanAndTakenAsStored) {
  // A template of an older version is not upgraded: it is taken as stored.
  const QVA_CONFIG_DATA stored = SampleConfig({.version = 100});
  const QString path = WriteSetup(QStringLiteral("templates/Petrol.Q11"), stored);
  document.LoadTemplate(path);
  ASSERT_TRUE(document.HasConfig());
  EXPECT_EQ(Bytes(*document.Config()), Bytes(stored));
  EXPECT_TRUE(document.FileName().isEmpty());
  EXPECT_FALSE(document.Modified());
  EXPECT_FALSE(document.Upgraded());
  EXPECT_EQ(document.Caption(), kTitle + QStringLiteral(" - untitled"));
  EXPECT_GE(observer.menuUpdates, 1);
}

TEST_F(SetupDocumentTest, NewBlankIsABlankUntitledCleanRecord) {
  document.NewBlankConfig();
  ASSERT_TRUE(document.HasConfig());
  EXPECT_EQ(Bytes(*document.Config()), Bytes(MakeBlankConfig()));
  EXPECT_TRUE(document.FileName().isEmpty());
  EXPECT_FALSE(document.Modified());
  EXPECT_FALSE(document.Upgraded());
  EXPECT_EQ(document.Caption(), QStringLiteral("Ulmora Quvarant Setup - untitled"));
}

TEST_F(SetupDocumentTest, OpenCurrentVersionIsNamedAndClean) {
  const QString path = WriteSetup(QStringLiteral("elsewhere/Engine.Q11"), SampleConfig());
  document.OpenConfigFile(path);
  EXPECT_EQ(Bytes(*document.Config()), Bytes(SampleConfig()));
  EXPECT_EQ(document.FileName(), path);
  EXPECT_FALSE(document.Modified());
  EXPECT_FALSE(document.Upgraded());
  EXPECT_EQ(document.Caption(), QStringLiteral("Ulmora Quvarant Setup - Engine"));
  ASSERT_FALSE(observer.fileSets.empty());
  EXPECT_EQ(observer.fileSets.back(), std::make_pair(QString(), path));
}

TEST_F(SetupDocumentTest, OpenOlderVersionIsUpgradedAndModified) {
  const QString path = WriteSetup(QStringLiteral("Old.Q11"), SampleConfig({.version = 100}));
  document.OpenConfigFile(path);
  EXPECT_EQ(document.Config()->version, kCurrentConfigVersion);
  EXPECT_EQ(document.FileName(), path);
  EXPECT_TRUE(document.Modified());
  EXPECT_TRUE(document.Upgraded());
}

TEST_F(SetupDocumentTest, DeviceRecordOfCurrentVersionIsUntitledModifiedNotUpgraded) {
  document.OpenConfigFile(WriteSetup(QStringLiteral("Engine.Q11"), SampleConfig()));
  QVA_CONFIG_DATA received = SampleConfig();
  received.sensor_type = 3;
  document.AdoptDeviceConfig(received);
  EXPECT_EQ(Bytes(*document.Config()), Bytes(received));
  EXPECT_TRUE(document.FileName().isEmpty());
  EXPECT_TRUE(document.Modified());
  EXPECT_FALSE(document.Upgraded());
  EXPECT_EQ(document.Caption(), QStringLiteral("Ulmora Quvarant Setup - untitled"));
}

TEST_F(SetupDocumentTest, DeviceRecordOfOlderVersionIsUpgraded) {
  // The document held an upgraded file before; the flag follows the new record.
  document.AdoptDeviceConfig(SampleConfig({.version = 100}));
  EXPECT_EQ(document.Config()->version, kCurrentConfigVersion);
  EXPECT_TRUE(document.Modified());
  EXPECT_TRUE(document.Upgraded());
  document.AdoptDeviceConfig(SampleConfig());
  EXPECT_FALSE(document.Upgraded());
}

TEST_F(SetupDocumentTest, EditorThatChangedBytesMarksModifiedOnly) {
  const QString path = WriteSetup(QStringLiteral("Old.Q11"), SampleConfig({.version = 100}));
  document.OpenConfigFile(path);
  document.SetModified(false);
  Edit();
  EXPECT_TRUE(document.Modified());
  EXPECT_TRUE(document.Upgraded());
  EXPECT_EQ(document.FileName(), path);
}

TEST_F(SetupDocumentTest, SaveAsCompletedNamesTheDocumentAndClearsBothFlags) {
  document.OpenConfigFile(WriteSetup(QStringLiteral("Old.Q11"), SampleConfig({.version = 100})));
  const QString target = QDir(ConfigFolder()).filePath(QStringLiteral("New.Q11"));
  prompter.ExpectSaveFile(target);
  EXPECT_TRUE(document.SaveConfigAs());
  EXPECT_EQ(document.FileName(), target);
  EXPECT_FALSE(document.Modified());
  EXPECT_FALSE(document.Upgraded());
  EXPECT_EQ(ParseSetupFile(ReadAll(target)).version, kCurrentConfigVersion);
  EXPECT_EQ(document.Caption(), QStringLiteral("Ulmora Quvarant Setup - New"));
}

// ---- RunConfigDialog ------------------------------------------------------

TEST_F(SetupDocumentTest, RunConfigDialogShowsNothingWithoutConfig) {
  bool ran = false;
  EXPECT_FALSE(document.RunConfigDialog([&](QVA_CONFIG_DATA&) { ran = true; }));
  EXPECT_FALSE(ran);
  EXPECT_FALSE(document.Modified());
}

TEST_F(SetupDocumentTest, RunConfigDialogThatChangesAndRestoresLeavesModifiedAsItWas) {
  document.NewBlankConfig();
  document.RunConfigDialog([](QVA_CONFIG_DATA& config) {
    config.sensor_type = 7;
    config.sensor_type = 0;
  });
  EXPECT_FALSE(document.Modified());
}

TEST_F(SetupDocumentTest, RunConfigDialogNeverClearsModified) {
  OpenModified(QStringLiteral("Engine.Q11"));
  document.RunConfigDialog([](QVA_CONFIG_DATA&) {});
  EXPECT_TRUE(document.Modified());
}

TEST_F(SetupDocumentTest, RunConfigDialogThatRaisesAfterWritingStillMarksModified) {
  document.NewBlankConfig();
  EXPECT_THROW(document.RunConfigDialog([](QVA_CONFIG_DATA& config) {
    config.can_bit_rate = 9;
    throw Exception(QStringLiteral("line failed"));
  }),
               Exception);
  EXPECT_TRUE(document.Modified());
  EXPECT_EQ(document.Config()->can_bit_rate, 9);
}

// ---- CanDiscardConfig (New, Open, recent file) ----------------------------

TEST_F(SetupDocumentTest, DiscardWithoutConfigAsksNothing) {
  EXPECT_TRUE(document.CanDiscardConfig());
  EXPECT_TRUE(document.CanCloseConfig());
}

TEST_F(SetupDocumentTest, DiscardCleanNamedFileAsksNothing) {
  document.OpenConfigFile(WriteSetup(QStringLiteral("Engine.Q11"), SampleConfig()));
  EXPECT_TRUE(document.CanDiscardConfig());
}

struct DiscardCase {
  const char* name;
  MessageResult answer;
  bool saveDialogAnswered;  // the Save As dialog, when reached, confirms
  bool expected;
};

class ModifiedQuestion : public SetupDocumentTest, public ::testing::WithParamInterface<DiscardCase> {};

TEST_P(ModifiedQuestion, AnswersDecide) {
  const DiscardCase& c = GetParam();
  const QString path = OpenModified(QStringLiteral("Engine.Q11"));
  const QString caption = document.Caption();
  prompter.ExpectMessage(kModifiedQuestion, c.answer);
  const QString target = QDir(ConfigFolder()).filePath(QStringLiteral("Saved.Q11"));
  if (c.answer == MessageResult::Yes) {
    prompter.ExpectSaveFile(c.saveDialogAnswered ? std::optional<QString>(target) : std::nullopt);
  }
  EXPECT_EQ(document.CanDiscardConfig(), c.expected);
  const MessageRequest& request = prompter.Messages().at(0);
  EXPECT_EQ(request.caption, caption);
  EXPECT_EQ(request.buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(request.icon, MessageIcon::Exclamation);
  // The plain question keeps the standard labels.
  EXPECT_TRUE(request.labels[0].isEmpty());
  if (c.answer == MessageResult::Yes && c.saveDialogAnswered) {
    EXPECT_EQ(document.FileName(), target);
    EXPECT_FALSE(document.Modified());
    // Save As is preset with the current title even though the file is writable.
    EXPECT_EQ(prompter.FileDialogs().at(0).fileName, QStringLiteral("Engine"));
  } else {
    EXPECT_EQ(document.FileName(), path);
    EXPECT_TRUE(document.Modified());
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, ModifiedQuestion,
                         ::testing::Values(DiscardCase{"YesSaved", MessageResult::Yes, true, true},
                                           DiscardCase{"YesSaveAsCancelled", MessageResult::Yes, false,
                                                       false},
                                           DiscardCase{"No", MessageResult::No, false, true},
                                           DiscardCase{"Cancel", MessageResult::Cancel, false, false}),
                         [](const auto& p) { return std::string(p.param.name); });

class ReadOnlyQuestion : public SetupDocumentTest, public ::testing::WithParamInterface<DiscardCase> {};

TEST_P(ReadOnlyQuestion, OpenAndExitAskSaveLoseCancel) {
  const DiscardCase& c = GetParam();
  for (bool exiting : {false, true}) {
    SCOPED_TRACE(exiting ? "exit" : "open");
    const QString path = OpenModified(exiting ? QStringLiteral("RoExit.Q11") : QStringLiteral("RoOpen.Q11"));
    SetReadOnly(path, true);
    prompter.ExpectMessage(exiting ? kExitReadOnly : kOpenReadOnly, c.answer);
    const QString target =
        QDir(ConfigFolder()).filePath(exiting ? QStringLiteral("A.Q11") : QStringLiteral("B.Q11"));
    if (c.answer == MessageResult::Yes) {
      prompter.ExpectSaveFile(c.saveDialogAnswered ? std::optional<QString>(target) : std::nullopt);
    }
    const size_t asked = prompter.Messages().size();
    EXPECT_EQ(exiting ? document.CanCloseConfig() : document.CanDiscardConfig(), c.expected);
    const MessageRequest& request = prompter.Messages().at(asked);
    EXPECT_EQ(request.buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(request.icon, MessageIcon::Exclamation);
    EXPECT_EQ(request.labels[0], QStringLiteral("&Save"));
    EXPECT_EQ(request.labels[1], QStringLiteral("&Lose"));
    EXPECT_EQ(document.FileName(), c.answer == MessageResult::Yes && c.saveDialogAnswered ? target : path);
    // The read-only file itself is never written.
    EXPECT_TRUE(IsReadOnly(path));
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, ReadOnlyQuestion,
                         ::testing::Values(DiscardCase{"SaveSaved", MessageResult::Yes, true, true},
                                           DiscardCase{"SaveCancelled", MessageResult::Yes, false, false},
                                           DiscardCase{"Lose", MessageResult::No, false, true},
                                           DiscardCase{"Cancel", MessageResult::Cancel, false, false}),
                         [](const auto& p) { return std::string(p.param.name); });

class NeverSavedQuestion : public SetupDocumentTest, public ::testing::WithParamInterface<DiscardCase> {};

TEST_P(NeverSavedQuestion, AskedEvenWhenNothingWasEdited) {
  const DiscardCase& c = GetParam();
  for (bool exiting : {false, true}) {
    SCOPED_TRACE(exiting ? "exit" : "open");
    document.NewBlankConfig();
    prompter.ExpectMessage(exiting ? kExitNeverSaved : kOpenNeverSaved, c.answer);
    const QString target = QDir(ConfigFolder()).filePath(QStringLiteral("Fresh.Q11"));
    if (c.answer == MessageResult::Yes) {
      prompter.ExpectSaveFile(c.saveDialogAnswered ? std::optional<QString>(target) : std::nullopt);
    }
    const size_t asked = prompter.Messages().size();
    EXPECT_EQ(exiting ? document.CanCloseConfig() : document.CanDiscardConfig(), c.expected);
    EXPECT_EQ(prompter.Messages().at(asked).caption, QStringLiteral("Ulmora Quvarant Setup - untitled"));
    EXPECT_EQ(prompter.Messages().at(asked).labels[1], QStringLiteral("&Lose"));
    if (c.answer == MessageResult::Yes) {
      // No name to preset for a document that never had one.
      EXPECT_TRUE(prompter.FileDialogs().back().fileName.isEmpty());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, NeverSavedQuestion,
                         ::testing::Values(DiscardCase{"SaveSaved", MessageResult::Yes, true, true},
                                           DiscardCase{"SaveCancelled", MessageResult::Yes, false, false},
                                           DiscardCase{"Lose", MessageResult::No, false, true},
                                           DiscardCase{"Cancel", MessageResult::Cancel, false, false}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(SetupDocumentTest, ModifiedUntitledGetsOnlyTheNeverSavedQuestion) {
  document.AdoptDeviceConfig(SampleConfig({.version = 100}));
  prompter.ExpectMessage(kOpenNeverSaved, MessageResult::No);
  EXPECT_TRUE(document.CanDiscardConfig());
  EXPECT_EQ(prompter.Messages().size(), 1u);
}

TEST_F(SetupDocumentTest, ModifiedFileDeletedBehindTheDocumentGetsThePlainQuestion) {
  const QString path = OpenModified(QStringLiteral("Gone.Q11"));
  ASSERT_TRUE(QFile::remove(path));
  prompter.ExpectMessage(kModifiedQuestion, MessageResult::Cancel);
  EXPECT_FALSE(document.CanCloseConfig());
}

// ---- Save ------------------------------------------------------------------

TEST_F(SetupDocumentTest, SaveWritesInPlaceKeepingTheOldFileAsBackup) {
  const QString path = OpenModified(QStringLiteral("Engine.Q11"));
  const QVA_CONFIG_DATA edited = *document.Config();
  document.Save();
  EXPECT_EQ(Bytes(ReadSetupFile(path)), Bytes(edited));
  EXPECT_FALSE(document.Modified());
  EXPECT_EQ(document.FileName(), path);
  const QString backup = JoinPath(GetFolder(FileType::SaveBackups), QStringLiteral("Engine - 000.Q11"));
  ASSERT_TRUE(QFileInfo::exists(backup));
  EXPECT_EQ(Bytes(ReadSetupFile(backup)), Bytes(SampleConfig()));
}

TEST_F(SetupDocumentTest, SaveRecreatesAFileThatDisappeared) {
  const QString path = OpenModified(QStringLiteral("Vanished.Q11"));
  ASSERT_TRUE(QFile::remove(path));
  document.Save();
  EXPECT_TRUE(QFileInfo::exists(path));
  EXPECT_FALSE(document.Modified());
}

TEST_F(SetupDocumentTest, SaveOfUntitledGoesThroughSaveAs) {
  document.NewBlankConfig();
  prompter.ExpectSaveFile(std::nullopt);
  document.Save();
  EXPECT_TRUE(document.FileName().isEmpty());
}

TEST_F(SetupDocumentTest, SaveOfUpgradedNeverWritesOverTheOlderFile) {
  const QString path = WriteSetup(QStringLiteral("Old.Q11"), SampleConfig({.version = 100}));
  const QByteArray original = ReadAll(path);
  document.OpenConfigFile(path);
  prompter.ExpectSaveFile(std::nullopt);
  document.Save();
  EXPECT_EQ(ReadAll(path), original);
  EXPECT_TRUE(document.Upgraded());
  EXPECT_TRUE(document.Modified());
}

TEST_F(SetupDocumentTest, SaveOfReadOnlyFileAsksSaveOrCancel) {
  const QString path = OpenModified(QStringLiteral("Locked.Q11"));
  SetReadOnly(path, true);
  const QByteArray original = ReadAll(path);

  prompter.ExpectMessage(kSaveReadOnly, MessageResult::Cancel);
  document.Save();
  EXPECT_EQ(document.FileName(), path);
  EXPECT_EQ(prompter.Messages().back().buttons, MessageButtons::OkCancel);
  EXPECT_EQ(prompter.Messages().back().labels[0], QStringLiteral("&Save"));
  EXPECT_EQ(prompter.Messages().back().icon, MessageIcon::Exclamation);

  const QString target = QDir(ConfigFolder()).filePath(QStringLiteral("Unlocked.Q11"));
  prompter.ExpectMessage(kSaveReadOnly, MessageResult::Ok).ExpectSaveFile(target);
  document.Save();
  EXPECT_EQ(document.FileName(), target);
  EXPECT_EQ(ReadAll(path), original);
}

TEST_F(SetupDocumentTest, SaveAsOffersTheTitleInTheConfigurationFolder) {
  const QString path = WriteSetup(QStringLiteral("stick/Engine.Q11"), SampleConfig());
  document.OpenConfigFile(path);
  prompter.ExpectSaveFile(std::nullopt);
  EXPECT_FALSE(document.SaveConfigAs());
  const FileDialogRequest& request = prompter.FileDialogs().at(0);
  EXPECT_EQ(request.fileName, QStringLiteral("Engine"));
  EXPECT_EQ(request.initialDir, ConfigFolder());
  EXPECT_EQ(request.filter, QStringLiteral("QVA setup files (*.Q11)|*.Q11"));
  EXPECT_EQ(request.filterIndex, 1);
  EXPECT_EQ(request.defaultExtension, QStringLiteral("Q11"));
  EXPECT_TRUE(request.overwritePrompt);
  EXPECT_TRUE(request.rejectReadOnly);
  EXPECT_EQ(document.FileName(), path);
}

TEST_F(SetupDocumentTest, SaveAsWithoutConfigAsksNothing) {
  EXPECT_FALSE(document.SaveConfigAs());
  EXPECT_FALSE(document.SaveConfigToFile(TestEnvironment::PathIn(QStringLiteral("x.Q11"))));
  EXPECT_FALSE(QFileInfo::exists(TestEnvironment::PathIn(QStringLiteral("x.Q11"))));
}

TEST_F(SetupDocumentTest, FailedSaveLeavesNameAndFlagsAsTheyWere) {
  const QString path = OpenModified(QStringLiteral("Engine.Q11"));
  const size_t fileSets = observer.fileSets.size();
  // A path below a regular file cannot be created.
  const QString blocker = TestEnvironment::PathIn(QStringLiteral("blocker"));
  WriteAll(blocker, "x");
  prompter.ExpectSaveFile(blocker + QStringLiteral("/Target.Q11"));
  EXPECT_THROW(document.SaveConfigAs(), Exception);
  EXPECT_EQ(document.FileName(), path);
  EXPECT_TRUE(document.Modified());
  EXPECT_EQ(observer.fileSets.size(), fileSets);
}

TEST_F(SetupDocumentTest, SaveOverADirectoryFailsAndKeepsState) {
  document.NewBlankConfig();
  // A folder stands where the file should go.
  const QString target = TestEnvironment::PathIn(QStringLiteral("dir.Q11"));
  ASSERT_TRUE(QDir().mkpath(target));
  EXPECT_THROW(document.SaveConfigToFile(target), Exception);
  EXPECT_TRUE(document.FileName().isEmpty());
  EXPECT_TRUE(QFileInfo(target).isDir());
}

// ---- Open failures ---------------------------------------------------------

TEST_F(SetupDocumentTest, UnreadableFileLeavesThePreviousDocument) {
  const QString path = OpenModified(QStringLiteral("Engine.Q11"));
  const QByteArray before = Bytes(*document.Config());
  const QString caption = document.Caption();
  const QString bad = TestEnvironment::PathIn(QStringLiteral("Bad.Q11"));
  WriteAll(bad, QByteArray(100, 'x'));
  try {
    document.OpenConfigFile(bad);
    FAIL() << "a bad file was accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("File format not valid"));
  }
  EXPECT_EQ(Bytes(*document.Config()), before);
  EXPECT_EQ(document.FileName(), path);
  EXPECT_TRUE(document.Modified());
  EXPECT_EQ(document.Caption(), caption);
}

TEST_F(SetupDocumentTest, MissingFileRaisesAndNewTemplateFailureKeepsState) {
  document.NewBlankConfig();
  EXPECT_THROW(document.OpenConfigFile(TestEnvironment::PathIn(QStringLiteral("none/Missing.Q11"))),
               Exception);
  EXPECT_THROW(document.LoadTemplate(TestEnvironment::PathIn(QStringLiteral("none/Missing.Q11"))), Exception);
  EXPECT_EQ(Bytes(*document.Config()), Bytes(MakeBlankConfig()));
  EXPECT_EQ(document.Caption(), QStringLiteral("Ulmora Quvarant Setup - untitled"));
}

// ---- Read-only test --------------------------------------------------------

TEST_F(SetupDocumentTest, ReadOnlyOnDiskIsTestedAtTheMomentItIsNeeded) {
  EXPECT_FALSE(document.IsReadOnlyOnDisk());
  const QString path = WriteSetup(QStringLiteral("Engine.Q11"), SampleConfig());
  document.OpenConfigFile(path);
  EXPECT_FALSE(document.IsReadOnlyOnDisk());
  SetReadOnly(path, true);
  EXPECT_TRUE(document.IsReadOnlyOnDisk());
  SetReadOnly(path, false);
  ASSERT_TRUE(QFile::remove(path));
  EXPECT_FALSE(document.IsReadOnlyOnDisk());
}

}  // namespace
