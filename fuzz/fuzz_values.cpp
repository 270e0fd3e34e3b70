// Fixed-point values: ParseValue16 / ParseValue32 of typed text and
// FormatValue16 / FormatValue32 of raw device integers, for the shared value
// types and some decimal-places types. Any text either parses or raises
// EConvertError / EIntOverflow; for the types whose unit factor is one, a
// parsed raw value formats (with and without its unit) and parses back to
// the same raw value, and so does every raw value.
//
// Input: type selector, mode byte (bit 0: 32-bit, bit 1: start from a raw
// value, bit 2: comma as decimal separator), then the text (UTF-8) or the
// raw value's bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <QLocale>
#include <QString>

#include "platform/qvaerrors.h"
#include "ui/qvavalues.h"
#include "fuzzfinding.h"

namespace {

struct FuzzType {
  ValueType type;
  bool exact;  // unit factor one, no offset: format and parse are inverses
};

const std::array<FuzzType, 13>& Types() {
  static const std::array<FuzzType, 13> types{{
      {IpType, true},
      {O2PercentType, true},
      {PlainNumberType, true},
      {HeaterVoltsType, true},
      {FilterTimeType, true},
      {OutputVoltsType, true},
      {DecimalPlacesType(1), true},
      {DecimalPlacesType(2), true},
      {DecimalPlacesType(3), true},
      {MakeValueType(kQuantityVoltage, kUnitMillivolt, -3), true},
      {MakeValueType(kQuantityTime, kUnitMillisecond, -6), true},
      {MakeValueType(kQuantityRatio, kUnitRatio, -4), true},
      // Shown in minutes: a factor of 1/60, so only safety is checked.
      {MakeValueType(kQuantityTime, kUnitMinute, -1), false},
  }};
  return types;
}

template <typename Raw, typename Parse, typename Format>
void CheckRoundTrip(const FuzzType& t, Raw raw, Parse parse, Format format) {
  QString plain;
  QString withUnit;
  try {
    plain = format(t.type, raw, false);
    withUnit = format(t.type, raw, true);
  } catch (const EIntOverflow&) {
    if (t.exact) Finding();  // every raw value of these types has a text
    return;
  }
  if (!withUnit.startsWith(plain + QLatin1Char(' '))) Finding();
  if (!t.exact) return;
  try {
    if (parse(t.type, plain) != raw) Finding();
    if (parse(t.type, withUnit) != raw) Finding();
  } catch (const Exception&) {
    Finding();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Types();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const FuzzType& t = Types()[data[0] % Types().size()];
  const uint8_t mode = data[1];
  data += 2;
  size -= 2;
  static const QLocale kC = QLocale::c();
  static const QLocale kGerman(QLocale::German, QLocale::Germany);
  QLocale::setDefault((mode & 4) ? kGerman : kC);
  const bool wide = mode & 1;

  const auto parse16 = [](const ValueType& type, const QString& text) { return ParseValue16(type, text); };
  const auto format16 = [](const ValueType& type, int16_t raw, bool unit) {
    return FormatValue16(type, raw, unit);
  };
  const auto parse32 = [](const ValueType& type, const QString& text) { return ParseValue32(type, text); };
  const auto format32 = [](const ValueType& type, uint32_t raw, bool unit) {
    return FormatValue32(type, raw, unit);
  };

  if (mode & 2) {
    if (wide) {
      uint32_t raw = 0;
      std::memcpy(&raw, data, std::min<size_t>(size, sizeof raw));
      CheckRoundTrip(t, raw, parse32, format32);
    } else {
      int16_t raw = 0;
      std::memcpy(&raw, data, std::min<size_t>(size, sizeof raw));
      CheckRoundTrip(t, raw, parse16, format16);
    }
    return 0;
  }

  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    if (wide) {
      CheckRoundTrip(t, ParseValue32(t.type, text), parse32, format32);
    } else {
      CheckRoundTrip(t, ParseValue16(t.type, text), parse16, format16);
    }
  } catch (const EConvertError&) {
  } catch (const EIntOverflow&) {
  }
  return 0;
}
