#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "platform/qvaregistry.h"
#include "platform/registeredfilepath.h"
#include "platform/registryfunctions.h"
#include "platform/qvaerrors.h"
#include "support/testenvironment.h"
#include "support/qtprinters.h"

namespace {

const QString kSep = QDir::separator();

QString StoredFolder(const QString& valueName) {
  TRegistry registry(RegistryRoot::LocalMachine);
  if (!registry.OpenKey(DirectoriesKeyPath(), false) || !registry.ValueExists(valueName)) return QString();
  return registry.ReadString(valueName);
}

void StoreFolder(const QString& valueName, const QString& path) {
  TRegistry registry(RegistryRoot::LocalMachine);
  ASSERT_TRUE(registry.OpenKey(DirectoriesKeyPath(), true));
  registry.WriteString(valueName, path);
}

QString Documents() {
  return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void Touch(const QString& path, const QDateTime& modified = QDateTime()) {
  WriteAll(path, QByteArray("x"));
  if (modified.isValid()) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
  }
}

std::vector<QString> Names(const std::vector<FileEntry>& entries) {
  std::vector<QString> names;
  for (const FileEntry& entry : entries) names.push_back(entry.name);
  return names;
}

}  // namespace

// ---------------------------------------------------------------- folders

struct FolderCase {
  FileType kind;
  const char* valueName;
  const char* relativeDefault;
};

void PrintTo(const FolderCase& c, std::ostream* out) {
  *out << c.valueName;
}

class FolderDefaults : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderDefaults, MissingValueIsStoredAndFolderCreatedInDocuments) {
  const FolderCase& c = GetParam();
  const QString expected = Documents() + "/" + c.relativeDefault;
  ASSERT_FALSE(QFileInfo::exists(expected));
  EXPECT_EQ(GetFolder(c.kind), expected);
  EXPECT_TRUE(QFileInfo(expected).isDir());
  EXPECT_EQ(StoredFolder(c.valueName), expected);
  EXPECT_EQ(FolderValueName(c.kind), QString(c.valueName));
}

INSTANTIATE_TEST_SUITE_P(
    AllFive, FolderDefaults,
    ::testing::Values(
        FolderCase{FileType::ConfigFiles, "QVA Config Files", "Ulmora/QVA/Config"},
        FolderCase{FileType::FromDeviceBackups, "QVA Config From Device Backups",
                   "Ulmora/QVA/Config/From Device Backups"},
        FolderCase{FileType::SaveBackups, "QVA Config Save Backups", "Ulmora/QVA/Config/Save Backups"},
        FolderCase{FileType::FileTemplates, "QVA Config File Templates", "Ulmora/QVA/Config/Templates"},
        FolderCase{FileType::SetupTables, "QVA Setup Tables", "Ulmora/QVA/Setup Tables"}));

TEST(Folders, StoredValueIsUsedUnchangedWithoutMacroExpansion) {
  const QString literal = TestEnvironment::Root() + "/stored/<<TEMPDIR>>";
  StoreFolder("QVA Setup Tables", literal);
  EXPECT_EQ(GetFolder(FileType::SetupTables), literal);
  EXPECT_TRUE(QFileInfo(literal).isDir());
  EXPECT_EQ(StoredFolder("QVA Setup Tables"), literal);
}

TEST(Folders, FolderThatCannotBeCreatedFallsBackToApplicationDirWithoutStoringIt) {
  const QString blocker = TestEnvironment::PathIn("blocker");
  WriteAll(blocker, "a file, not a folder");
  const QString impossible = blocker + "/Config";
  StoreFolder("QVA Config Files", impossible);
  EXPECT_EQ(GetFolder(FileType::ConfigFiles), ApplicationDir());
  EXPECT_EQ(StoredFolder("QVA Config Files"), impossible);
  EXPECT_TRUE(QFileInfo(blocker).isFile());
}

TEST(Folders, EmptyStoredValueFallsBackToApplicationDir) {
  StoreFolder("QVA Config File Templates", "");
  EXPECT_EQ(GetFolder(FileType::FileTemplates), ApplicationDir());
  EXPECT_EQ(StoredFolder("QVA Config File Templates"), QString());
}

