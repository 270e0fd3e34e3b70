// Numbered backups: the next free number, backup names and pruning.

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/registeredfilepath.h"
#include "platform/filepaths.h"
#include "platform/numberedbackups.h"
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

}  // namespace

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
