#pragma once

#include <cerrno>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringView>

// Path utilities the file code shares: joining, titles, creating folders
// and listing a folder with wildcards and attributes.

// The platform's codes for "access denied", "path not found", "is a
// folder", "file exists" and "disk full", as ESystemError carries them.
#ifdef Q_OS_WIN
constexpr int kAccessDeniedCode = 5;      // ERROR_ACCESS_DENIED
constexpr int kPathNotFoundCode = 3;      // ERROR_PATH_NOT_FOUND
constexpr int kIsADirectoryCode = 336;    // ERROR_DIRECTORY_NOT_SUPPORTED
constexpr int kFileExistsCode = 80;       // ERROR_FILE_EXISTS
constexpr int kDiskFullCode = 112;        // ERROR_DISK_FULL
#else
constexpr int kAccessDeniedCode = EACCES;
constexpr int kPathNotFoundCode = ENOENT;
constexpr int kIsADirectoryCode = EISDIR;
constexpr int kFileExistsCode = EEXIST;
constexpr int kDiskFullCode = ENOSPC;
#endif

// A folder separator ("/", on Windows also "\").
bool IsPathSeparator(QChar c);
// Where the folder part of a path ends: the index after its last separator
// (or drive colon on Windows), 0 when the path has no folder part.
qsizetype FileNameStart(const QString& path);

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
