#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/registeredfilepath.h"
#include "platform/filepaths.h"
#include "platform/numberedbackups.h"
#include "config/qvaconfig.h"
#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"
#include "support/filesizelimit.h"
#include "support/samplerecords.h"
#include "support/testenvironment.h"
#include "support/qtprinters.h"

namespace {

std::vector<QString> FolderNames(const QString& folder) {
  std::vector<QString> names;
  for (const FileEntry& entry : ListFiles(JoinPath(folder, "*"), faAnyFile)) names.push_back(entry.name);
  return names;
}

// Every file of a folder with its bytes, to show a folder was left alone.
std::vector<std::pair<QString, QByteArray>> FolderContents(const QString& folder) {
  std::vector<std::pair<QString, QByteArray>> contents;
  for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name))
    contents.emplace_back(name, ReadAll(JoinPath(folder, name)));
  return contents;
}

}  // namespace

TEST(SaveOverWithBackup, NewFileHasNoBackup) {
  const QString path = TestEnvironment::PathIn("work/Engine.Q11");
  EXPECT_EQ(SaveOverWithBackup(path, SampleConfig({.version = 110})), QString());
  EXPECT_EQ(ReadSetupFile(path).version, 110);
  EXPECT_TRUE(FolderNames(GetFolder(FileType::SaveBackups)).empty());
}

TEST(SaveOverWithBackup, OldFileBecomesReadOnlyNumberedBackup) {
  const QString path = TestEnvironment::PathIn("work/Engine.Q11");
  WriteSetupFile(path, SampleConfig({.version = 101}));
  const QString backup = JoinPath(GetFolder(FileType::SaveBackups), "Engine - 000.Q11");
  EXPECT_EQ(SaveOverWithBackup(path, SampleConfig({.version = 102})), backup);
  ASSERT_TRUE(QFileInfo::exists(backup));
  EXPECT_TRUE(IsReadOnly(backup));
  EXPECT_EQ(ReadSetupFile(backup).version, 101);
  EXPECT_EQ(ReadSetupFile(path).version, 102);
  EXPECT_FALSE(IsReadOnly(path));

  SaveOverWithBackup(path, SampleConfig({.version = 103}));
  EXPECT_EQ(ReadSetupFile(JoinPath(GetFolder(FileType::SaveBackups), "Engine - 001.Q11")).version, 102);
  EXPECT_EQ(ReadSetupFile(path).version, 103);
}

TEST(SaveOverWithBackup, MoveThatFailsStillSavesWithoutBackup) {
  const QString path = TestEnvironment::PathIn("work/Engine.Q11");
  WriteSetupFile(path, SampleConfig({.version = 101}));
  int moves = 0;
  const QString backup =
      SaveOverWithBackup(path, SampleConfig({.version = 102}), [&moves](const QString&, const QString&) {
        ++moves;
        return false;
      });
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(backup, QString());
  EXPECT_EQ(ReadSetupFile(path).version, 102);
  EXPECT_TRUE(FolderNames(GetFolder(FileType::SaveBackups)).empty());
}

TEST(SaveOverWithBackup, NewFileThatCannotBePutInPlaceKeepsTheBackup) {
  const QString path = TestEnvironment::PathIn("work/Engine.Q11");
  WriteSetupFile(path, SampleConfig({.version = 101}));
  // Something takes the path once the old file has moved (a folder), so the
  // new file cannot be put there: the old content must survive as backup.
  const auto moveThenBlock = [&path](const QString& from, const QString& to) {
    if (!QFile::rename(from, to)) return false;
    if (from == path) QDir().mkpath(path);
    return true;
  };
  EXPECT_THROW(SaveOverWithBackup(path, SampleConfig({.version = 102}), moveThenBlock), EFileWrite);
  const QString backup = JoinPath(GetFolder(FileType::SaveBackups), "Engine - 000.Q11");
  EXPECT_EQ(ReadSetupFile(backup).version, 101);
  EXPECT_TRUE(IsReadOnly(backup));
}

TEST(SaveOverWithBackup, ExistingBackupNameIsNeverOverwritten) {
  const QString path = TestEnvironment::PathIn("work/Engine.Q11");
  WriteSetupFile(path, SampleConfig({.version = 101}));
  const QString saves = GetFolder(FileType::SaveBackups);
  // A folder with the next backup's name: the move must not replace it.
  QDir().mkpath(JoinPath(saves, "Engine - 000.Q11"));
  SaveOverWithBackup(path, SampleConfig({.version = 102}));
  EXPECT_TRUE(QFileInfo(JoinPath(saves, "Engine - 000.Q11")).isDir());
  EXPECT_EQ(ReadSetupFile(path).version, 102);
}

TEST(SaveOverWithBackup, FailedWriteLeavesTheOldFileInPlace) {
  // The target is a folder: nothing may be written or moved.
  const QString folderTarget = TestEnvironment::PathIn("work/Folder.Q11");
  QDir().mkpath(folderTarget);
  EXPECT_THROW(SaveOverWithBackup(folderTarget, SampleConfig({.version = 102})), ESystemError);
  EXPECT_TRUE(QFileInfo(folderTarget).isDir());
  EXPECT_TRUE(FolderNames(GetFolder(FileType::SaveBackups)).empty());
}

