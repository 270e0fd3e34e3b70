#pragma once

#include <optional>

#include <QString>

// Where Record puts live data logs and the smoothing the user last chose,
// kept in the application key of the settings store beside the port name.
inline const QString kLiveLogFolderValueName = QStringLiteral("Live Data Logs Folder");
inline const QString kLiveSmoothingValueName = QStringLiteral("Live Data Smoothing Seconds");

// The logs folder: the stored one, else "Logs" beside the configuration
// folder. Not created here (see CreateDirectoryPath).
QString LiveLogFolder();
// Raises Exception when the settings store refuses the value.
void SetLiveLogFolder(const QString& folder);

// The smoothing window in seconds, or nothing for no smoothed column. A
// value outside the range the user can pick reads as none.
std::optional<int> LiveSmoothingSeconds();
void SetLiveSmoothingSeconds(const std::optional<int>& seconds);
