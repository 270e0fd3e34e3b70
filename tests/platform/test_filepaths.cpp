// Path utilities: joining, titles, creating folders, listing with wildcards.

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/filepaths.h"
#include "platform/qvaerrors.h"
#include "support/testenvironment.h"
#include "support/qtprinters.h"

namespace {

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
