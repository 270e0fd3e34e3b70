#pragma once

#include <QString>

#include "platform/registeredfilepath.h"

// Numbered backups of setup files: "<title> - NNN.Q11" in one of the two
// backup folders, made read-only, the oldest pruned beyond each folder's
// limit.

// Backups are setup files, so they carry the setup files' extension (here,
// without the dot; the setup filer names its files with it too).
inline const QString kSetupFileExtension = QStringLiteral("Q11");

// How many read-only numbered backups each backup folder keeps.
constexpr int kSaveBackupsLimit = 100;
constexpr int kFromDeviceBackupsLimit = 10;

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

// What a numbered backup was made from: the file name's title without its
// " - NNN" number (the setup file saved over, or the title of the meter's
// backups); the whole title when the name carries no such number.
QString BackupSourceTitle(const QString& fileName);
