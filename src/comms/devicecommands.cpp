#include "comms/devicecommands.h"

#include <QDeadlineTimer>

#include "comms/qvaserialcomms.h"
#include "platform/sleeper.h"

namespace {

uint16_t BigEndianWord(const uint8_t* bytes) {
  return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

}  // namespace

QString DeviceStateName(uint8_t state) {
  switch (state) {
    case 0:
      return QStringLiteral("RUN");
    case 1:
      return QStringLiteral("CONTROL_WAIT");
    case 2:
      return QStringLiteral("PUMP_WAIT");
    case 3:
      return QStringLiteral("WARM_UP");
    case 4:
      return QStringLiteral("NO_HEATER");
    case 5:
      return QStringLiteral("STOP");
    case 6:
      return QStringLiteral("PUMP_OFF");
    default:
      return QStringLiteral("Unknown state (%1)").arg(static_cast<int8_t>(state));
  }
}

unsigned ReadFirmwareVersion(QVASerialComms& comms) {
  uint8_t bytes[kFirmwareVersionSize] = {};
  comms.ExamineMemory(bytes, kFirmwareVersionSize, FirmwareVersionBase, 0);
  return BigEndianWord(bytes) / 10u;
}

DeviceStatusBlock ReadStatusBlock(QVASerialComms& comms) {
  DeviceStatusBlock block;
  comms.ExamineMemory(block.raw.data(), kStatusBlockSize, StatusBlockBase, 0);
  block.command = BigEndianWord(&block.raw[0]);
  block.word2 = BigEndianWord(&block.raw[2]);
  block.word4 = BigEndianWord(&block.raw[4]);
  return block;
}

QVA_CONFIG_DATA ReadDeviceConfig(QVASerialComms& comms) {
  ConfigBytes bytes{};
  comms.ExamineMemory(bytes.data(), kConfigSize, ConfigReadBase, 0);
  return ConfigFromBytes(bytes.data());
}

void WriteDeviceConfig(QVASerialComms& comms, const QVA_CONFIG_DATA& deviceImage) {
  const ConfigBytes bytes = ConfigToBytes(deviceImage);
  comms.SetMemory(bytes.data(), kConfigSize, ConfigWriteBase, 0);
}

bool CopyConfigToEE(QVASerialComms& comms, Sleeper& sleeper, const std::function<void()>& beforePoll) {
  const uint8_t command[2] = {static_cast<uint8_t>(CopyConfigToEECommand >> 8),
                              static_cast<uint8_t>(CopyConfigToEECommand & 0xFF)};
  comms.SetMemory(command, sizeof command, StatusBlockBase, 0);
  const QDeadlineTimer deadline(kCopyPollLimitMs);
  for (int poll = 0; poll < kCopyPollLimit; ++poll) {
    sleeper.Sleep(kCopyPollIntervalMs);
    if (beforePoll) beforePoll();
    const DeviceStatusBlock status = ReadStatusBlock(comms);
    if (status.command == 0) return status.CopyResult() == 0;
    if (deadline.hasExpired()) break;
  }
  return false;
}

DeviceLiveData ReadLiveData(QVASerialComms& comms) {
  DeviceLiveData live;
  comms.ExamineMemory(live.raw.data(), kLiveDataSize, LiveDataBase, 0);
  live.ip = static_cast<int16_t>(BigEndianWord(&live.raw[0]));
  return live;
}

bool FirmwareAllowsGet(unsigned reducedVersion) {
  return reducedVersion <= SupportedFirmwareVersion;
}
bool FirmwareAllowsSend(unsigned reducedVersion) {
  return reducedVersion == SupportedFirmwareVersion;
}

QString VersionMismatchMessage(TransferDirection direction, unsigned deviceVersion) {
  const QString device = FirmwareVersionText(deviceVersion);
  const QString own = FirmwareVersionText(SupportedFirmwareVersion);
  if (direction == TransferDirection::Get)
    return QStringLiteral(
               "The configuration could not be retrieved from the QVA.\n\n\rThe QVA firmware version (V") +
           device + QStringLiteral(") is newer than this version of QVA Setup (V") + own +
           QStringLiteral(
               "). \n\n\rThe correct version of QVA Setup for this QVA is available from the Ulmora "
               "website.");
  return QStringLiteral("The configuration could not be sent to the QVA.\n\n\rThe QVA firmware version (V") +
         device + QStringLiteral(") is not compatible with this version of QVA Setup (V") + own +
         QStringLiteral(
             "). \n\n\rThe correct version of QVA Setup for this QVA is available from the Ulmora website.");
}

QString FirmwareVersionText(unsigned reducedVersion) {
  return QStringLiteral("%1.%2").arg(reducedVersion / 10).arg(reducedVersion % 10);
}
