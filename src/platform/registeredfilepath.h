#pragma once

#include <functional>
#include <vector>

#include <QDateTime>
#include <QString>

#include "platform/prompter.h"
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
constexpr int kFileTypeCount = 5;

// How many read-only numbered backups each backup folder keeps.
constexpr int kSaveBackupsLimit = 100;
constexpr int kFromDeviceBackupsLimit = 10;

// The folder's value name in the settings store and its built-in default
// (before macro expansion). Raise like GetFolder for a bad index.
QString FolderValueName(FileType kind);
QString DefaultFolderPath(FileType kind);

// The folder's path; creates the folder (and its stored value) when missing,
// falling back to ApplicationDir() when it cannot be created. Raises
// Exception("Internal Error: Bad file type.") for an index outside 0..4 and
// Exception("Cannot access registry key " + path) when the store fails.
QString GetFolder(FileType kind);
void SetFolder(FileType kind, const QString& path);

// Replaces every <<PROGRAMFILES>>, <<APPDIR>>, <<TEMPDIR>> and <<DOCUMENTS>>
// (matched with case); the folders come without a trailing separator.
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
// "<title> - NNN.Q11". Only SaveBackups and FromDeviceBackups are backup
// folders; any other kind raises "Internal Error: Bad file type.".
QString BackupFileName(FileType backupKind, const QString& setupFileName);
// Deletes the oldest read-only numbered backups beyond the folder's limit
// (100 for SaveBackups, 10 for FromDeviceBackups); other files are never
// touched. Any other kind raises "Internal Error: Bad file type.".
void PruneBackups(FileType backupKind);
// Writes the setup file at path, keeping the file it replaces as a
// read-only numbered backup in the SaveBackups folder. The new content is
// written in full before the old file moves, so a failed save never loses
// the old file: when the new file cannot be put in place, the old one is
// moved back. A target that is read-only or not a regular file is refused
// with ESystemError (access denied) before anything is written.
void SaveOverWithBackup(const QString& path, const QVA_CONFIG_DATA& config);

// Moves a file without ever replacing an existing one; false when it could
// not. The move SaveOverWithBackup uses by default is QFile::rename.
using FileMover = std::function<bool(const QString& from, const QString& to)>;
void SaveOverWithBackup(const QString& path, const QVA_CONFIG_DATA& config, const FileMover& move);

// ---- The configuration folder dialog's rules.

inline const QString kConfigLocationCaption = QStringLiteral("Configuration File Location");
inline const QString kConfigLocationBrowseTitle =
    QStringLiteral("Select the directory for configuration files");
inline const QString kSaveBackupsFolderName = QStringLiteral("Save Backups");
inline const QString kFromDeviceBackupsFolderName = QStringLiteral("From Device Backups");

// The text of the dialog's edit as the folder it names: trimmed, every
// trailing separator removed and made a full path; empty when nothing but
// blanks (or separators) was entered.
QString ConfigLocationPath(const QString& text);

// OK in the configuration folder dialog, for a path from
// ConfigLocationPath: asks through the prompter (titled `caption`) when it
// is empty or missing, creates the folder and its two backup folders and
// stores the three paths. True when the dialog may close. Raises
// ESystemError when a folder cannot be created (nothing is stored then).
bool AcceptConfigFileLocation(const QString& path, Prompter& prompter, const QString& caption);

// ---- Templates for new configurations.

inline const QString kBlankConfigurationEntry = QStringLiteral("Blank Configuration");

struct TemplateEntry {
  QString title;     // what the list shows
  QString fileName;  // with extension, without folder; empty for the blank entry
};

// The setup files of a templates folder (normal and read-only files, no
// hidden files or folders) in character-code order, or the single blank
// entry when there are none.
std::vector<TemplateEntry> ListTemplates(const QString& folder);

// The path a chosen entry stands for: the folder joined with its file
// name, or empty for the blank entry.
QString TemplatePath(const QString& folder, const TemplateEntry& entry);
