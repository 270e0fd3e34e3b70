#include "editors/canidentifiers.h"

#include <QStringList>

#include "ui/validators.h"

namespace {

// Standard: id bits 10..3 in IDR0, bits 2..0 in IDR1 bits 7..5.
// Extended: id bits 28..21 in IDR0; bits 20..18 in IDR1 bits 7..5 and
// bits 17..15 in IDR1 bits 2..0; bits 14..7 in IDR2; bits 6..0 in IDR3
// bits 7..1.
constexpr int kIdr0ShiftStandard = 3;
constexpr int kIdr0ShiftExtended = 21;
constexpr int kIdr1HighShiftExtended = 18;
constexpr int kIdr1LowShiftExtended = 15;
constexpr int kIdr2ShiftExtended = 7;
constexpr int kIdr1HighBitsPosition = 5;
constexpr uint32_t kThreeBits = 0x7;
constexpr uint32_t kSevenBits = 0x7F;
constexpr uint32_t kEightBits = 0xFF;

uint8_t Byte(uint32_t value) {
  return static_cast<uint8_t>(value & kEightBits);
}

}  // namespace

uint32_t MaxCanId(CanIdFormat format) {
  return format == CanIdFormat::Extended ? kMaxExtendedCanId : kMaxStandardCanId;
}

int CanIdDigits(CanIdFormat format) {
  return format == CanIdFormat::Extended ? 8 : 3;
}

CanIdRegisters PackCanId(CanIdFormat format, uint32_t id) {
  id &= MaxCanId(format);
  if (format == CanIdFormat::Standard)
    return {Byte(id >> kIdr0ShiftStandard), Byte((id & kThreeBits) << kIdr1HighBitsPosition), 0, 0};
  const uint32_t idr1 = (((id >> kIdr1HighShiftExtended) & kThreeBits) << kIdr1HighBitsPosition) |
                        kIdr1ExtendedBits | ((id >> kIdr1LowShiftExtended) & kThreeBits);
  return {Byte(id >> kIdr0ShiftExtended), Byte(idr1), Byte(id >> kIdr2ShiftExtended), Byte((id & kSevenBits) << 1)};
}

CanIdentifier UnpackCanId(const CanIdRegisters& registers) {
  const uint32_t idr0 = registers[0];
  const uint32_t idr1 = registers[1];
  const uint32_t idr1High = (idr1 >> kIdr1HighBitsPosition) & kThreeBits;
  if ((idr1 & kIdr1ExtendedFlag) == 0)
    return {CanIdFormat::Standard, (idr0 << kIdr0ShiftStandard) | idr1High};
  const uint32_t id = (idr0 << kIdr0ShiftExtended) | (idr1High << kIdr1HighShiftExtended) |
                      ((idr1 & kThreeBits) << kIdr1LowShiftExtended) |
                      (uint32_t{registers[2]} << kIdr2ShiftExtended) | (uint32_t{registers[3]} >> 1);
  return {CanIdFormat::Extended, id};
}

QString CanIdBusText(const CanIdentifier& identifier) {
  const bool extended = identifier.format == CanIdFormat::Extended;
  return QStringLiteral("0x%1, %2")
      .arg(HexText(identifier.id, CanIdDigits(identifier.format)),
           extended ? QStringLiteral("extended") : QStringLiteral("standard"));
}

QString CanRegistersText(const CanIdRegisters& registers) {
  QStringList bytes;
  for (const uint8_t byte : registers) bytes << HexText(byte, 2);
  return bytes.join(QLatin1Char(' '));
}