TEST(Folders, SetFolderWritesTheNamedValue) {
  const QString folder = TestEnvironment::PathIn("mine/Templates");
  SetFolder(FileType::FileTemplates, folder);
  EXPECT_EQ(StoredFolder("QVA Config File Templates"), folder);
  EXPECT_EQ(StoredFolder("QVA Config Files"), QString());
  EXPECT_EQ(GetFolder(FileType::FileTemplates), folder);
}

TEST(Folders, BadFileTypeIsAnInternalErrorBeforeTheStoreIsTouched) {
  for (int bad : {-1, 5, 42}) {
    try {
      GetFolder(static_cast<FileType>(bad));
      FAIL() << "no exception for " << bad;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), QString("Internal Error: Bad file type."));
    }
    EXPECT_THROW(SetFolder(static_cast<FileType>(bad), "x"), Exception);
  }
  EXPECT_FALSE(QFileInfo::exists(TRegistry::StoreFolder() + "/machine.ini"));
}

TEST(Folders, UnwritableStoreRaisesCannotAccessRegistryKey) {
  // The store's folder is a regular file, so the key cannot be created.
  QDir().mkpath(QFileInfo(TRegistry::StoreFolder()).absolutePath());
  WriteAll(TRegistry::StoreFolder(), "blocks the store");
  try {
    GetFolder(FileType::ConfigFiles);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot access registry key " + DirectoriesKeyPath());
  }
}

// ---------------------------------------------------------------- macros

TEST(PathMacros, EveryOccurrenceIsReplacedWithCase) {
  const QString temp = QDir::toNativeSeparators(QDir::tempPath());
  EXPECT_EQ(ExpandPathMacros("<<TEMPDIR>>/a<<TEMPDIR>>"), temp + "/a" + temp);
  EXPECT_EQ(ExpandPathMacros("<<tempdir>>"), QString("<<tempdir>>"));
  EXPECT_EQ(ExpandPathMacros("<<DOCUMENTS>>/Ulmora"), Documents() + "/Ulmora");
  EXPECT_EQ(ExpandPathMacros("<<APPDIR>>") + kSep, ApplicationDir());
  EXPECT_FALSE(ExpandPathMacros("<<PROGRAMFILES>>").contains("<<"));
  EXPECT_FALSE(ExpandPathMacros("<<PROGRAMFILES>>").isEmpty());
}

TEST(PathMacros, ApplicationDirIsTheExecutablesFolderWithASeparator) {
  EXPECT_EQ(ApplicationDir(), QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + kSep);
}

// ---------------------------------------------------------------- paths

struct JoinCase {
  const char* left;
  const char* right;
  const char* joined;
};

void PrintTo(const JoinCase& c, std::ostream* out) {
  *out << c.left << " + " << c.right;
}

class JoinPaths : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinPaths, AddsOneSeparatorOnlyWhenMissing) {
  const JoinCase& c = GetParam();
  EXPECT_EQ(JoinPath(c.left, c.right), QDir::toNativeSeparators(c.joined));
}

INSTANTIATE_TEST_SUITE_P(Cases, JoinPaths,
                         ::testing::Values(JoinCase{"/a/b", "c.Q11", "/a/b/c.Q11"},
                                           JoinCase{"/a/b/", "c.Q11", "/a/b/c.Q11"}, JoinCase{"/", "c", "/c"},
                                           JoinCase{"x", "*.Q11", "x/*.Q11"}));

struct TitleCase {
  const char* path;
  const char* title;
};

void PrintTo(const TitleCase& c, std::ostream* out) {
  *out << '"' << c.path << '"';
}

class FileTitles : public ::testing::TestWithParam<TitleCase> {};

TEST_P(FileTitles, DropsFolderAndLastExtension) {
  EXPECT_EQ(FileTitle(GetParam().path), QString(GetParam().title));
}

INSTANTIATE_TEST_SUITE_P(Cases, FileTitles,
                         ::testing::Values(TitleCase{"/x/y/Engine.Q11", "Engine"},
                                           TitleCase{"Engine.Q11", "Engine"},
                                           TitleCase{"/x/Engine - 003.Q11", "Engine - 003"},
                                           TitleCase{"/x.d/Engine", "Engine"}, TitleCase{"/x/a.b.Q11", "a.b"},
                                           TitleCase{"/x/", ""}, TitleCase{"", ""}));

