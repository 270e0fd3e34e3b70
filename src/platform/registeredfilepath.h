#pragma once

#include <QString>

// The five named folders the program works in, each stored in the settings
// store ("Directories" key of the per-machine root) with a built-in default,
// created on demand; and the macros their stored paths may hold.

enum class FileType {
  ConfigFiles = 0,
  FromDeviceBackups = 1,
  SaveBackups = 2,
  FileTemplates = 3,
  SetupTables = 4,
};
constexpr int kFileTypeCount = 5;

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
