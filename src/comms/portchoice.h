#pragma once

#include <optional>

#include <QString>

// Where the user's port name is kept: the string value "Communications
// Port" in the application key of the per-machine root.
inline const QString kCommPortValueName = QStringLiteral("Communications Port");
inline const QString kDefaultCommPort = QStringLiteral("COM1");

// Asks the user for a port name (the port dialog in the desktop program).
class PortChooser {
 public:
  virtual ~PortChooser() = default;
  // current: the name to preselect. Returns the chosen name, or nothing
  // when the user cancelled.
  virtual std::optional<QString> ChoosePort(const QString& current) = 0;
};

// The stored port name, or nothing when none was ever chosen.
std::optional<QString> ReadStoredCommPort();
void WriteStoredCommPort(const QString& portName);

// Only the names COM1..COM8 are ever stored: a device path chosen instead
// (the simulated meter's pseudo-terminal) is used for this run alone.

// Start-up: a stored name is used unchanged. Without one the name becomes
// "COM1" and the user is asked; the choice is used and stored. A cancelled
// question raises EAbort after commPort was set to "COM1", and nothing is
// stored, so the next start asks again.
void CommunicationsPortStartup(QString& commPort, PortChooser& chooser);

// The "Communications Port..." command: asks with the current name
// preselected; a chosen name that differs from the current one is used and
// stored. Cancel, or OK without a name selected, changes nothing.
void CommunicationsPortCommand(QString& commPort, PortChooser& chooser);
