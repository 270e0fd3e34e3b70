#include "comms/portdevices.h"

#include <QFileInfo>

#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"
#include "platform/qvaerrors.h"

namespace {

constexpr int kCommPortCount = 8;

QString PortDevicesKeyName() {
  return QStringLiteral("Port Devices");
}

}  // namespace

const QStringList& CommPortNames() {
  static const QStringList names = [] {
    QStringList list;
    for (int i = 1; i <= kCommPortCount; ++i) list << QStringLiteral("COM%1").arg(i);
    return list;
  }();
  return names;
}

bool IsCommPortName(const QString& name) {
  return CommPortNames().contains(name);
}

std::optional<QString> ParsePortArgument(const QString& text) {
  for (const QString& name : CommPortNames())
    if (text.compare(name, Qt::CaseInsensitive) == 0) return name;
  // Every name is its own device there, and ports are no files to look for.
  if (!PortDevicesConfigurable()) return text;
  if (text.isEmpty() || !QFileInfo::exists(text)) return std::nullopt;
  return text;
}

QString PortDevicesKeyPath() {
  return JoinKeyPart(ApplicationKeyPath(), PortDevicesKeyName());
}

bool PortDevicesConfigurable() {
#ifdef Q_OS_WIN
  return false;
#else
  return true;
#endif
}

QString DefaultPortDevice(const QString& portName) {
  if (!PortDevicesConfigurable()) return portName;
  const int index = CommPortNames().indexOf(portName);
  if (index < 0) return portName;
  return QStringLiteral("/dev/ttyS%1").arg(index);
}

QString PortDeviceName(const QString& portName) {
  if (!PortDevicesConfigurable()) return portName;
  if (!IsCommPortName(portName)) return QFileInfo(portName).absoluteFilePath();
  TRegistry registry(RegistryRoot::LocalMachine);
  // Reading never creates anything: a store without the key means defaults.
  if (registry.OpenKeyReadOnly(PortDevicesKeyPath()) && registry.ValueExists(portName)) {
    const QString device = registry.ReadString(portName).trimmed();
    // A device typed as a bare name ("ttyUSB0") has always meant one in /dev.
    if (!device.isEmpty())
      return device.contains(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device;
  }
  return DefaultPortDevice(portName);
}

void SetPortDevice(const QString& portName, const QString& device) {
  if (!PortDevicesConfigurable() || !IsCommPortName(portName)) return;
  TRegistry registry(RegistryRoot::LocalMachine);
  if (!registry.OpenKey(PortDevicesKeyPath(), true))
    throw Exception(kApplicationKeyError);
  const QString trimmed = device.trimmed();
  registry.WriteString(portName, trimmed.isEmpty() ? DefaultPortDevice(portName) : trimmed);
}
