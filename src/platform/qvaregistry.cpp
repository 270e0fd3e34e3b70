#include "platform/qvaregistry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "platform/qvaerrors.h"

namespace {

QString NormaliseKeyPath(QString path) {
  path.replace(QLatin1Char('/'), QLatin1Char('\\'));
  QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
  return parts.join(QLatin1Char('\\'));
}

#ifdef Q_OS_WIN
QString NativeRootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE")
                                            : QStringLiteral("HKEY_CURRENT_USER");
}
#else
// QSettings groups use "/" where the registry uses "\".
QString GroupOf(const QString& normalisedPath) {
  QString group = normalisedPath;
  group.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return group;
}
#endif

}  // namespace

TRegistry::TRegistry(RegistryRoot root) : root_(root) {}

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(RegistryRoot root) {
  CloseKey();
  root_ = root;
}

QString TRegistry::StoreFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Ulmora/QVA Setup");
}

QString TRegistry::StoreFile() const {
  return StoreFolder() +
         (root_ == RegistryRoot::LocalMachine ? QStringLiteral("/machine.ini") : QStringLiteral("/user.ini"));
}

QString TRegistry::ResolvePath(const QString& keyPath) const {
  const bool absolute = keyPath.startsWith(QLatin1Char('\\')) || keyPath.startsWith(QLatin1Char('/'));
  if (absolute || currentPath_.isEmpty()) return NormaliseKeyPath(keyPath);
  return NormaliseKeyPath(currentPath_ + QLatin1Char('\\') + keyPath);
}

bool TRegistry::OpenKey(const QString& keyPath, bool canCreate) {
  const QString path = ResolvePath(keyPath);
  CloseKey();
#ifdef Q_OS_WIN
  auto settings =
      std::make_unique<QSettings>(NativeRootName(root_) + QLatin1Char('\\') + path, QSettings::NativeFormat);
  if (canCreate && !settings->isWritable()) return false;
  if (!canCreate && settings->childKeys().isEmpty() && settings->childGroups().isEmpty()) return false;
#else
  if (canCreate && !QDir().mkpath(StoreFolder())) return false;
  auto settings = std::make_unique<QSettings>(StoreFile(), QSettings::IniFormat);
  if (settings->status() == QSettings::AccessError) return false;
  if (canCreate && !settings->isWritable()) return false;
  if (!path.isEmpty()) settings->beginGroup(GroupOf(path));
  if (!canCreate && settings->childKeys().isEmpty() && settings->childGroups().isEmpty()) return false;
#endif
  settings_ = std::move(settings);
  currentPath_ = path;
  readOnly_ = !canCreate;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const QString& keyPath) {
  return OpenKey(keyPath, false);
}

void TRegistry::CloseKey() {
  if (settings_) settings_->sync();
  settings_.reset();
  currentPath_.clear();
  readOnly_ = false;
}

bool TRegistry::ValueExists(const QString& name) const {
  return settings_ && settings_->contains(name);
}

QString TRegistry::ReadString(const QString& name) const {
  if (!ValueExists(name)) throw Exception(QStringLiteral("Invalid data type for '%1'").arg(name));
  return settings_->value(name).toString();
}

int TRegistry::ReadInteger(const QString& name) const {
  if (!ValueExists(name)) throw Exception(QStringLiteral("Invalid data type for '%1'").arg(name));
  bool ok = false;
  const int value = settings_->value(name).toString().trimmed().toInt(&ok);
  if (!ok) throw Exception(QStringLiteral("Invalid data type for '%1'").arg(name));
  return value;
}

void TRegistry::Commit(const QString& name) {
  settings_->sync();
  if (settings_->status() != QSettings::NoError)
    throw Exception(QStringLiteral("Failed to set data for '%1'").arg(name));
}

void TRegistry::WriteString(const QString& name, const QString& value) {
  if (!settings_ || readOnly_) throw Exception(QStringLiteral("Failed to set data for '%1'").arg(name));
  settings_->setValue(name, value);
  Commit(name);
}

void TRegistry::WriteInteger(const QString& name, int value) {
  if (!settings_ || readOnly_) throw Exception(QStringLiteral("Failed to set data for '%1'").arg(name));
  settings_->setValue(name, value);
  Commit(name);
}

bool TRegistry::DeleteKey(const QString& keyPath) {
  const QString path = ResolvePath(keyPath);
  if (path.isEmpty()) return false;
#ifdef Q_OS_WIN
  QSettings settings(NativeRootName(root_), QSettings::NativeFormat);
  settings.remove(path);
  settings.sync();
  return settings.status() == QSettings::NoError;
#else
  QSettings settings(StoreFile(), QSettings::IniFormat);
  settings.remove(GroupOf(path));
  settings.sync();
  // An open key below the deleted one sees the change after its next sync.
  if (settings_) settings_->sync();
  return settings.status() == QSettings::NoError;
#endif
}
