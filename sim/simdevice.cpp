#include "simdevice.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QJsonArray>

namespace qvasim {

namespace {

struct StateName {
  uint8_t state;
  const char* name;
};

constexpr std::array<StateName, 7> kStateNames{{
    {kStateRun, "RUN"},
    {kStateControlWait, "CONTROL_WAIT"},
    {kStatePumpWait, "PUMP_WAIT"},
    {kStateWarmUp, "WARM_UP"},
    {kStateNoHeater, "NO_HEATER"},
    {kStateStop, "STOP"},
    {kStatePumpOff, "PUMP_OFF"},
}};

void PutU16BE(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value >> 8);
  out[1] = static_cast<uint8_t>(value & 0xFF);
}

bool ImageCrcValid(const ConfigBytes& image) {
  return VerifyDeviceImage(ConfigFromBytes(image.data()));
}

uint16_t StoredCrc(const ConfigBytes& image) {
  return static_cast<uint16_t>((image[2] << 8) | image[3]);
}

}  // namespace

std::optional<QString> DeviceStateName(uint8_t state) {
  for (const StateName& entry : kStateNames) {
    if (entry.state == state) return QString::fromLatin1(entry.name);
  }
  return std::nullopt;
}

std::optional<uint8_t> ParseDeviceState(const QString& text) {
  const QString name = text.trimmed().toUpper();
  for (const StateName& entry : kStateNames) {
    if (name == QLatin1String(entry.name)) return entry.state;
  }
  bool ok = false;
  const uint value = name.toUInt(&ok, 10);
  if (ok && value <= 0xFF) return static_cast<uint8_t>(value);
  return std::nullopt;
}

QString ToHex(const uint8_t* bytes, std::size_t count) {
  return QString::fromLatin1(
      QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count)).toHex());
}

SimDevice::SimDevice(const DeviceSettings& settings, const ConfigBytes& storedImage, int64_t startMs)
    : settings_(settings),
      startMs_(startMs),
      stored_(storedImage),
      failCopiesLeft_(settings.failCopies),
      random_(settings.seed) {
  if (settings_.states.empty()) settings_.states.push_back({kStateRun, 0});
}

std::optional<std::size_t> SimDevice::BaseSize(uint8_t base) const {
  switch (base) {
    case kFirmwareVersionBase:
      return kFirmwareVersionSize;
    case kStatusBlockBase:
      return kStatusBlockSize;
    case kConfigReadBase:
    case kConfigWriteBase:
      return kConfigSize;
    case kLiveDataBase:
      return kLiveDataSize;
    default:
      return std::nullopt;
  }
}

std::optional<uint8_t> SimDevice::Check(const Request& request) const {
  if (!request.headerCrcOk || !request.dataCrcOk) return kNakBadPacket;
  const uint8_t type = request.Type();
  if (type != kTypeExamine && type != kTypeSet) return kNakBadCommand;
  // An examine request never carries data; a set request carries exactly
  // its length in data.
  if (type == kTypeExamine && request.HasData()) return kNakBadPacket;
  if (type == kTypeSet && request.HasData() != (request.length > 0)) return kNakBadPacket;

  const std::optional<std::size_t> size = BaseSize(request.base);
  if (!size) return kNakBadBase;
  if (request.length == 0 || request.length > kMaxDataLength) return kNakBadLength;
  if (std::size_t{request.address} + request.length > *size) return kNakBadLength;

  if (type == kTypeExamine) {
    if (request.base == kConfigWriteBase) return kNakExamineMemoryFail;
    return std::nullopt;
  }
  switch (request.base) {
    case kConfigWriteBase:
      return std::nullopt;
    case kStatusBlockBase:
      // Only the command word is writable, and only as a whole.
      if (request.address != kStatusCommandWord || request.length != kCommandWordSize) return kNakBadLength;
      return std::nullopt;
    default:
      return kNakSetMemoryFail;
  }
}

Bytes SimDevice::Handle(const Request& request, int64_t nowMs) {
  ++counters_.requests;
  Tick(nowMs);
  if (const std::optional<uint8_t> nak = Check(request)) {
    ++counters_.naks;
    return BuildNak(request, *nak);
  }
  ++counters_.acks;
  if (request.Type() == kTypeExamine) return BuildAck(request, Examine(request, nowMs));
  Set(request, nowMs);
  return BuildAck(request, {});
}

Bytes SimDevice::Examine(const Request& request, int64_t nowMs) {
  Bytes whole;
  switch (request.base) {
    case kFirmwareVersionBase:
      whole.resize(kFirmwareVersionSize);
      PutU16BE(whole.data(), settings_.firmwareWord);
      break;
    case kStatusBlockBase:
      whole = StatusBlock(nowMs);
      break;
    case kConfigReadBase:
      whole.assign(stored_.begin(), stored_.end());
      break;
    case kLiveDataBase:
      whole = LiveData(nowMs);
      break;
    default:
      break;
  }
  // Check() has made sure the range lies inside the base.
  return Bytes(whole.begin() + request.address, whole.begin() + request.address + request.length);
}

