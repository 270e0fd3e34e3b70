#include "platform/fileattributes.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr QFileDevice::Permissions kWriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

}  // namespace

bool IsReadOnlyFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return false;
  return (info.permissions() & kWriteBits) == 0;
}

bool SetReadOnlyAttribute(const QString& path, bool readOnly) {
  QFileDevice::Permissions permissions = QFileInfo(path).permissions();
  // Only the real bits count; the "user" flags are a view of the same.
  permissions &= ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
  if (readOnly) {
    permissions &= ~kWriteBits;
  } else {
    permissions |= QFileDevice::WriteOwner;
  }
  return QFile::setPermissions(path, permissions);
}
