#pragma once

#include <QString>

#include "platform/qvaregistry.h"

// The application key: "\Software\" + vendor + "\" + application + "\" +
// settings version. The version is part of the path, so another settings
// version never shares values with this one.

inline const QString kVendorName = QStringLiteral("Ulmora");
inline const QString kApplicationName = QStringLiteral("QVA Setup");
constexpr double kSettingsVersion = 1.1;

// What the user reads when a settings key cannot be opened or created.
inline const QString kApplicationKeyError = QStringLiteral("Cannot access application registry key");
inline const QString kVendorKeyError = QStringLiteral("Cannot access vendor registry key");

QString JoinKeyPath(const QString& vendor, const QString& application, const QString& version);

// \Software\Ulmora\QVA Setup\1.1
QString ApplicationKeyPath();

// The application key joined with "Directories".
QString DirectoriesKeyPath();

// Joins two key path pieces with a backslash unless the left one already
// ends in "\" or ":".
QString JoinKeyPart(const QString& left, const QString& right);

// Opens (creating) the application key of the per-machine root; raises
// Exception(kApplicationKeyError) on failure.
void OpenApplicationKey(TRegistry& registry);

// Opens (creating) a key of the given root; raises
// Exception(kVendorKeyError) on failure.
void OpenVendorKey(TRegistry& registry, RegistryRoot root, const QString& keyPath);