TEST(SaveOverWithBackup, TempFileThatCannotBeCreatedLosesNothing) {
  const QString blocker = TestEnvironment::PathIn("work/notafolder");
  WriteAll(blocker, "x");
  EXPECT_THROW(SaveOverWithBackup(blocker + "/Engine.Q11", SampleConfig({.version = 102})), Exception);
  EXPECT_EQ(ReadAll(blocker), QByteArray("x"));
  EXPECT_TRUE(FolderNames(GetFolder(FileType::SaveBackups)).empty());
}

TEST(SaveOverWithBackup, ReadOnlyOldFileIsNeverOverwritten) {
  const QString path = TestEnvironment::PathIn("work/Locked.Q11");
  WriteSetupFile(path, SampleConfig({.version = 101}));
  SetReadOnly(path, true);
  EXPECT_THROW(SaveOverWithBackup(path, SampleConfig({.version = 102})), ESystemError);
  EXPECT_EQ(ReadSetupFile(path).version, 101);
  EXPECT_TRUE(IsReadOnly(path));
  EXPECT_TRUE(FolderNames(GetFolder(FileType::SaveBackups)).empty());
}

TEST(SaveOverWithBackup, PrunesTheSaveBackupsFolder) {
  const QString saves = GetFolder(FileType::SaveBackups);
  const QDateTime start(QDate(2024, 1, 1), QTime(8, 0));
  for (int i = 0; i < kSaveBackupsLimit; ++i) {
    const QString p = JoinPath(saves, QStringLiteral("Old - %1.Q11").arg(i, 3, 10, QLatin1Char('0')));
    WriteAll(p, "x");
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(start.addSecs(i), QFileDevice::FileModificationTime));
    f.close();
    SetReadOnly(p, true);
  }
  const QString path = TestEnvironment::PathIn("work/Engine.Q11");
  WriteSetupFile(path, SampleConfig({.version = 101}));
  SaveOverWithBackup(path, SampleConfig({.version = 102}));
  EXPECT_FALSE(QFileInfo::exists(JoinPath(saves, "Old - 000.Q11")));
  EXPECT_TRUE(QFileInfo::exists(JoinPath(saves, "Old - 001.Q11")));
  EXPECT_TRUE(QFileInfo::exists(JoinPath(saves, "Engine - 000.Q11")));
}

TEST(SaveOverWithBackup, ThroughALinkTheOldContentIsKeptAndTheLinkStays) {
  const QString real = TestEnvironment::PathIn("data/Real.Q11");
  const QString link = TestEnvironment::PathIn("work/Engine.Q11");
  WriteSetupFile(real, SampleConfig({.version = 101}));
  ASSERT_TRUE(QFile::link(real, link));
  SaveOverWithBackup(link, SampleConfig({.version = 102}));
  const QString backup = JoinPath(GetFolder(FileType::SaveBackups), "Engine - 000.Q11");
  EXPECT_FALSE(QFileInfo(backup).isSymLink());
  EXPECT_EQ(ReadSetupFile(backup).version, 101);
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(ReadSetupFile(link).version, 102);
  EXPECT_EQ(ReadSetupFile(real).version, 102);
}

TEST(SaveOverWithBackup, AShortWriteLeavesTheOldFileAndTheBackupsAsTheyWere) {
  const QString path = TestEnvironment::PathIn("work/Engine.Q11");
  WriteSetupFile(path, SampleConfig({.version = 100}));
  SaveOverWithBackup(path, SampleConfig({.version = 101}));
  // The folders and their settings exist before the child runs.
  const QString saves = GetFolder(FileType::SaveBackups);
  const auto backupsBefore = FolderContents(saves);
  const auto workBefore = FolderContents(QFileInfo(path).absolutePath());
  ASSERT_EQ(backupsBefore.size(), 1u);

  // Room for half a setup file, as on a disk that fills up.
  const LimitedRun run = RunUnderFileSizeLimit(500, [&] { SaveOverWithBackup(path, SampleConfig({.version = 102})); });

  ASSERT_TRUE(run.completed);
  EXPECT_TRUE(run.raised);
  EXPECT_EQ(run.message, QStringLiteral("File write error"));
  EXPECT_EQ(FolderContents(QFileInfo(path).absolutePath()), workBefore);
  EXPECT_EQ(FolderContents(saves), backupsBefore);
  EXPECT_EQ(ReadSetupFile(path).version, 101);
  EXPECT_FALSE(IsReadOnly(path));
}

TEST(SaveOverWithBackup, ANewFileThatCannotBePutInPlaceBringsTheOldOneBack) {
  const QString path = TestEnvironment::PathIn("work/Engine.Q11");
  WriteSetupFile(path, SampleConfig({.version = 101}));
  const QFileDevice::Permissions permissions =
      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup;
  ASSERT_TRUE(QFile::setPermissions(path, permissions));
  const QByteArray old = ReadAll(path);
  // A folder takes the path while the old file is away, so the new file
  // cannot be put in place; it has gone again when the old file goes back.
  int moves = 0;
  const auto moveWhileSomethingBlocks = [&](const QString& from, const QString& to) {
    if (++moves == 2) QDir().rmdir(to);
    if (!QFile::rename(from, to)) return false;
    if (moves == 1) QDir().mkpath(from);
    return true;
  };
  EXPECT_THROW(SaveOverWithBackup(path, SampleConfig({.version = 102}), moveWhileSomethingBlocks), EFileWrite);
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(QFileInfo(path).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
            permissions);
  EXPECT_TRUE(FolderNames(GetFolder(FileType::SaveBackups)).empty());
}
