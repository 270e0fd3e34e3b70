#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QStringList>

class SerialPort;

// Looking for the meter among the machine's serial ports: one quick
// firmware-version question per port, nothing else written.

enum class ProbeOutcome {
  Meter,             // answered the firmware version request
  NoAnswer,          // silence (or too little to be an answer)
  NotAMeter,         // answered, but not with a meter's packet
  InUse,             // another program holds the port; it was not touched
  PermissionDenied,  // the user may not open the device
  Missing,           // no such device (unplugged, or gone since it was listed)
  NotSerial,         // opens, but is no serial line
  Failed,            // opening or reading failed otherwise; code says why
};

struct ProbeResult {
  QString device;
  ProbeOutcome outcome = ProbeOutcome::NoAnswer;
  unsigned firmware = 0;  // the reduced version (11 = 1.1), for a meter
  int code = 0;           // the platform's error code, for Failed
};

// A meter answers the version request within a few tens of milliseconds;
// no port costs more than the budget, however slowly it trickles bytes.
constexpr int kProbeAnswerTimeoutMs = 500;
constexpr int kProbeBudgetMs = 900;

// Opens device on port at 9600 8N1, asks once for the firmware version
// (ReadFirmwareVersion, one attempt, short time-out) and closes the port.
// A device that does not exist is not opened. Never raises.
ProbeResult ProbePort(const QString& device, std::unique_ptr<SerialPort> port);
// The same on the platform's serial port.
ProbeResult ProbePort(const QString& device);

// What a port is marked with: "QVA, firmware 1.1", "no answer", "in use by
// another program", "permission denied (add the user to the dialout
// group)" with group named.
QString ProbeResultText(const ProbeResult& result, const QString& group);

// A serial port of the machine as the system describes it.
struct PortDetails {
  QString device;  // /dev/ttyUSB0
  QString description;
  QString manufacturer;
  QString serialNumber;
  QString stableName;  // its /dev/serial/by-id name, empty when it has none
};

std::vector<PortDetails> ListSystemPorts();

// Likely meters first: USB adapters (ttyUSB, ttyACM, by-id names), then
// other devices, built-in ttyS ports last; within each, numbers in numeric
// order (ttyUSB2 before ttyUSB10).
QStringList OrderForProbe(QStringList devices);

// What a search looks at: the listed ports, then the devices behind COM1 to
// COM8 that exist and are not listed already (the same device under another
// name counts once), in probe order.
QStringList ProbeCandidates(const std::vector<PortDetails>& listed);
