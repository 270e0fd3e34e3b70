#include "portscommand.h"

#include <QStringList>

#include "clioptions.h"
#include "clirun.h"
#include "exitcodes.h"
#include "comms/portdevices.h"
#include "comms/portdiagnosis.h"
#include "comms/portprobe.h"
#include "comms/portsearch.h"

namespace {

// "/dev/ttyUSB0  FT232R USB UART, FTDI, serial A5, by-id /dev/serial/by-id/usb-FTDI (COM3)"
QString PortLine(const PortDetails& port) {
  QStringList details;
  if (!port.description.isEmpty()) details << port.description;
  if (!port.manufacturer.isEmpty()) details << port.manufacturer;
  if (!port.serialNumber.isEmpty()) details << QStringLiteral("serial ") + port.serialNumber;
  if (!port.stableName.isEmpty()) details << QStringLiteral("by-id ") + port.stableName;
  QStringList names;
  if (PortDevicesConfigurable()) {
    for (const QString& name : CommPortNames()) {
      const QString device = PortDeviceName(name);
      if (device == port.device || (!port.stableName.isEmpty() && device == port.stableName)) names << name;
    }
  }
  QString line = port.device;
  if (!details.isEmpty()) line += QStringLiteral("  ") + details.join(QStringLiteral(", "));
  if (!names.isEmpty()) line += QStringLiteral("  (") + names.join(QStringLiteral(", ")) + QLatin1Char(')');
  return line;
}

int ListPorts(const std::vector<PortDetails>& listed, CliOutput& output) {
  if (listed.empty()) {
    output.Error(QStringLiteral("No serial ports found."));
    return kExitSuccess;
  }
  QByteArray report;
  QStringList diagnoses;
  for (const PortDetails& port : listed) {
    report += PortLine(port).toLocal8Bit() + '\n';
    const QString diagnosis = DiagnosePort(ProbeResult{}, GatherPortFacts(port.device, true), false);
    if (!diagnosis.isEmpty()) diagnoses << diagnosis;
  }
  output.Report(report);
  for (const QString& diagnosis : diagnoses) output.Error(diagnosis);
  return kExitSuccess;
}

}  // namespace

int PortsCommand(const CommandLine& line, CliOutput& output) {
  const std::vector<PortDetails> listed = ListSystemPorts();
  if (!line.probe) return ListPorts(listed, output);

  QStringList listedDevices;
  for (const PortDetails& port : listed) listedDevices << port.device;
  // Each port's name as the user gave it, and the device asked.
  QList<std::pair<QString, QString>> targets;
  if (line.files.isEmpty()) {
    for (const QString& device : ProbeCandidates(listed)) targets.append({device, device});
  } else {
    for (const QString& given : line.files) {
      const std::optional<QString> name = ParsePortArgument(given);
      if (name && IsCommPortName(*name) && PortDevicesConfigurable())
        targets.append({QStringLiteral("%1 (%2)").arg(*name, PortDeviceName(*name)), PortDeviceName(*name)});
      else
        targets.append({given, given});
    }
  }
  if (targets.isEmpty()) output.Error(QStringLiteral("No serial ports found."));

  int meters = 0;
  QStringList diagnoses;
  for (const auto& [shown, device] : targets) {
    const PortFinding finding = ExaminePort(device, listedDevices.contains(device));
    if (finding.result.outcome == ProbeOutcome::Meter) ++meters;
    output.Report(shown.toLocal8Bit() + ": " + finding.text.toLocal8Bit() + '\n');
    if (!finding.diagnosis.isEmpty() && !diagnoses.contains(finding.diagnosis)) diagnoses << finding.diagnosis;
  }
  for (const QString& diagnosis : diagnoses) output.Error(diagnosis);
  return meters > 0 ? kExitSuccess : kExitNoMeterFound;
}
