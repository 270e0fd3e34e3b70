// Listing the backup folders: order, what each file was made from, and
// files that cannot be read.

#include <QDateTime>
#include <QFile>

#include <gtest/gtest.h>

#include "platform/filepaths.h"
#include "platform/numberedbackups.h"
#include "platform/registeredfilepath.h"
#include "config/backuplist.h"
#include "config/qvasetupfiler.h"
#include "support/qtprinters.h"
#include "support/samplerecords.h"
#include "support/testenvironment.h"

// Faults caught: a list in name order instead of newest first; one bad
// file that stops or empties the list; a reason lost; a listing that
// changes a backup (its bytes or its read-only mark); the wrong source name.

namespace {

const QDateTime kMonday(QDate(2026, 11, 30), QTime(9, 0));

QString Place(FileType folder, const QString& name, const QByteArray& bytes, int minutesAfter) {
  const QString path = JoinPath(GetFolder(folder), name);
  WriteAll(path, bytes);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadWrite));
  EXPECT_TRUE(file.setFileTime(kMonday.addSecs(60 * minutesAfter), QFileDevice::FileModificationTime));
  return path;
}

}  // namespace

TEST(BackupList, ListsBothFoldersNewestFirstWithEveryUnreadableFileAndItsReason) {
  const QByteArray good = SetupFileBytes(SampleConfig({.seed = 1, .sensorType = 3}));
  const QString readOnly = Place(FileType::SaveBackups, "Car 1 - 000.Q11", good, 1);
  SetReadOnly(readOnly, true);
  Place(FileType::SaveBackups, "Car 1 - 001.Q11", good.left(100), 2);  // short
  QByteArray corrupt = good;
  corrupt[0] = 'X';
  Place(FileType::FromDeviceBackups, "QVA Backup - 000.Q11", corrupt, 3);
  Place(FileType::FromDeviceBackups, "QVA Backup - 001.Q11", good, 4);
  Place(FileType::SaveBackups, "notes.txt", "not a setup file", 5);
  // A link to nothing is no file (nor are pipes, which would block a read).
  ASSERT_TRUE(QFile::link(JoinPath(GetFolder(FileType::SaveBackups), "gone.Q11"),
                          JoinPath(GetFolder(FileType::SaveBackups), "Dangling - 002.Q11")));

  const std::vector<BackupEntry> entries = ListBackups();
  QStringList seen;
  for (const BackupEntry& entry : entries) {
    seen << QStringList{FileTitle(entry.path), BackupFolderText(entry.folder), entry.sourceName,
                        entry.config ? QString::number(entry.config->sensor_type) : entry.error}
                .join(QLatin1Char('|'));
  }
  ASSERT_EQ(seen.size(), 4);
  EXPECT_EQ(seen[0], QStringLiteral("QVA Backup - 001|From Device Backups|QVA Backup|3"));
  EXPECT_EQ(seen[1], QStringLiteral("QVA Backup - 000|From Device Backups|QVA Backup|File format not valid"));
  EXPECT_EQ(seen[2], QStringLiteral("Car 1 - 001|Save Backups|Car 1|File format not valid"));
  EXPECT_EQ(seen[3], QStringLiteral("Car 1 - 000|Save Backups|Car 1|3"));
  // Listing only reads.
  EXPECT_EQ(ReadAll(readOnly), good);
  EXPECT_TRUE(IsReadOnly(readOnly));
}

TEST(BackupList, AFolderFilterListsThatFolderOnly) {
  const QByteArray good = SetupFileBytes(SampleConfig());
  Place(FileType::SaveBackups, "Car - 000.Q11", good, 1);
  Place(FileType::FromDeviceBackups, "QVA Backup - 000.Q11", good, 2);
  const std::vector<BackupEntry> device = ListBackups(BackupFolder::FromDevice);
  ASSERT_EQ(device.size(), 1u);
  EXPECT_EQ(device[0].sourceName, QStringLiteral("QVA Backup"));
  const std::vector<BackupEntry> saves = ListBackups(BackupFolder::Save);
  ASSERT_EQ(saves.size(), 1u);
  EXPECT_EQ(saves[0].sourceName, QStringLiteral("Car"));
}

TEST(BackupList, SourceNameIsTheTitleBeforeTheNumber) {
  const struct {
    const char* name;
    const char* source;
  } cases[] = {
      {"Car 1 - 000.Q11", "Car 1"}, {"A - B - 012.Q11", "A - B"},   {"Big - 1000.Q11", "Big"},
      {"Plain.Q11", "Plain"},       {"Car - 12x.Q11", "Car - 12x"}, {" - 001.Q11", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(BackupSourceTitle(c.name), QString::fromLatin1(c.source)) << c.name;
}
