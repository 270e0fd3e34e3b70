#include "config/qvaconfig.h"

#include <algorithm>
#include <cstring>

#include "config/crc16.h"

namespace {

// Bytes 4..671 of the device image are covered by cfg_crc16.
constexpr std::size_t kCrcStart = 4;

std::array<uint16_t, kSwappedWordCount> MakeSwappedWordOffsets() {
  std::array<uint16_t, kSwappedWordCount> offsets{};
  std::size_t n = 0;
  auto add = [&](std::size_t offset) { offsets[n++] = static_cast<uint16_t>(offset); };
  auto addTable = [&](std::size_t valuesOffset) {
    for (int word = 0; word < 2 * kMaxTablePoints; ++word) add(valuesOffset + 2 * word);
  };
  add(offsetof(QVA_CONFIG_DATA, version));
  add(offsetof(QVA_CONFIG_DATA, cfg_crc16));
  for (int table = 0; table < 2; ++table) {
    addTable(offsetof(QVA_CONFIG_DATA, output_table) + table * sizeof(QVA_OUTPUT_CAL_TABLE) +
             offsetof(QVA_OUTPUT_CAL_TABLE, values));
  }
  addTable(offsetof(QVA_CONFIG_DATA, analog_out_table) + offsetof(QVA_ANALOG_OUT_TABLE, values));
  add(offsetof(QVA_CONFIG_DATA, analog_out_table) + offsetof(QVA_ANALOG_OUT_TABLE, default_output));
  addTable(offsetof(QVA_CONFIG_DATA, user_cal_table) + offsetof(QVA_USER_CAL_TABLE, values));
  for (int gain = 0; gain < 9; ++gain) add(offsetof(QVA_CONFIG_DATA, pid_settings) + 2 * gain);
  add(offsetof(QVA_CONFIG_DATA, user_cal_resistor));
  add(offsetof(QVA_CONFIG_DATA, user_gain_factor));
  return offsets;
}

}  // namespace

ConfigBytes ConfigToBytes(const QVA_CONFIG_DATA& config) {
  ConfigBytes bytes;
  std::memcpy(bytes.data(), &config, kConfigSize);
  return bytes;
}

QVA_CONFIG_DATA ConfigFromBytes(const uint8_t* bytes) {
  QVA_CONFIG_DATA config;
  std::memcpy(&config, bytes, kConfigSize);
  return config;
}

QVA_CONFIG_DATA MakeBlankConfig() {
  QVA_CONFIG_DATA config;
  std::memset(&config, 0, sizeof config);
  config.version = kCurrentConfigVersion;
  return config;
}

const std::array<uint16_t, kSwappedWordCount>& SwappedWordOffsets() {
  static const std::array<uint16_t, kSwappedWordCount> offsets = MakeSwappedWordOffsets();
  return offsets;
}

QVA_CONFIG_DATA ToDeviceImage(const QVA_CONFIG_DATA& image) {
  ConfigBytes bytes = ConfigToBytes(image);
  for (uint16_t offset : SwappedWordOffsets()) std::swap(bytes[offset], bytes[offset + 1]);
  return ConfigFromBytes(bytes.data());
}

uint16_t ConfigImageCrc(const QVA_CONFIG_DATA& deviceImage) {
  const ConfigBytes bytes = ConfigToBytes(deviceImage);
  return Crc16(bytes.data() + kCrcStart, kConfigSize - kCrcStart, 0);
}

QVA_CONFIG_DATA SealForDevice(const QVA_CONFIG_DATA& host) {
  QVA_CONFIG_DATA device = ToDeviceImage(host);
  const uint16_t crc = ConfigImageCrc(device);
  ConfigBytes bytes = ConfigToBytes(device);
  bytes[2] = static_cast<uint8_t>(crc >> 8);
  bytes[3] = static_cast<uint8_t>(crc & 0xFF);
  return ConfigFromBytes(bytes.data());
}

bool VerifyDeviceImage(const QVA_CONFIG_DATA& deviceImage) {
  const ConfigBytes bytes = ConfigToBytes(deviceImage);
  const uint16_t stored = static_cast<uint16_t>((bytes[2] << 8) | bytes[3]);
  return stored == ConfigImageCrc(deviceImage);
}

bool UpgradeConfig(QVA_CONFIG_DATA& host) {
  if (host.version >= kCurrentConfigVersion) return false;
  // Older files kept the output tables' decimal places one above what the
  // display shows; a table with no decimals stays at none.
  auto displayPlaces = [](uint8_t tablePlaces) {
    return static_cast<uint8_t>(tablePlaces > 0 ? tablePlaces - 1 : 0);
  };
  host.version = kCurrentConfigVersion;
  QVA_DISPLAY_CONFIG& display = host.display_config;
  if (display.output_to_display == 0) {
    display.table2_decimal_places = displayPlaces(host.output_table[1].decimal_places);
  } else {
    display.table2_decimal_places = display.table1_decimal_places;
    display.table1_decimal_places = displayPlaces(host.output_table[0].decimal_places);
  }
  return true;
}

bool ConfigsEqual(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b) {
  return std::memcmp(&a, &b, kConfigSize) == 0;
}
