#include "config/backuplist.h"

#include <algorithm>

#include "platform/filepaths.h"
#include "platform/numberedbackups.h"
#include "platform/qvaerrors.h"
#include "platform/registeredfilepath.h"
#include "config/qvasetupfiler.h"

namespace {

FileType FolderType(BackupFolder folder) {
  return folder == BackupFolder::FromDevice ? FileType::FromDeviceBackups : FileType::SaveBackups;
}

}  // namespace

QString BackupFolderText(BackupFolder folder) {
  return folder == BackupFolder::FromDevice ? QStringLiteral("From Device Backups")
                                            : QStringLiteral("Save Backups");
}

std::vector<BackupEntry> ReadBackupFolder(const QString& folder, BackupFolder kind) {
  std::vector<BackupEntry> entries;
  for (const FileEntry& file :
       ListFiles(JoinPath(folder, QStringLiteral("*.") + kSetupFileExtension), faReadOnly | faHidden)) {
    BackupEntry entry;
    entry.path = JoinPath(folder, file.name);
    entry.time = file.modified;
    entry.folder = kind;
    entry.sourceName = BackupSourceTitle(file.name);
    try {
      QVA_CONFIG_DATA record = ReadSetupFile(entry.path);
      entry.upgraded = UpgradeConfig(record);
      entry.config = record;
    } catch (const Exception& failure) {
      entry.error = failure.Message();
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<BackupEntry> ListBackups(std::optional<BackupFolder> only) {
  std::vector<BackupEntry> entries;
  for (const BackupFolder kind : {BackupFolder::FromDevice, BackupFolder::Save}) {
    if (only && *only != kind) continue;
    std::vector<BackupEntry> found = ReadBackupFolder(GetFolder(FolderType(kind)), kind);
    std::move(found.begin(), found.end(), std::back_inserter(entries));
  }
  std::stable_sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
    if (a.time != b.time) return a.time > b.time;
    return FileTitle(a.path) > FileTitle(b.path);
  });
  return entries;
}
