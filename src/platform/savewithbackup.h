#pragma once

#include <functional>

#include <QByteArray>
#include <QString>

// Saving over a setup file while keeping the file it replaces as a
// read-only numbered backup in the SaveBackups folder.

// Moves a file without ever replacing an existing one; false when it could
// not.
using FileMover = std::function<bool(const QString& from, const QString& to)>;
// The move used by default: QFile::rename, refused when `to` exists.
bool MoveWithoutReplacing(const QString& from, const QString& to);

// Writes `bytes` at path through the safe file writer. The new content is
// written in full before the old file moves to the backup, so a failed save
// never loses the old file: a write that comes up short raises EFileWrite
// before anything moved, and when the new file cannot be put in place the
// old one is moved back (with its permissions) and EFileWrite is raised.
// A move that fails leaves the old file in place and the save goes on
// without a backup. A target that is read-only or not a regular file is
// refused with ESystemError (access denied) before anything is written.
// Returns the path of the backup made, or an empty string when there was
// no old file or it could not be moved.
QString SaveOverWithBackup(const QString& path, const QByteArray& bytes,
                        const FileMover& move = MoveWithoutReplacing);
