// The named folders in the settings store and the path macros.

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
