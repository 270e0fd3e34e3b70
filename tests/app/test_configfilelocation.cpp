// The configuration folder dialog's rules.

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "app/configfilelocation.h"
#include "platform/qvaregistry.h"
#include "platform/registeredfilepath.h"
#include "platform/registryfunctions.h"
#include "platform/qvaerrors.h"
#include "support/qtprinters.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"

namespace {

const QString kCaption = QStringLiteral("Configuration File Location");

QString Stored(const QString& valueName) {
  TRegistry registry(RegistryRoot::LocalMachine);
  if (!registry.OpenKey(DirectoriesKeyPath(), false) || !registry.ValueExists(valueName)) return QString();
  return registry.ReadString(valueName);
}

QString MissingQuestion(const QString& path) {
  return "The directory " + path + " does not exist.\nDo you want to create this directory ?";
}

}  // namespace

// ---------------------------------------------------------------- location text

struct LocationCase {
  const char* typed;     // relative to the test root unless it starts with '/'
  const char* expected;  // the same; "" for nothing entered
};

void PrintTo(const LocationCase& c, std::ostream* out) {
  *out << '"' << c.typed << '"';
}

class LocationText : public ::testing::TestWithParam<LocationCase> {};

TEST_P(LocationText, TrimsSeparatorsAndMakesAFullPath) {
  const QString root = TestEnvironment::Root();
  const QString typed = QString(GetParam().typed).replace("<root>", root);
  const QString expected = QString(GetParam().expected).replace("<root>", root);
  EXPECT_EQ(ConfigLocationPath(typed), QDir::toNativeSeparators(expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, LocationText,
                         ::testing::Values(LocationCase{"<root>/Data///", "<root>/Data"},
                                           LocationCase{"   <root>/Data  ", "<root>/Data"},
                                           LocationCase{"<root>/a/./b/../Data/", "<root>/a/Data"},
                                           LocationCase{"     ", ""}, LocationCase{"", ""},
                                           LocationCase{"///", ""}));

TEST(LocationText, RelativePathIsTakenFromTheCurrentFolder) {
  EXPECT_EQ(ConfigLocationPath("Data/"), QDir::toNativeSeparators(QDir::currentPath() + "/Data"));
}

// ---------------------------------------------------------------- accepting

TEST(ConfigLocation, NothingEnteredAsksForADirectory) {
  ScriptedPrompter prompter;
  prompter.ExpectMessage("You should enter a directory to proceed");
  EXPECT_FALSE(AcceptConfigFileLocation(ConfigLocationPath("   "), prompter, kCaption));
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0].caption, kCaption);
  EXPECT_EQ(prompter.Messages()[0].icon, MessageIcon::Information);
  EXPECT_EQ(prompter.Messages()[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(Stored("QVA Config Files"), QString());
}

TEST(ConfigLocation, ExistingFolderGetsBackupFoldersAndThreeValues) {
  const QString folder = TestEnvironment::Root() + "/Data";
  QDir().mkpath(folder);
  SetFolder(FileType::FileTemplates, "/kept/templates");
  ScriptedPrompter prompter;
  EXPECT_TRUE(AcceptConfigFileLocation(folder, prompter, kCaption));
  EXPECT_TRUE(QFileInfo(folder + "/Save Backups").isDir());
  EXPECT_TRUE(QFileInfo(folder + "/From Device Backups").isDir());
  EXPECT_EQ(Stored("QVA Config Files"), folder);
  EXPECT_EQ(Stored("QVA Config Save Backups"), folder + "/Save Backups");
  EXPECT_EQ(Stored("QVA Config From Device Backups"), folder + "/From Device Backups");
  EXPECT_EQ(Stored("QVA Config File Templates"), QString("/kept/templates"));
  EXPECT_EQ(Stored("QVA Setup Tables"), QString());
}

TEST(ConfigLocation, ExistingBackupsAreLeftAsTheyAre) {
  const QString folder = TestEnvironment::Root() + "/Data";
  WriteAll(folder + "/Save Backups/Engine - 000.Q11", "old");
  ScriptedPrompter prompter;
  EXPECT_TRUE(AcceptConfigFileLocation(folder, prompter, kCaption));
  EXPECT_EQ(ReadAll(folder + "/Save Backups/Engine - 000.Q11"), QByteArray("old"));
}

TEST(ConfigLocation, MissingFolderAnsweredNoChangesNothing) {
  const QString folder = TestEnvironment::Root() + "/New/Config";
  ScriptedPrompter prompter;
  prompter.ExpectMessage(MissingQuestion(folder), MessageResult::No);
  EXPECT_FALSE(AcceptConfigFileLocation(folder, prompter, kCaption));
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(prompter.Messages()[0].icon, MessageIcon::Information);
  EXPECT_EQ(prompter.Messages()[0].caption, kCaption);
  EXPECT_FALSE(QFileInfo::exists(TestEnvironment::Root() + "/New"));
  EXPECT_EQ(Stored("QVA Config Files"), QString());
}

TEST(ConfigLocation, MissingFolderAnsweredYesIsCreatedWithEveryLevel) {
  const QString folder = TestEnvironment::Root() + "/New/Config";
  ScriptedPrompter prompter;
  prompter.ExpectMessage(MissingQuestion(folder), MessageResult::Yes);
  EXPECT_TRUE(AcceptConfigFileLocation(folder, prompter, kCaption));
  EXPECT_TRUE(QFileInfo(folder + "/Save Backups").isDir());
  EXPECT_TRUE(QFileInfo(folder + "/From Device Backups").isDir());
  EXPECT_EQ(Stored("QVA Config Files"), folder);
}

TEST(ConfigLocation, FolderThatCannotBeCreatedRaisesAndStoresNothing) {
  const QString blocker = TestEnvironment::PathIn("blocker");
  WriteAll(blocker, "x");
  const QString folder = blocker + "/Config";
  ScriptedPrompter prompter;
  prompter.ExpectMessage(MissingQuestion(folder), MessageResult::Yes);
  try {
    AcceptConfigFileLocation(folder, prompter, kCaption);
    FAIL() << "no exception";
  } catch (const ESystemError& e) {
    EXPECT_EQ(e.Message(), "Error creating directory " + blocker + "\n" + SystemErrorText(e.Code()));
  }
  EXPECT_EQ(Stored("QVA Config Files"), QString());
}

TEST(ConfigLocation, BackupFolderNameTakenByAFileRaisesAndStoresNothing) {
  const QString folder = TestEnvironment::Root() + "/Data";
  WriteAll(folder + "/Save Backups", "a file");
  ScriptedPrompter prompter;
  EXPECT_THROW(AcceptConfigFileLocation(folder, prompter, kCaption), ESystemError);
  EXPECT_EQ(Stored("QVA Config Files"), QString());
  EXPECT_EQ(ReadAll(folder + "/Save Backups"), QByteArray("a file"));
}
