// The one file writer against a real shortfall: a child process whose
// files may not grow beyond a limit, as on a full disk.

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/qvaerrors.h"
#include "platform/safefilewriter.h"
#include "support/filesizelimit.h"
#include "support/qtprinters.h"
#include "support/testenvironment.h"

namespace {

constexpr qint64 kLimit = 500;

QByteArray Pattern(qint64 size) {
  QByteArray bytes(size, '\0');
  for (qint64 i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + i % 26);
  return bytes;
}

QStringList FolderEntries(const QString& path) {
  return QDir(QFileInfo(path).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

struct LimitCase {
  qint64 size;
  bool fits;
};

void PrintTo(const LimitCase& c, std::ostream* out) {
  *out << c.size << " bytes";
}

class WriteUnderALimit : public ::testing::TestWithParam<LimitCase> {};

}  // namespace

// At the limit every byte lands; one byte beyond, the write comes up short
// and the old file must stay as it was, with no temporary file left over.
TEST_P(WriteUnderALimit, ReplacesTheFileOnlyWhenEveryByteLanded) {
  const QString path = TestEnvironment::PathIn("work/target.bin");
  const QByteArray old = QByteArray("the previous content");
  WriteAll(path, old);
  const QByteArray bytes = Pattern(GetParam().size);

  const LimitedRun run = RunUnderFileSizeLimit(kLimit, [&] { WriteFileSafely(path, bytes); });

  ASSERT_TRUE(run.completed);
  if (GetParam().fits) {
    EXPECT_FALSE(run.raised) << run.message.toStdString();
    EXPECT_EQ(ReadAll(path), bytes);
  } else {
    EXPECT_TRUE(run.raised);
    EXPECT_EQ(run.message, QStringLiteral("File write error"));
    EXPECT_EQ(ReadAll(path), old);
  }
  EXPECT_EQ(FolderEntries(path), QStringList{QStringLiteral("target.bin")});
}

INSTANTIATE_TEST_SUITE_P(Sizes, WriteUnderALimit,
                         ::testing::Values(LimitCase{kLimit - 1, true}, LimitCase{kLimit, true},
                                           LimitCase{kLimit + 1, false}, LimitCase{944, false}));

TEST(SafeFileWriter, ANewFileThatComesUpShortIsNeverCreated) {
  const QString path = TestEnvironment::PathIn("work/new.bin");
  const LimitedRun run = RunUnderFileSizeLimit(kLimit, [&] { WriteFileSafely(path, Pattern(2 * kLimit)); });
  EXPECT_TRUE(run.raised);
  EXPECT_TRUE(FolderEntries(path).isEmpty());
}

TEST(SafeFileWriter, ASecondWriteThatComesUpShortDiscardsTheFirst) {
  const QString path = TestEnvironment::PathIn("work/target.bin");
  WriteAll(path, "old");
  const LimitedRun run = RunUnderFileSizeLimit(kLimit, [&] {
    SafeFileWriter writer(path);
    writer.Write(Pattern(kLimit - 10));
    writer.Write(Pattern(20));
    writer.Commit();
  });
  EXPECT_TRUE(run.raised);
  EXPECT_EQ(ReadAll(path), QByteArray("old"));
  EXPECT_EQ(FolderEntries(path), QStringList{QStringLiteral("target.bin")});
}

TEST(SafeFileWriter, AWriterLeftWithoutCommitChangesNothing) {
  const QString path = TestEnvironment::PathIn("work/target.bin");
  WriteAll(path, "old");
  {
    SafeFileWriter writer(path);
    writer.Write("new content");
  }
  EXPECT_EQ(ReadAll(path), QByteArray("old"));
  EXPECT_EQ(FolderEntries(path), QStringList{QStringLiteral("target.bin")});
}

TEST(SafeFileWriter, RefusesReadOnlyFilesAndFoldersBeforeWriting) {
  const QString locked = TestEnvironment::PathIn("work/locked.bin");
  WriteAll(locked, "old");
  SetReadOnly(locked, true);
  EXPECT_THROW(WriteFileSafely(locked, "new"), ESystemError);
  EXPECT_EQ(ReadAll(locked), QByteArray("old"));

  const QString folder = TestEnvironment::PathIn("work/folder.bin");
  QDir().mkpath(folder);
  EXPECT_THROW(WriteFileSafely(folder, "new"), ESystemError);
  EXPECT_TRUE(QFileInfo(folder).isDir());
}
