#include "simregister.h"

#include <QRegularExpression>

#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"
#include "platform/qvaerrors.h"

namespace qvasim {

namespace {

const QString kPortDevicesKey = QStringLiteral("Port Devices");
const QString kCommunicationsPortValue = QStringLiteral("Communications Port");

}  // namespace

bool IsRegistrablePortName(const QString& portName) {
  static const QRegularExpression pattern(QStringLiteral("^COM[1-8]$"));
  return pattern.match(portName).hasMatch();
}

QString RegisterPort(const QString& portName, const QString& devicePath, bool select) {
  if (!IsRegistrablePortName(portName)) return QStringLiteral("%1 is not one of COM1 to COM8").arg(portName);
  try {
    TRegistry registry(RegistryRoot::LocalMachine);
    if (!registry.OpenKey(JoinKeyPart(ApplicationKeyPath(), kPortDevicesKey), true)) {
      return QStringLiteral("cannot open the program's settings in %1").arg(TRegistry::StoreFolder());
    }
    registry.WriteString(portName, devicePath);
    registry.CloseKey();
    if (select) {
      if (!registry.OpenKey(ApplicationKeyPath(), true)) {
        return QStringLiteral("cannot open the program's settings in %1").arg(TRegistry::StoreFolder());
      }
      registry.WriteString(kCommunicationsPortValue, portName);
      registry.CloseKey();
    }
  } catch (const Exception& error) {
    return error.Message();
  }
  return QString();
}

}  // namespace qvasim
