#include "comms/portdiagnosis.h"

#include <QFileInfo>

namespace {

bool IsAcmDevice(const QString& device) {
  return QFileInfo(device).fileName().startsWith(QLatin1String("ttyACM"));
}

bool IsUsbAdapter(const QString& device) {
  return QFileInfo(device).fileName().startsWith(QLatin1String("ttyUSB")) ||
         device.contains(QLatin1String("/serial/by-id/"));
}

QString BrlttySentence(const QString& device) {
  return QStringLiteral(
             "The braille display service brltty claims USB serial adapters, so %1 appears and vanishes: "
             "remove it (sudo apt remove brltty) or disable its udev rules, then plug the adapter in again.")
      .arg(device);
}

QString ModemManagerSentence(const QString& device) {
  return QStringLiteral(
             "ModemManager opens and probes a new %1 for a few seconds after it appears: wait a few seconds "
             "and try again, or stop it (sudo systemctl stop ModemManager).")
      .arg(device);
}

QString PermissionSentence(const PortFacts& facts) {
  const QString& group = facts.ownerGroup;
  if (!group.isEmpty() && facts.userGroups.contains(group) && !facts.sessionGroups.contains(group))
    return QStringLiteral(
               "You were added to the group %1 after this session began: log out and log in again, then "
               "try again.")
        .arg(group);
  if (!group.isEmpty() && !facts.userGroups.contains(group))
    return QStringLiteral(
               "You are not in the group %1 that owns %2: join it (sudo usermod -aG %1 $USER), then log "
               "out and log in again.")
        .arg(group, facts.device);
  return QStringLiteral("You may not open %1: ask the administrator for read and write access to it.")
      .arg(facts.device);
}

}  // namespace

QString PermissionGroup(const PortFacts& facts) {
  return facts.ownerGroup.isEmpty() ? QStringLiteral("dialout") : facts.ownerGroup;
}

QString DiagnosePort(const ProbeResult& result, const PortFacts& facts, bool probed) {
  const QString& device = facts.device;
  if (facts.vanished) {
    if (facts.brlttyRunning) return BrlttySentence(device);
    return QStringLiteral("%1 vanished a moment after it was listed: check the cable and plug the adapter in again.")
        .arg(device);
  }
  if (result.outcome == ProbeOutcome::Missing || !facts.exists)
    return QStringLiteral("%1 does not exist: plug the meter's adapter in, or choose the device it appears as.")
        .arg(device);
  // A port only listed, not asked, shows no more than whether it may be opened.
  if (!probed) return facts.accessible ? QString() : PermissionSentence(facts);
  const ProbeOutcome outcome = result.outcome;
  if (outcome == ProbeOutcome::PermissionDenied) return PermissionSentence(facts);
  const bool modemManagerSuspect = facts.modemManagerRunning && IsAcmDevice(device);
  switch (outcome) {
    case ProbeOutcome::InUse:
      if (modemManagerSuspect) return ModemManagerSentence(device);
      if (facts.brlttyRunning && IsUsbAdapter(device)) return BrlttySentence(device);
      return QStringLiteral(
                 "Another program holds %1: close it (a terminal program, or another copy of QVA Setup) and "
                 "try again.")
          .arg(device);
    case ProbeOutcome::NoAnswer:
    case ProbeOutcome::NotAMeter:
      return modemManagerSuspect ? ModemManagerSentence(device) : QString();
    case ProbeOutcome::NotSerial:
      return QStringLiteral("%1 is not a serial port: choose the device the meter's adapter appears as.")
          .arg(device);
    default:
      return {};
  }
}
