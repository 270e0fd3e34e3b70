#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include <QJsonObject>
#include <QString>

#include "config/qvaconfig.h"
#include "simprotocol.h"

// The meter as its memory map shows it on the serial line: firmware word,
// status block with the copy-to-EEPROM command, the stored configuration,
// the write area and the live measurement record.

namespace qvasim {

constexpr uint8_t kFirmwareVersionBase = 2;
constexpr uint8_t kStatusBlockBase = 3;
constexpr uint8_t kConfigReadBase = 10;
constexpr uint8_t kConfigWriteBase = 11;
constexpr uint8_t kLiveDataBase = 12;

constexpr std::size_t kFirmwareVersionSize = 2;
constexpr std::size_t kStatusBlockSize = 14;
constexpr std::size_t kLiveDataSize = 28;
constexpr std::size_t kCommandWordSize = 2;

// Status block offsets.
constexpr std::size_t kStatusCommandWord = 0;
constexpr std::size_t kStatusCopyResult = 8;
constexpr std::size_t kStatusCrcBypass = 9;
constexpr std::size_t kStatusState = 12;
constexpr std::size_t kStatusSensorType = 13;

constexpr uint16_t kCopyConfigToEECommand = 0x7C3A;

// Result byte 8 after a copy to EEPROM.
enum CopyResult : uint8_t {
  kCopyOk = 0,
  kCopyFailed = 1,          // the EEPROM refused the write (injected with --fail-copies)
  kCopyImageRejected = 2,   // the write area's cfg_crc16 does not match its contents
  kCopyUnknownCommand = 3,  // a command word other than the copy command
  kCopyStoreFailed = 4,     // the --eeprom file could not be written
};

// Device states reported in status byte 12.
enum DeviceState : uint8_t {
  kStateRun = 0,
  kStateControlWait = 1,
  kStatePumpWait = 2,
  kStateWarmUp = 3,
  kStateNoHeater = 4,
  kStateStop = 5,
  kStatePumpOff = 6,
};

// The state names the desktop program shows; nullopt for codes it does not know.
std::optional<QString> DeviceStateName(uint8_t state);
// A state by name or number (0..255).
std::optional<uint8_t> ParseDeviceState(const QString& text);

// One step of the state sequence; the last step lasts for ever.
struct StateStep {
  uint8_t state = kStateRun;
  int64_t durationMs = 0;
};

// From atMs after the start on, the pump current is ip (before drift and
// noise).
struct IpStep {
  int64_t atMs = 0;
  int16_t ip = 0;
};

struct DeviceSettings {
  uint16_t firmwareWord = 115;
  uint8_t crcBypass = 0;
  std::optional<uint8_t> sensorType;  // else the stored configuration's sensor_type
  std::vector<StateStep> states{{kStateRun, 0}};
  int16_t ipMicroamps = 0;
  int ipNoise = 0;  // each live-data read adds a uniform offset in [-ipNoise, ipNoise]
  std::vector<IpStep> ipSteps;  // in time order
  double ipDriftPerSecond = 0;  // microamps added per second since the start
  int copyDelayMs = 100;
  int failCopies = 0;
  // A byte each successful copy stores inverted while still reporting
  // success (a failing EEPROM); -1 for none.
  int storeFaultOffset = -1;
  bool checkWriteCrc = true;
  uint32_t seed = 1;
};

// Persists a newly stored device image; returns an error text, empty on success.
using StoreHook = std::function<QString(const ConfigBytes& deviceImage)>;

class SimDevice {
 public:
  SimDevice(const DeviceSettings& settings, const ConfigBytes& storedImage, int64_t startMs);

  void SetStoreHook(StoreHook hook) { storeHook_ = std::move(hook); }

  // The NAK code the device answers the request with, or nullopt when it
  // serves it.
  std::optional<uint8_t> Check(const Request& request) const;

  // Serves one request received at nowMs and returns the response packet.
  Bytes Handle(const Request& request, int64_t nowMs);

  // Finishes a copy to EEPROM whose time has come; true when one finished.
  bool Tick(int64_t nowMs);
  // When the pending copy finishes, if one is pending.
  std::optional<int64_t> CopyDueMs() const;

  uint8_t StateAt(int64_t nowMs) const;
  Bytes StatusBlock(int64_t nowMs) const;
  // The live data read at nowMs: Ip with its steps, drift and noise.
  Bytes LiveData(int64_t nowMs);
  Bytes LiveData() { return LiveData(startMs_); }
  // The pump current at nowMs before noise, within 16 bits.
  int IpAt(int64_t nowMs) const;

  const ConfigBytes& StoredImage() const { return stored_; }
  const ConfigBytes& WriteArea() const { return writeArea_; }
  uint16_t CommandWord() const { return commandWord_; }
  uint8_t LastCopyResult() const { return copyResult_; }

  struct Counters {
    uint64_t requests = 0;
    uint64_t acks = 0;
    uint64_t naks = 0;
    uint64_t copies = 0;
    uint64_t copySuccesses = 0;
    uint64_t copyFailures = 0;
    uint64_t writeAreaBytesWritten = 0;
  };
  const Counters& Stats() const { return counters_; }

  // What the device ended up with, for the --state-file summary.
  QJsonObject Summary(int64_t nowMs) const;

 private:
  std::optional<std::size_t> BaseSize(uint8_t base) const;
  Bytes Examine(const Request& request, int64_t nowMs);
  void Set(const Request& request, int64_t nowMs);
  void FinishCopy();

  DeviceSettings settings_;
  int64_t startMs_;
  ConfigBytes stored_{};
  ConfigBytes writeArea_{};
  ConfigBytes copySnapshot_{};
  uint16_t commandWord_ = 0;
  uint8_t copyResult_ = kCopyOk;
  std::optional<int64_t> copyDueMs_;
  int failCopiesLeft_ = 0;
  StoreHook storeHook_;
  std::mt19937 random_;
  Counters counters_;
};

// Hex text of bytes, two lower-case digits each.
QString ToHex(const uint8_t* bytes, std::size_t count);

}  // namespace qvasim
