#include "comms/portprobe.h"

#include <algorithm>
#include <cerrno>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include "comms/devicecommands.h"
#include "comms/portdevices.h"
#include "comms/qvaserialcomms.h"
#include "comms/serialport.h"
#include "platform/sleeper.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// Holds a port to the probe's budget: once it is spent every read comes
// back empty at once, and no read waits longer than what is left of it.
// Tells the probe how the open went (which the link turns into a message
// only); the probe keeps that answer itself, since a link that fails to open
// destroys its port.
class BudgetPort : public SerialPort {
 public:
  BudgetPort(std::unique_ptr<SerialPort> inner, PortOpenResult& openResult)
      : inner_(std::move(inner)), budget_(kProbeBudgetMs), openResult_(openResult) {}

  PortOpenResult Open(const QString& deviceName) override {
    openResult_ = inner_->Open(deviceName);
    return openResult_;
  }
  PortWriteResult Write(const QByteArray& bytes, int deadlineMs) override {
    return inner_->Write(bytes, deadlineMs);
  }
  PortReadResult Read(qint64 maxBytes) override {
    const qint64 left = budget_.remainingTime();
    if (left <= 0) return {};
    inner_->SetReadSilence(static_cast<int>(std::min<qint64>(left, ReadSilence())));
    return inner_->Read(maxBytes);
  }
  void Purge() override { inner_->Purge(); }
  uint32_t TakeLineErrors() override { return inner_->TakeLineErrors(); }
  void Close() override { inner_->Close(); }


 private:
  std::unique_ptr<SerialPort> inner_;
  QDeadlineTimer budget_;
  PortOpenResult& openResult_;
};

bool IsMissingCode(int code) {
#ifdef Q_OS_WIN
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
#else
  return code == ENOENT || code == ENODEV || code == ENXIO;
#endif
}

bool IsPermissionCode(int code) {
#ifdef Q_OS_WIN
  (void)code;
  return false;  // Windows reports a port held by another program this way
#else
  return code == EACCES || code == EPERM;
#endif
}

ProbeOutcome OpenOutcome(const PortOpenResult& open) {
  switch (open.failure) {
    case PortOpenFailure::None:
      return ProbeOutcome::NoAnswer;
    case PortOpenFailure::AccessDenied:
      return ProbeOutcome::InUse;
    case PortOpenFailure::Open:
      if (IsPermissionCode(open.code)) return ProbeOutcome::PermissionDenied;
      if (IsMissingCode(open.code)) return ProbeOutcome::Missing;
      return ProbeOutcome::Failed;
    case PortOpenFailure::GetSettings:
      return ProbeOutcome::NotSerial;
    default:
      return ProbeOutcome::Failed;
  }
}

// The number at the end of a device name, for numeric order; -1 for none.
std::pair<QString, long> SplitTrailingNumber(const QString& device) {
  static const QRegularExpression trailing(QStringLiteral("^(.*?)(\\d+)$"));
  const QRegularExpressionMatch match = trailing.match(device);
  if (!match.hasMatch()) return {device, -1};
  bool ok = false;
  const long number = match.captured(2).left(9).toLong(&ok);
  return {match.captured(1), ok ? number : -1};
}

int ProbeRank(const QString& device) {
  const QString name = QFileInfo(device).fileName();
  if (device.contains(QLatin1String("/serial/by-id/")) || name.startsWith(QLatin1String("ttyUSB")) ||
      name.startsWith(QLatin1String("ttyACM")))
    return 0;
  if (name.startsWith(QLatin1String("ttyS"))) return 2;
  return 1;
}

// The device a name leads to, for telling two names of one device apart.
QString DeviceIdentity(const QString& device) {
  const QString canonical = QFileInfo(device).canonicalFilePath();
  return canonical.isEmpty() ? QFileInfo(device).absoluteFilePath() : canonical;
}

}  // namespace

