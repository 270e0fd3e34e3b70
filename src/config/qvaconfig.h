#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

// The complete configuration of one meter: a byte-packed record of exactly
// 672 bytes. In memory and in files it is the host image (16-bit fields
// little-endian); the device stores the same bytes with every 16-bit field
// big-endian (the device image). Reserved bytes are carried unchanged.

static_assert(std::endian::native == std::endian::little,
              "the host image is the in-memory layout of a little-endian machine");

#pragma pack(push, 1)

// One point of a lookup table: input x and output y, raw device integers.
struct TablePoint {
  int16_t x;
  int16_t y;
};

constexpr int kMaxTablePoints = 32;

struct QVA_CAN_MSG_CONFIG {
  uint8_t IDR0;
  uint8_t IDR1;
  uint8_t IDR2;
  uint8_t IDR3;
  uint8_t message_rate;
  uint8_t compound_id;
  uint8_t reserved[4];
};

struct QVA_DISPLAY_CONFIG {
  uint8_t output_to_display;
  uint8_t table1_decimal_places;
  uint8_t filter_time;
  uint8_t update_rate;
  uint8_t backlight_intensity;
  uint8_t table2_decimal_places;
  uint8_t reserved[3];
};

struct QVA_OUTPUT_CAL_TABLE {
  char output_name[16];
  uint8_t num_rows;
  TablePoint values[kMaxTablePoints];
  uint8_t decimal_places;
  uint8_t reserved[3];
};

struct QVA_ANALOG_OUT_TABLE {
  uint8_t out_function;
  uint8_t out_table_index;
  uint8_t num_rows;
  TablePoint values[kMaxTablePoints];
  int16_t default_output;
  uint8_t reserved[2];
};

struct QVA_USER_CAL_TABLE {
  uint8_t num_rows;
  TablePoint values[kMaxTablePoints];
  uint8_t reserved[4];
};

struct QVA_PID_CONSTANTS {
  int16_t p;
  int16_t i;
  int16_t d;
};

struct QVA_PID_SETTINGS {
  QVA_PID_CONSTANTS ntk_sensor;
  QVA_PID_CONSTANTS bosch_sensor;
  QVA_PID_CONSTANTS heater;
};

struct QVA_CONFIG_DATA {
  uint16_t version;
  uint16_t cfg_crc16;
  uint8_t sensor_type;
  uint8_t can_bit_rate;
  uint8_t can_output_to_send;
  QVA_CAN_MSG_CONFIG can_message_config[4];
  QVA_DISPLAY_CONFIG display_config;
  QVA_OUTPUT_CAL_TABLE output_table[2];
  QVA_ANALOG_OUT_TABLE analog_out_table;
  QVA_USER_CAL_TABLE user_cal_table;
  QVA_PID_SETTINGS pid_settings;
  uint16_t user_cal_resistor;
  uint8_t sensor_pid_rate;
  uint8_t heater_pid_rate;
  uint8_t sensor_cal_method;
  uint8_t reserved1[2];
  uint8_t dig_input_mode[2];
  uint8_t activate_mode;
  uint8_t rpm_pulses_per_rev;
  uint8_t ntk_heater_voltage;
  uint8_t prevent_sensor_timeout;
  int16_t user_gain_factor;
  QVA_CAN_MSG_CONFIG collect_master_config;
  uint8_t reserved2[7];
};

#pragma pack(pop)

constexpr std::size_t kConfigSize = 672;
constexpr uint16_t kCurrentConfigVersion = 110;

