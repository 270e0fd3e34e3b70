#pragma once

#include <vector>

#include <QDateTime>
#include <QString>

#include "config/qvaconfig.h"

// The five named folders the program works in, each stored in the settings
// store ("Directories" key of the per-machine root) with a built-in default,
// created on demand; and the path, listing and backup operations the file
// code shares.

enum class FileType {
  ConfigFiles = 0,
  FromDeviceBackups = 1,
  SaveBackups = 2,
  FileTemplates = 3,
  SetupTables = 4,
};

// The folder's path; creates the folder (and its stored value) when missing,
// falling back to ApplicationDir() when it cannot be created. Raises
// Exception("Internal Error: Bad file type.") for an index outside 0..4 and
// Exception("Cannot access registry key " + path) when the store fails.
QString GetFolder(FileType kind);
void SetFolder(FileType kind, const QString& path);

// Replaces <<PROGRAMFILES>>, <<APPDIR>>, <<TEMPDIR>> and <<DOCUMENTS>>.
QString ExpandPathMacros(const QString& text);
// The directory of the executable, with a trailing separator.
QString ApplicationDir();

// left + separator + right, or left + right when left already ends in a
// separator (or ":" on Windows).
QString JoinPath(const QString& left, const QString& right);
// The file name without folder and extension.
QString FileTitle(const QString& path);
// Creates every missing level; raises ESystemError with
// "Error creating directory " + the level that failed.
void CreateDirectoryPath(const QString& path);

// Attribute bits of ListFiles.
enum FileAttribute : int {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faDirectory = 0x10,
  faArchive = 0x20,
  faAnyFile = 0x3F,
};

struct FileEntry {
  QString name;  // without folder
  QDateTime modified;
  qint64 size = 0;
  int attributes = 0;  // FileAttribute bits
};

// The entries matching a pattern with wildcards (* and ?) in its last part,
// normal files always, entries with other attributes only when the mask
// holds them; ordered by name in plain character-code order.
std::vector<FileEntry> ListFiles(const QString& pattern, int attributeMask);

// prefix + the next free number zero-padded to width + suffix.
QString NextNumberedFileName(const QString& prefix, int width, const QString& suffix);
// The path for a new backup of a setup file in a backup folder:
// "<title> - NNN.Q11".
QString BackupFileName(FileType backupKind, const QString& setupFileName);
// Deletes the oldest read-only numbered backups beyond the folder's limit
// (100 for SaveBackups, 10 for FromDeviceBackups).
void PruneBackups(FileType backupKind);
// Writes the setup file at path, keeping the file it replaces as a
// read-only numbered backup in the SaveBackups folder. The new content is
// written in full before the old file moves, so a failed save never loses
// the old file.
void SaveOverWithBackup(const QString& path, const QVA_CONFIG_DATA& config);