ProbeResult ProbePort(const QString& device, std::unique_ptr<SerialPort> port) {
  ProbeResult result;
  result.device = device;
#ifndef Q_OS_WIN
  if (!QFileInfo::exists(device)) {
    result.outcome = ProbeOutcome::Missing;
    return result;
  }
#endif
  PortOpenResult opened;
  auto budget = std::make_unique<BudgetPort>(std::move(port), opened);
  // One attempt, so there is never a retry to settle for.
  const LinkTiming timing{1, kProbeAnswerTimeoutMs, 0};
  std::unique_ptr<QVASerialComms> comms;
  try {
    comms = std::make_unique<QVASerialComms>(device, std::move(budget), DefaultSleeper(), timing);
  } catch (const ESerialCommunications&) {
    result.outcome = OpenOutcome(opened);
    result.code = opened.code;
    return result;
  }
  try {
    result.firmware = ReadFirmwareVersion(*comms);
    result.outcome = ProbeOutcome::Meter;
  } catch (const ESerialCommunications& error) {
    if (error.ErrorKind() == kCommsReadTimeout && error.Code() == 0) {
      result.outcome = ProbeOutcome::NoAnswer;
    } else if (error.ErrorKind() == kCommsPlatformError || error.ErrorKind() == kCommsWriteTimeout) {
      result.outcome = ProbeOutcome::Failed;
      result.code = error.Code();
    } else {
      result.outcome = ProbeOutcome::NotAMeter;
    }
  }
  return result;
}

ProbeResult ProbePort(const QString& device) {
  return ProbePort(device, MakeSystemSerialPort());
}

QString ProbeResultText(const ProbeResult& result, const QString& group) {
  switch (result.outcome) {
    case ProbeOutcome::Meter:
      return QStringLiteral("QVA, firmware %1").arg(FirmwareVersionText(result.firmware));
    case ProbeOutcome::NoAnswer:
      return QStringLiteral("no answer");
    case ProbeOutcome::NotAMeter:
      return QStringLiteral("answers, but not as a QVA");
    case ProbeOutcome::InUse:
      return QStringLiteral("in use by another program");
    case ProbeOutcome::PermissionDenied:
      return QStringLiteral("permission denied (add the user to the %1 group)")
          .arg(group.isEmpty() ? QStringLiteral("dialout") : group);
    case ProbeOutcome::Missing:
      return QStringLiteral("not present");
    case ProbeOutcome::NotSerial:
      return QStringLiteral("not a serial port");
    case ProbeOutcome::Failed:
      return QStringLiteral("failed: %1").arg(SystemErrorText(result.code));
  }
  return {};
}

std::vector<PortDetails> ListSystemPorts() {
  // The stable names, by the device each leads to.
  std::vector<std::pair<QString, QString>> stable;
  const QDir byId(QStringLiteral("/dev/serial/by-id"));
  for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
    stable.emplace_back(DeviceIdentity(link.absoluteFilePath()), link.absoluteFilePath());

  std::vector<PortDetails> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    PortDetails details;
    details.device = info.systemLocation();
    details.description = info.description();
    details.manufacturer = info.manufacturer();
    details.serialNumber = info.serialNumber();
    const QString identity = DeviceIdentity(details.device);
    for (const auto& [target, name] : stable)
      if (target == identity) details.stableName = name;
    ports.push_back(details);
  }
  QStringList order;
  for (const PortDetails& port : ports) order << port.device;
  order = OrderForProbe(order);
  std::sort(ports.begin(), ports.end(), [&order](const PortDetails& a, const PortDetails& b) {
    return order.indexOf(a.device) < order.indexOf(b.device);
  });
  return ports;
}

QStringList OrderForProbe(QStringList devices) {
  std::stable_sort(devices.begin(), devices.end(), [](const QString& a, const QString& b) {
    const int rankA = ProbeRank(a);
    const int rankB = ProbeRank(b);
    if (rankA != rankB) return rankA < rankB;
    const auto [stemA, numberA] = SplitTrailingNumber(a);
    const auto [stemB, numberB] = SplitTrailingNumber(b);
    if (stemA != stemB) return stemA < stemB;
    return numberA < numberB;
  });
  return devices;
}

QStringList ProbeCandidates(const std::vector<PortDetails>& listed) {
  QStringList candidates;
  QStringList identities;
  auto add = [&candidates, &identities](const QString& device) {
    const QString identity = DeviceIdentity(device);
    if (identities.contains(identity)) return;
    identities << identity;
    candidates << device;
  };
  for (const PortDetails& port : listed) add(port.device);
  if (PortDevicesConfigurable()) {
    for (const QString& name : CommPortNames()) {
      const QString device = PortDeviceName(name);
      if (QFileInfo::exists(device)) add(device);
    }
  }
  return OrderForProbe(candidates);
}