// The layout is the device's: check every offset at compile time.
static_assert(sizeof(TablePoint) == 4);
static_assert(sizeof(QVA_CAN_MSG_CONFIG) == 10);
static_assert(sizeof(QVA_DISPLAY_CONFIG) == 9);
static_assert(sizeof(QVA_OUTPUT_CAL_TABLE) == 149);
static_assert(offsetof(QVA_OUTPUT_CAL_TABLE, num_rows) == 16);
static_assert(offsetof(QVA_OUTPUT_CAL_TABLE, values) == 17);
static_assert(offsetof(QVA_OUTPUT_CAL_TABLE, decimal_places) == 145);
static_assert(sizeof(QVA_ANALOG_OUT_TABLE) == 135);
static_assert(offsetof(QVA_ANALOG_OUT_TABLE, values) == 3);
static_assert(offsetof(QVA_ANALOG_OUT_TABLE, default_output) == 131);
static_assert(sizeof(QVA_USER_CAL_TABLE) == 133);
static_assert(offsetof(QVA_USER_CAL_TABLE, values) == 1);
static_assert(sizeof(QVA_PID_SETTINGS) == 18);
static_assert(sizeof(QVA_CONFIG_DATA) == kConfigSize);
static_assert(offsetof(QVA_CONFIG_DATA, version) == 0);
static_assert(offsetof(QVA_CONFIG_DATA, cfg_crc16) == 2);
static_assert(offsetof(QVA_CONFIG_DATA, sensor_type) == 4);
static_assert(offsetof(QVA_CONFIG_DATA, can_bit_rate) == 5);
static_assert(offsetof(QVA_CONFIG_DATA, can_output_to_send) == 6);
static_assert(offsetof(QVA_CONFIG_DATA, can_message_config) == 7);
static_assert(offsetof(QVA_CONFIG_DATA, display_config) == 47);
static_assert(offsetof(QVA_CONFIG_DATA, output_table) == 56);
static_assert(offsetof(QVA_CONFIG_DATA, output_table) + sizeof(QVA_OUTPUT_CAL_TABLE) == 205);
static_assert(offsetof(QVA_CONFIG_DATA, analog_out_table) == 354);
static_assert(offsetof(QVA_CONFIG_DATA, analog_out_table) + offsetof(QVA_ANALOG_OUT_TABLE, default_output) ==
              485);
static_assert(offsetof(QVA_CONFIG_DATA, user_cal_table) == 489);
static_assert(offsetof(QVA_CONFIG_DATA, pid_settings) == 622);
static_assert(offsetof(QVA_CONFIG_DATA, user_cal_resistor) == 640);
static_assert(offsetof(QVA_CONFIG_DATA, sensor_pid_rate) == 642);
static_assert(offsetof(QVA_CONFIG_DATA, heater_pid_rate) == 643);
static_assert(offsetof(QVA_CONFIG_DATA, sensor_cal_method) == 644);
static_assert(offsetof(QVA_CONFIG_DATA, reserved1) == 645);
static_assert(offsetof(QVA_CONFIG_DATA, dig_input_mode) == 647);
static_assert(offsetof(QVA_CONFIG_DATA, activate_mode) == 649);
static_assert(offsetof(QVA_CONFIG_DATA, rpm_pulses_per_rev) == 650);
static_assert(offsetof(QVA_CONFIG_DATA, ntk_heater_voltage) == 651);
static_assert(offsetof(QVA_CONFIG_DATA, prevent_sensor_timeout) == 652);
static_assert(offsetof(QVA_CONFIG_DATA, user_gain_factor) == 653);
static_assert(offsetof(QVA_CONFIG_DATA, collect_master_config) == 655);
static_assert(offsetof(QVA_CONFIG_DATA, reserved2) == 665);

using ConfigBytes = std::array<uint8_t, kConfigSize>;

// Raw byte views of a record (the record is trivially copyable).
ConfigBytes ConfigToBytes(const QVA_CONFIG_DATA& config);
QVA_CONFIG_DATA ConfigFromBytes(const uint8_t* bytes);  // reads exactly kConfigSize bytes

// 672 zero bytes with version = 110: a new configuration without template.
QVA_CONFIG_DATA MakeBlankConfig();

constexpr std::size_t kSwappedWordCount = 270;

// Record offsets of every 16-bit field whose byte order differs between the
// host and the device image, in ascending order.
const std::array<uint16_t, kSwappedWordCount>& SwappedWordOffsets();

// Swaps the two bytes of each 16-bit field listed above. Its own inverse:
// host image to device image and back.
QVA_CONFIG_DATA ToDeviceImage(const QVA_CONFIG_DATA& image);

// Crc16 with initial value 0 over bytes 4..671 of a device image.
uint16_t ConfigImageCrc(const QVA_CONFIG_DATA& deviceImage);

// A device image of the host record with cfg_crc16 computed and stored high
// byte first. The host record is not changed.
QVA_CONFIG_DATA SealForDevice(const QVA_CONFIG_DATA& host);

// True when the CRC stored in bytes 2 and 3 (high byte first) of a device
// image matches ConfigImageCrc of that image.
bool VerifyDeviceImage(const QVA_CONFIG_DATA& deviceImage);

// Brings a host record older than version 110 to the current version.
// Returns whether it was upgraded. A decimal place count of 0 is limited to
// 0 rather than wrapping to 255 when the display's decimal places are derived.
bool UpgradeConfig(QVA_CONFIG_DATA& host);

// Two records are equal when all 672 bytes are equal.
bool ConfigsEqual(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b);