void SimDevice::Set(const Request& request, int64_t nowMs) {
  if (request.base == kConfigWriteBase) {
    std::copy(request.data.begin(), request.data.end(), writeArea_.begin() + request.address);
    counters_.writeAreaBytesWritten += request.data.size();
    return;
  }
  // The command word of the status block.
  const uint16_t command = static_cast<uint16_t>((request.data[0] << 8) | request.data[1]);
  if (copyDueMs_) return;  // a copy is running: the device finishes it first
  if (command == 0) return;
  if (command != kCopyConfigToEECommand) {
    copyResult_ = kCopyUnknownCommand;
    commandWord_ = 0;
    return;
  }
  // The device copies what the write area holds when the command arrives.
  commandWord_ = command;
  copySnapshot_ = writeArea_;
  copyDueMs_ = nowMs + settings_.copyDelayMs;
}

std::optional<int64_t> SimDevice::CopyDueMs() const {
  return copyDueMs_;
}

bool SimDevice::Tick(int64_t nowMs) {
  if (!copyDueMs_ || nowMs < *copyDueMs_) return false;
  FinishCopy();
  return true;
}

void SimDevice::FinishCopy() {
  copyDueMs_.reset();
  ++counters_.copies;
  if (failCopiesLeft_ > 0) {
    --failCopiesLeft_;
    copyResult_ = kCopyFailed;
  } else if (settings_.checkWriteCrc && !ImageCrcValid(copySnapshot_)) {
    copyResult_ = kCopyImageRejected;
  } else {
    // A failing EEPROM takes the image and keeps another.
    if (settings_.storeFaultOffset >= 0 && settings_.storeFaultOffset < static_cast<int>(copySnapshot_.size()))
      copySnapshot_[static_cast<std::size_t>(settings_.storeFaultOffset)] ^= 0xFF;
    if (storeHook_ && !storeHook_(copySnapshot_).isEmpty()) {
      copyResult_ = kCopyStoreFailed;
    } else {
      stored_ = copySnapshot_;
      copyResult_ = kCopyOk;
    }
  }
  if (copyResult_ == kCopyOk) {
    ++counters_.copySuccesses;
  } else {
    ++counters_.copyFailures;
  }
  commandWord_ = 0;
}

uint8_t SimDevice::StateAt(int64_t nowMs) const {
  int64_t elapsed = nowMs - startMs_;
  for (std::size_t i = 0; i + 1 < settings_.states.size(); ++i) {
    if (elapsed < settings_.states[i].durationMs) return settings_.states[i].state;
    elapsed -= settings_.states[i].durationMs;
  }
  return settings_.states.back().state;
}

Bytes SimDevice::StatusBlock(int64_t nowMs) const {
  Bytes block(kStatusBlockSize, 0);
  PutU16BE(&block[kStatusCommandWord], commandWord_);
  block[kStatusCopyResult] = copyResult_;
  block[kStatusCrcBypass] = settings_.crcBypass;
  block[kStatusState] = StateAt(nowMs);
  block[kStatusSensorType] = settings_.sensorType.value_or(stored_[offsetof(QVA_CONFIG_DATA, sensor_type)]);
  return block;
}

int SimDevice::IpAt(int64_t nowMs) const {
  const int64_t elapsed = nowMs - startMs_;
  double ip = settings_.ipMicroamps;
  for (const IpStep& step : settings_.ipSteps) {
    if (elapsed >= step.atMs) ip = step.ip;
  }
  ip += settings_.ipDriftPerSecond * static_cast<double>(elapsed) / 1000.0;
  return static_cast<int>(std::clamp(std::round(ip), -32768.0, 32767.0));
}

Bytes SimDevice::LiveData(int64_t nowMs) {
  Bytes data(kLiveDataSize, 0);
  int ip = IpAt(nowMs);
  if (settings_.ipNoise > 0) {
    std::uniform_int_distribution<int> noise(-settings_.ipNoise, settings_.ipNoise);
    ip += noise(random_);
  }
  ip = std::clamp(ip, -32768, 32767);
  PutU16BE(data.data(), static_cast<uint16_t>(static_cast<int16_t>(ip)));
  return data;
}

QJsonObject SimDevice::Summary(int64_t nowMs) const {
  QJsonObject summary;
  summary[QStringLiteral("requests")] = static_cast<qint64>(counters_.requests);
  summary[QStringLiteral("acks")] = static_cast<qint64>(counters_.acks);
  summary[QStringLiteral("naks")] = static_cast<qint64>(counters_.naks);
  summary[QStringLiteral("copies")] = static_cast<qint64>(counters_.copies);
  summary[QStringLiteral("copy_successes")] = static_cast<qint64>(counters_.copySuccesses);
  summary[QStringLiteral("copy_failures")] = static_cast<qint64>(counters_.copyFailures);
  summary[QStringLiteral("last_copy_result")] = copyResult_;
  summary[QStringLiteral("copy_pending")] = copyDueMs_.has_value();
  summary[QStringLiteral("state")] = StateAt(nowMs);
  summary[QStringLiteral("stored_config_crc")] = StoredCrc(stored_);
  summary[QStringLiteral("stored_config_crc_valid")] = ImageCrcValid(stored_);
  summary[QStringLiteral("stored_config")] = ToHex(stored_.data(), stored_.size());
  summary[QStringLiteral("write_area_bytes_written")] = static_cast<qint64>(counters_.writeAreaBytesWritten);
  summary[QStringLiteral("write_area_crc_valid")] = ImageCrcValid(writeArea_);
  summary[QStringLiteral("write_area")] = ToHex(writeArea_.data(), writeArea_.size());
  return summary;
}

}  // namespace qvasim
