#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include <QString>

#include "config/qvaconfig.h"

class QVASerialComms;
class Sleeper;

// The meter's memory map. Every access starts at address 0 of its base and
// moves the whole length; 16-bit values in device memory are big-endian.
constexpr uint8_t FirmwareVersionBase = 2;
constexpr uint8_t StatusBlockBase = 3;
constexpr uint8_t ConfigReadBase = 10;
constexpr uint8_t ConfigWriteBase = 11;
constexpr uint8_t LiveDataBase = 12;

constexpr int kFirmwareVersionSize = 2;
constexpr int kStatusBlockSize = 14;
constexpr int kLiveDataSize = 28;

// Written to the status block's command word; the meter clears the word
// once the received image is stored in its EEPROM.
constexpr uint16_t CopyConfigToEECommand = 0x7C3A;
constexpr int kCopyPollIntervalMs = 50;
// A meter that never clears the command word is given up after this long
// (200 polls of 50 ms), with the failure result.
constexpr int kCopyPollLimitMs = 10000;
constexpr int kCopyPollLimit = kCopyPollLimitMs / kCopyPollIntervalMs;

// Firmware 1.1: major * 10 + minor of the version word / 10.
constexpr unsigned SupportedFirmwareVersion = 11;

struct DeviceStatusBlock {
  uint16_t command = 0;  // 0 once the last command has finished
  uint16_t word2 = 0;
  uint16_t word4 = 0;
  std::array<uint8_t, kStatusBlockSize> raw{};  // as received

  uint8_t CopyResult() const { return raw[8]; }      // 0 = last copy to EEPROM succeeded
  uint8_t CrcCheckBypass() const { return raw[9]; }  // non-zero: accept any cfg_crc16
  uint8_t State() const { return raw[12]; }
  uint8_t SensorType() const { return raw[13]; }  // coded as sensor_type
};

struct DeviceLiveData {
  int16_t ip = 0;                            // sensor pump current in microamps
  std::array<uint8_t, kLiveDataSize> raw{};  // as received
};

// The device state's name; unknown values read "Unknown state (-1)" (the
// byte as a signed number).
QString DeviceStateName(uint8_t state);

// The version word / 10.
unsigned ReadFirmwareVersion(QVASerialComms& comms);
DeviceStatusBlock ReadStatusBlock(QVASerialComms& comms);
// The configuration image stored in the meter, still in device byte order.
QVA_CONFIG_DATA ReadDeviceConfig(QVASerialComms& comms);
// Writes a device image (see SealForDevice) to the meter's receive buffer.
void WriteDeviceConfig(QVASerialComms& comms, const QVA_CONFIG_DATA& deviceImage);
// Has the meter copy the received image to its EEPROM and waits for it:
// polls the status block every 50 ms, calling beforePoll before each read,
// until the command word reads 0 (at most kCopyPollLimit polls and
// kCopyPollLimitMs). True when the meter reports success.
bool CopyConfigToEE(QVASerialComms& comms, Sleeper& sleeper, const std::function<void()>& beforePoll = {});
DeviceLiveData ReadLiveData(QVASerialComms& comms);

// The firmware rule: a configuration may be read from firmware up to 1.1
// and sent only to firmware 1.1.
bool FirmwareAllowsGet(unsigned reducedVersion);
bool FirmwareAllowsSend(unsigned reducedVersion);

// A reduced version as people read it: "1.1" for 11.
QString FirmwareVersionText(unsigned reducedVersion);

enum class TransferDirection { Get, Send };
inline const QString kVersionMismatchCaption = QStringLiteral("Version Mismatch");
// The text of the "Version Mismatch" box (OK button, no icon).
QString VersionMismatchMessage(TransferDirection direction, unsigned deviceVersion);
