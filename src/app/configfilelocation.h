#pragma once

#include <QString>

class Prompter;

// The configuration folder dialog's rules: the folder for setup files and
// its two backup folders.

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