TEST(CreateDirectoryPath, CreatesEveryMissingLevel) {
  const QString deep = TestEnvironment::Root() + "/one/two/three";
  CreateDirectoryPath("  " + deep + "/  ");
  EXPECT_TRUE(QFileInfo(deep).isDir());
  CreateDirectoryPath(deep);  // existing: nothing to do, no error
  EXPECT_TRUE(QFileInfo(deep).isDir());
}

TEST(CreateDirectoryPath, FailureNamesTheLevelThatFailed) {
  const QString blocker = TestEnvironment::PathIn("level/file");
  WriteAll(blocker, "x");
  try {
    CreateDirectoryPath(blocker + "/below/deeper");
    FAIL() << "no exception";
  } catch (const ESystemError& e) {
    EXPECT_EQ(e.Message(), "Error creating directory " + blocker + "\n" + SystemErrorText(e.Code()));
    EXPECT_NE(e.Code(), 0);
  }
  EXPECT_FALSE(QFileInfo::exists(blocker + "/below"));
}

TEST(CreateDirectoryPath, EmptyPathIsAnError) {
  EXPECT_THROW(CreateDirectoryPath("   "), ESystemError);
}

// ---------------------------------------------------------------- listing

TEST(ListFiles, WildcardsSortByCharacterCodeAndAttributeFilter) {
  const QString dir = TestEnvironment::PathIn("list/");
  for (const char* name : {"b.Q11", "B.Q11", "a.Q11", "_.Q11", "notes.txt", "a.Q11x", ".hidden.Q11"})
    Touch(dir + name);
  QDir().mkpath(dir + "folder.Q11");
  SetReadOnly(dir + "a.Q11", true);

  EXPECT_EQ(Names(ListFiles(dir + "*.Q11", faReadOnly)),
            (std::vector<QString>{"B.Q11", "_.Q11", "a.Q11", "b.Q11"}));
  EXPECT_EQ(Names(ListFiles(dir + "*.Q11", faReadOnly | faHidden | faDirectory)),
            (std::vector<QString>{".hidden.Q11", "B.Q11", "_.Q11", "a.Q11", "b.Q11", "folder.Q11"}));
  EXPECT_EQ(Names(ListFiles(dir + "?.Q11", 0)), (std::vector<QString>{"B.Q11", "_.Q11", "a.Q11", "b.Q11"}));
  EXPECT_EQ(Names(ListFiles(dir + "a.Q11*", 0)), (std::vector<QString>{"a.Q11", "a.Q11x"}));

  for (const FileEntry& entry : ListFiles(dir + "*", faAnyFile)) {
    EXPECT_EQ((entry.attributes & faReadOnly) != 0, entry.name == "a.Q11") << entry.name.toStdString();
    EXPECT_EQ((entry.attributes & faHidden) != 0, entry.name.startsWith('.')) << entry.name.toStdString();
    EXPECT_EQ((entry.attributes & faDirectory) != 0, entry.name == "folder.Q11") << entry.name.toStdString();
  }
}

TEST(ListFiles, MissingFolderGivesNothing) {
  EXPECT_TRUE(ListFiles(TestEnvironment::Root() + "/nowhere/*.Q11", faAnyFile).empty());
}

TEST(ListFiles, BracketsInNamesAreNotWildcards) {
  const QString dir = TestEnvironment::PathIn("brackets/");
  Touch(dir + "[a].Q11");
  Touch(dir + "a.Q11");
  EXPECT_EQ(Names(ListFiles(dir + "[a].Q11", 0)), (std::vector<QString>{"[a].Q11"}));
}

// ---------------------------------------------------------------- numbering

struct NumberingCase {
  const char* label;
  std::vector<const char*> existing;
  const char* expected;
};

void PrintTo(const NumberingCase& c, std::ostream* out) {
  *out << c.label;
}

class Numbering : public ::testing::TestWithParam<NumberingCase> {};

