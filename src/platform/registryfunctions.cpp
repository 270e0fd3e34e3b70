#include "platform/registryfunctions.h"

#include "platform/qvaerrors.h"

QString JoinKeyPart(const QString& left, const QString& right) {
  if (left.endsWith(QLatin1Char('\\')) || left.endsWith(QLatin1Char(':'))) return left + right;
  return left + QLatin1Char('\\') + right;
}

QString JoinKeyPath(const QString& vendor, const QString& application, const QString& version) {
  return QStringLiteral("\\Software\\") + vendor + QLatin1Char('\\') + application + QLatin1Char('\\') +
         version;
}

QString ApplicationKeyPath() {
  return JoinKeyPath(kVendorName, kApplicationName, QString::asprintf("%.1lf", kSettingsVersion));
}

QString DirectoriesKeyPath() {
  return JoinKeyPart(ApplicationKeyPath(), QStringLiteral("Directories"));
}

void OpenApplicationKey(TRegistry& registry) {
  registry.SetRootKey(RegistryRoot::LocalMachine);
  if (!registry.OpenKey(ApplicationKeyPath(), true))
    throw Exception(kApplicationKeyError);
}

void OpenVendorKey(TRegistry& registry, RegistryRoot root, const QString& keyPath) {
  registry.SetRootKey(root);
  if (!registry.OpenKey(keyPath, true)) throw Exception(kVendorKeyError);
}
