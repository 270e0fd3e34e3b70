#pragma once

#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>

#include "config/qvaconfig.h"

// The setup files in the two backup folders, read for the backups window
// and qva-cli backups. Listing only reads: it never writes, renames,
// re-marks or deletes a file (only the numbered-backup code does that).

enum class BackupFolder {
  FromDevice,  // the meter's configuration before a Send
  Save,        // a setup file before a save over it
};

struct BackupEntry {
  QString path;
  QDateTime time;  // when the file was written
  BackupFolder folder = BackupFolder::Save;
  QString sourceName;  // the name before " - NNN"
  // The record as read (upgraded when older), or why it could not be read.
  std::optional<QVA_CONFIG_DATA> config;
  bool upgraded = false;  // the file held an older version
  QString error;
};

// "From Device Backups" or "Save Backups", as the folders are named.
QString BackupFolderText(BackupFolder folder);

// Every setup file (*.Q11) in the backup folders the settings name (or in
// only one of them), newest first; on equal times the higher name first.
// Each file is read once. A file that cannot be read (a short or corrupt
// file, no permission) is listed with its reason; it never stops the list.
// Entries that are no files (folders, pipes, links to nothing) are left out:
// a pipe would block the read.
// Raises only when a folder's setting cannot be read.
std::vector<BackupEntry> ListBackups(std::optional<BackupFolder> only = std::nullopt);

// The entries of one folder, in name order.
std::vector<BackupEntry> ReadBackupFolder(const QString& folder, BackupFolder kind);