TEST_P(Numbering, NextNumberIsOneAboveTheHighest) {
  const QString dir = TestEnvironment::PathIn("numbers/");
  for (const char* name : GetParam().existing) Touch(dir + name);
  EXPECT_EQ(NextNumberedFileName(dir + "Engine - ", 3, ".Q11"), dir + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Numbering,
    ::testing::Values(
        NumberingCase{"EmptyFolder", {}, "Engine - 000.Q11"},
        NumberingCase{"SevenAndTwelve", {"Engine - 007.Q11", "Engine - 012.Q11"}, "Engine - 013.Q11"},
        NumberingCase{"LettersIgnored", {"Engine - abc.Q11", "Engine - 004.Q11"}, "Engine - 005.Q11"},
        NumberingCase{"OnlyLetters", {"Engine - abc.Q11"}, "Engine - 000.Q11"},
        NumberingCase{"After999", {"Engine - 999.Q11"}, "Engine - 1000.Q11"},
        NumberingCase{"After1000", {"Engine - 999.Q11", "Engine - 1000.Q11"}, "Engine - 1001.Q11"},
        NumberingCase{"OtherNamesIgnored",
                      {"Other - 050.Q11", "Engine - 002.QV1", "Engine - 5.Q11"},
                      "Engine - 000.Q11"},
        NumberingCase{
            "HugeNumberIgnored", {"Engine - 002.Q11", "Engine - 99999999999.Q11"}, "Engine - 003.Q11"}));

TEST(Numbering, WildcardCharactersInTheTitleAreLiteral) {
  const QString dir = TestEnvironment::PathIn("literal/");
  Touch(dir + "Engine - 041.Q11");
  EXPECT_EQ(NextNumberedFileName(dir + "* - ", 3, ".Q11"), dir + "* - 000.Q11");
}

TEST(BackupNames, NumberedPerTitleInTheBackupFolder) {
  const QString saves = GetFolder(FileType::SaveBackups);
  Touch(JoinPath(saves, "Engine - 000.Q11"));
  EXPECT_EQ(BackupFileName(FileType::SaveBackups, "/any/where/Engine.Q11"),
            JoinPath(saves, "Engine - 001.Q11"));
  EXPECT_EQ(BackupFileName(FileType::FromDeviceBackups, "QVA Backup"),
            JoinPath(GetFolder(FileType::FromDeviceBackups), "QVA Backup - 000.Q11"));
  EXPECT_EQ(BackupFileName(FileType::SaveBackups, "/x/  .Q11"), JoinPath(saves, "No Name - 000.Q11"));
  EXPECT_EQ(BackupFileName(FileType::SaveBackups, ""), JoinPath(saves, "No Name - 000.Q11"));
}

TEST(BackupNames, OnlyBackupFoldersAreAccepted) {
  for (FileType kind : {FileType::ConfigFiles, FileType::FileTemplates, FileType::SetupTables}) {
    EXPECT_THROW(BackupFileName(kind, "Engine.Q11"), Exception);
    EXPECT_THROW(PruneBackups(kind), Exception);
  }
}

// ---------------------------------------------------------------- pruning

namespace {

// Fills a backup folder with `count` read-only numbered backups, one minute
// apart, the first the oldest.
std::vector<QString> MakeBackups(const QString& folder, const QString& title, int count,
                                 const QDateTime& start) {
  std::vector<QString> paths;
  for (int i = 0; i < count; ++i) {
    const QString path =
        JoinPath(folder, QStringLiteral("%1 - %2.Q11").arg(title).arg(i, 3, 10, QLatin1Char('0')));
    Touch(path, start.addSecs(60 * i));
    SetReadOnly(path, true);
    paths.push_back(path);
  }
  return paths;
}

}  // namespace

TEST(Pruning, FromDeviceBackupsKeepsTheTenNewest) {
  const QString folder = GetFolder(FileType::FromDeviceBackups);
  const QDateTime start(QDate(2024, 1, 1), QTime(8, 0));
  const auto paths = MakeBackups(folder, "QVA Backup", 13, start);
  PruneBackups(FileType::FromDeviceBackups);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(QFileInfo::exists(paths[i]), i >= 3) << i;
}

TEST(Pruning, SaveBackupsKeepsAHundred) {
  const QString folder = GetFolder(FileType::SaveBackups);
  const auto paths = MakeBackups(folder, "Engine", 101, QDateTime(QDate(2024, 1, 1), QTime(8, 0)));
  PruneBackups(FileType::SaveBackups);
  EXPECT_FALSE(QFileInfo::exists(paths[0]));
  for (int i = 1; i < 101; ++i) EXPECT_TRUE(QFileInfo::exists(paths[i])) << i;
}

TEST(Pruning, OldestByTimeNotByNameAndTiesByName) {
  const QString folder = GetFolder(FileType::FromDeviceBackups);
  const QDateTime start(QDate(2024, 1, 1), QTime(8, 0));
  auto paths = MakeBackups(folder, "Middle", 9, start.addDays(1));
  const QString tieB = JoinPath(folder, "B - 001.Q11");
  const QString tieA = JoinPath(folder, "A - 001.Q11");
  const QString newest = JoinPath(folder, "A - 000.Q11");
  Touch(tieB, start);
  Touch(tieA, start);
  Touch(newest, start.addDays(5));
  for (const QString& p : {tieA, tieB, newest}) SetReadOnly(p, true);
  // 12 candidates, limit 10: the two oldest go; A before B on the tie.
  PruneBackups(FileType::FromDeviceBackups);
  EXPECT_FALSE(QFileInfo::exists(tieA));
  EXPECT_FALSE(QFileInfo::exists(tieB));
  EXPECT_TRUE(QFileInfo::exists(newest));
  for (const QString& p : paths) EXPECT_TRUE(QFileInfo::exists(p));
}

TEST(Pruning, TieBreakTakesTheFirstNameOnly) {
  const QString folder = GetFolder(FileType::FromDeviceBackups);
  const QDateTime start(QDate(2024, 1, 1), QTime(8, 0));
  MakeBackups(folder, "Newer", 9, start.addDays(1));
  const QString tieB = JoinPath(folder, "B - 001.Q11");
  const QString tieA = JoinPath(folder, "A - 001.Q11");
  Touch(tieB, start);
  Touch(tieA, start);
  SetReadOnly(tieA, true);
  SetReadOnly(tieB, true);
  PruneBackups(FileType::FromDeviceBackups);  // 11 candidates: one goes
  EXPECT_FALSE(QFileInfo::exists(tieA));
  EXPECT_TRUE(QFileInfo::exists(tieB));
}

TEST(Pruning, WritableOrUnnumberedFilesAreNeverTouched) {
  const QString folder = GetFolder(FileType::FromDeviceBackups);
  const QDateTime ancient(QDate(2000, 1, 1), QTime(0, 0));
  const QString writable = JoinPath(folder, "Old - 001.Q11");
  const QString unnumbered = JoinPath(folder, "Old - abc.Q11");
  const QString shortTitle = JoinPath(folder, "12.Q11");
  const QString otherType = JoinPath(folder, "Old - 002.txt");
  Touch(writable, ancient);
  for (const QString& p : {unnumbered, shortTitle, otherType}) {
    Touch(p, ancient);
    SetReadOnly(p, true);
  }
  const auto backups = MakeBackups(folder, "QVA Backup", 11, QDateTime(QDate(2024, 1, 1), QTime(8, 0)));
  PruneBackups(FileType::FromDeviceBackups);
  for (const QString& p : {writable, unnumbered, shortTitle, otherType}) EXPECT_TRUE(QFileInfo::exists(p));
  EXPECT_FALSE(QFileInfo::exists(backups[0]));
  EXPECT_TRUE(QFileInfo::exists(backups[1]));
}

TEST(Pruning, AtTheLimitNothingGoes) {
  const QString folder = GetFolder(FileType::FromDeviceBackups);
  const auto paths = MakeBackups(folder, "QVA Backup", 10, QDateTime(QDate(2024, 1, 1), QTime(8, 0)));
  PruneBackups(FileType::FromDeviceBackups);
  for (const QString& p : paths) EXPECT_TRUE(QFileInfo::exists(p));
}
