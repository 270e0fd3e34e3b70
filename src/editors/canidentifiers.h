#pragma once

#include <array>
#include <cstdint>

#include <QString>

// CAN identifiers as the device keeps them: not as a number but already
// packed into the four identifier register bytes IDR0..IDR3 that its CAN
// controller loads unchanged. A standard identifier has 11 bits, an
// extended one 29; bit 3 of IDR1 tells which.

enum class CanIdFormat { Standard, Extended };

constexpr uint32_t kMaxStandardCanId = 0x7FF;
constexpr uint32_t kMaxExtendedCanId = 0x1FFFFFFF;
// IDR1: bit 3 marks an extended identifier; bit 4 is always set with it.
constexpr uint8_t kIdr1ExtendedFlag = 0x08;
constexpr uint8_t kIdr1ExtendedBits = 0x18;

using CanIdRegisters = std::array<uint8_t, 4>;

struct CanIdentifier {
  CanIdFormat format = CanIdFormat::Standard;
  uint32_t id = 0;

  bool operator==(const CanIdentifier&) const = default;
};

// The largest identifier of the format.
uint32_t MaxCanId(CanIdFormat format);
// The hexadecimal digits an identifier of the format is shown with (3 or 8).
int CanIdDigits(CanIdFormat format);

// Packs id (bits above the format's width are dropped) into IDR0..IDR3.
CanIdRegisters PackCanId(CanIdFormat format, uint32_t id);
// Reads the registers back. A standard identifier ignores IDR1's low five
// bits, IDR2 and IDR3, whatever they hold.
CanIdentifier UnpackCanId(const CanIdRegisters& registers);

// The identifier as a bus log shows it: "0x18FF0100, extended", "0x7FF, standard".
QString CanIdBusText(const CanIdentifier& identifier);
// The four register bytes in hexadecimal: "C7 FE 02 00".
QString CanRegistersText(const CanIdRegisters& registers);
