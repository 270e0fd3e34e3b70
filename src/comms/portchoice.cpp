#include "comms/portchoice.h"

#include "comms/portdevices.h"
#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"
#include "platform/qvaerrors.h"

std::optional<QString> ReadStoredCommPort() {
  TRegistry registry(RegistryRoot::LocalMachine);
  OpenApplicationKey(registry);
  if (!registry.ValueExists(kCommPortValueName)) return std::nullopt;
  return registry.ReadString(kCommPortValueName);
}

void WriteStoredCommPort(const QString& portName) {
  TRegistry registry(RegistryRoot::LocalMachine);
  OpenApplicationKey(registry);
  registry.WriteString(kCommPortValueName, portName);
}

void CommunicationsPortStartup(QString& commPort, PortChooser& chooser) {
  if (const std::optional<QString> stored = ReadStoredCommPort()) {
    commPort = *stored;
    return;
  }
  commPort = kDefaultCommPort;
  const std::optional<QString> chosen = chooser.ChoosePort(commPort);
  if (!chosen || chosen->isEmpty()) throw EAbort();
  commPort = *chosen;
  if (IsCommPortName(commPort)) WriteStoredCommPort(commPort);
}

void CommunicationsPortCommand(QString& commPort, PortChooser& chooser) {
  const std::optional<QString> chosen = chooser.ChoosePort(commPort);
  // A stored name that is none of the list leaves the dialog without a
  // selection; OK then must not turn the port name into nothing.
  if (!chosen || chosen->isEmpty() || *chosen == commPort) return;
  if (IsCommPortName(*chosen)) WriteStoredCommPort(*chosen);
  commPort = *chosen;
}
