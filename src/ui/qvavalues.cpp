#include "ui/qvavalues.h"

#include <cstdlib>
#include <limits>
#include <optional>

#include <QLocale>

#include "platform/qvaerrors.h"

namespace {

// A row of the built-in unit table. A null name marks an empty slot and ends
// the quantity's list.
struct UnitRow {
  int16_t id;
  const char* name;
  const char* abbreviation;
  int16_t multiplier;
  int16_t divisor;
  int16_t offset;
  int16_t exponent;
};

using QuantityRows = UnitRow[kUnitSlotsPerQuantity];

// Only the quantities the program reaches are filled in; the others keep
// empty slots, so looking up one of their units reports that it is missing.
constexpr QuantityRows kTimeRows = {
    {0, "microsecond", "us", 1, 1, 0, 6},
    {1, "millisecond", "ms", 1, 1, 0, 3},
    {2, "second", "s", 1, 1, 0, 0},
    {3, "minute", "min", 1, 60, 0, 0},
};
constexpr QuantityRows kVoltageRows = {
    {0, "millivolt", "mV", 1, 1, 0, 3},
    {1, "volt", "V", 1, 1, 0, 0},
};
constexpr QuantityRows kCurrentRows = {
    {0, "milliamp", "mA", 1, 1, 0, 3},
    {1, "amp", "A", 1, 1, 0, 0},
};
constexpr QuantityRows kRatioRows = {
    {0, "percent", "%", 1, 1, 0, 2},
    {1, "ratio", "", 1, 1, 0, 0},
};
constexpr QuantityRows kUnitlessRows = {
    {0, "none", "", 1, 1, 0, 0},
};
constexpr QuantityRows kEmptyRows = {};

const UnitRow* QuantityTable(int quantity) {
  switch (quantity) {
    case kQuantityTime:
      return kTimeRows;
    case kQuantityVoltage:
      return kVoltageRows;
    case kQuantityCurrent:
      return kCurrentRows;
    case kQuantityRatio:
      return kRatioRows;
    case kQuantityUnitless:
      return kUnitlessRows;
    default:
      return kEmptyRows;
  }
}

const QString kNullText = QStringLiteral("** NULL **");

void CheckQuantity(int quantity) {
  if (quantity < 0 || quantity >= kQuantityCount) throw Exception(QStringLiteral("Bad data type"));
}

constexpr char kOverflowText[] = "Integer overflow";

[[noreturn]] void ThrowOverflow() {
  throw EIntOverflow(QString::fromLatin1(kOverflowText));
}
[[noreturn]] void ThrowNotValid(const QString& text) {
  throw EConvertError(QStringLiteral("'") + text + QStringLiteral("' is not a valid entry"));
}

constexpr int64_t kInt16Min = std::numeric_limits<int16_t>::min();
constexpr int64_t kInt16Max = std::numeric_limits<int16_t>::max();
constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kUInt32Max = std::numeric_limits<uint32_t>::max();

bool FitsInt16(int64_t v) {
  return v >= kInt16Min && v <= kInt16Max;
}

// Division with halves going away from zero.
int64_t DivideRounded(int64_t dividend, int64_t divisor) {
  const int64_t magnitude = std::llabs(divisor);
  const bool negative = (dividend < 0) != (divisor < 0);
  const int64_t quotient = (std::llabs(dividend) + magnitude / 2) / magnitude;
  return negative ? -quotient : quotient;
}

// Drops the last decimal digit, rounding half away from zero.
int64_t DropDigitRounded(int64_t v) {
  const int64_t last = std::llabs(v % 10);
  int64_t result = v / 10;
  if (last > 4) result += v < 0 ? -1 : 1;
  return result;
}

// a * b and a + b on 64 bits; false when the result leaves int64.
bool MultiplyChecked(int64_t a, int64_t b, int64_t& result) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  if (a == 0 || b == 0) {
    result = 0;
    return true;
  }
  if (a > 0 ? (b > 0 ? a > kMax / b : b < kMin / a) : (b > 0 ? a < kMin / b : a < kMax / b)) return false;
  result = a * b;
  return true;
}

bool AddChecked(int64_t a, int64_t b, int64_t& result) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  if ((b > 0 && a > kMax - b) || (b < 0 && a < kMin - b)) return false;
  result = a + b;
  return true;
}

// value * 10^n on 64 bits; nullopt when the product leaves int64.
std::optional<int64_t> ScaleByPowerOfTen64(int64_t value, int n) {
  if (n <= -19 || value == 0) return 0;
  if (n > 0) {
    int64_t result = value;
    for (int i = 0; i < n; ++i) {
      if (!MultiplyChecked(result, 10, result)) return std::nullopt;
    }
    return result;
  }
  int64_t result = value;
  for (int i = 0; i < -n && result != 0; ++i) result /= 10;
  return result;
}

// The decimal number at the start of a text: mantissa, exponent and where
// the unit part begins.
struct DecimalText {
  bool valid = false;
  int64_t mantissa = 0;
  int64_t exponent = 0;
  QString unitPart;
};

// Reads digits and the locale's separator from the trimmed text. Digits that
// do not fit the mantissa range are dropped with one rounding step, so long
// inputs keep their magnitude through the exponent.
DecimalText ParseDecimal(const QString& text, bool allowSign, int64_t low, int64_t high) {
  DecimalText result;
  const QString trimmed = text.trimmed();
  const QString separator = DecimalSeparator();
  qsizetype pos = 0;
  bool negative = false;
  if (allowSign && trimmed.startsWith(QLatin1Char('-'))) {
    negative = true;
    ++pos;
  }
  bool digitSeen = false;
  bool afterSeparator = false;
  bool dropping = false;
  int64_t mantissa = 0;
  int64_t exponent = 0;
  while (pos < trimmed.size()) {
    if (!separator.isEmpty() && QStringView(trimmed).mid(pos).startsWith(separator)) {
      if (afterSeparator) {
        digitSeen = false;
        break;
      }
      afterSeparator = true;
      pos += separator.size();
      continue;
    }
    const QChar c = trimmed.at(pos);
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
    const int digit = c.unicode() - '0';
    digitSeen = true;
    ++pos;
    if (!dropping) {
      const int64_t candidate = negative ? mantissa * 10 - digit : mantissa * 10 + digit;
      if (candidate >= low && candidate <= high) {
        mantissa = candidate;
        if (afterSeparator) --exponent;
        continue;
      }
      if (digit > 4) {
        if (mantissa == low || mantissa == high) {
          mantissa /= 10;
          ++exponent;
        }
        mantissa += negative ? -1 : 1;
      }
      dropping = true;
    }
    if (!afterSeparator) ++exponent;
  }
  result.valid = digitSeen && FitsInt16(exponent);
  result.mantissa = mantissa;
  result.exponent = exponent;
  result.unitPart = trimmed.mid(pos);
  return result;
}

// The display unit's row, or the row of the unit the text names.
UnitEntry RowForUnitPart(const ValueType& type, const QString& unitPart) {
  const int16_t unitId = UnitFromAbbreviation(unitPart, type.quantity, type.unitId);
  if (unitId == type.unitId) return type.unit;
  return FindUnit(type.quantity, unitId);
}

// The decimal digits of |mantissa| with the separator -exponent digits from
// the right (at least one digit before it) or exponent zeros appended.
QString ScaledText(int64_t mantissa, int exponent) {
  QString digits = QString::number(mantissa < 0 ? -mantissa : mantissa);
  if (exponent < 0) {
    const int decimals = -exponent;
    if (digits.size() < decimals + 1)
      digits = QString(decimals + 1 - digits.size(), QLatin1Char('0')) + digits;
    digits.insert(digits.size() - decimals, DecimalSeparator());
  } else if (exponent > 0) {
    digits += QString(exponent, QLatin1Char('0'));
  }
  return mantissa < 0 ? QStringLiteral("-") + digits : digits;
}

QString WithUnit(const ValueType& type, const QString& number, bool showUnit) {
  return showUnit ? number + QLatin1Char(' ') + type.unit.abbreviation : number;
}

// value * 10^n when the result lies within [low, high].
std::optional<int64_t> ScaleWithin(int64_t value, int n, int64_t low, int64_t high) {
  const std::optional<int64_t> scaled = ScaleByPowerOfTen64(value, n);
  if (!scaled || *scaled < low || *scaled > high) return std::nullopt;
  return scaled;
}

// What sets the 16-bit and the 32-bit conversions apart: the range of the
// raw value, whether text may carry a sign, the range the arithmetic works
// in, the range a shown mantissa keeps, and how a scaling step that leaves
// the working range is reported.
struct RawWidth {
  bool allowSign;
  int64_t low, high;          // raw values
  int64_t workLow, workHigh;  // every intermediate result
  int64_t shownLow, shownHigh;
  const char* scalingOverflowText;
};

[[noreturn]] void ThrowScalingOverflow(const RawWidth& width) {
  throw EIntOverflow(QString::fromLatin1(width.scalingOverflowText));
}

constexpr int64_t kInt64Min = std::numeric_limits<int64_t>::min();
constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();

// Signed 16-bit raw values, worked out in 32 bits.
constexpr RawWidth kWidth16 = {true,      kInt16Min, kInt16Max, kInt32Min,
                               kInt32Max, kInt16Min, kInt16Max, kOverflowText};
// Unsigned 32-bit raw values, worked out in 64 bits; a scaling step that
// overflows says so in its own words.
constexpr RawWidth kWidth32 = {false,     0,           kUInt32Max, kInt64Min,
                               kInt64Max, -kUInt32Max, kUInt32Max, "Integer Overflow"};

// Text to raw: the typed number is moved to the display unit's offset and
// power of ten, then converted with the row's multiplier and divisor.
int64_t ParseRaw(const ValueType& type, const QString& text, const RawWidth& width) {
  const DecimalText number = ParseDecimal(text, width.allowSign, width.low, width.high);
  if (!number.valid) ThrowNotValid(text);
  const UnitEntry row = RowForUnitPart(type, number.unitPart);
  if (row.multiplier == 0) ThrowOverflow();

  const int e = static_cast<int>(number.exponent);
  const std::optional<int64_t> offset = ScaleWithin(row.offset, -e, width.workLow, width.workHigh);
  if (!offset) ThrowScalingOverflow(width);
  int64_t shifted = 0;
  if (!AddChecked(number.mantissa, -*offset, shifted) || shifted < width.workLow || shifted > width.workHigh)
    ThrowScalingOverflow(width);
  const std::optional<int64_t> t =
      ScaleWithin(shifted, e - type.rawExponent - row.exponent, width.workLow, width.workHigh);
  if (!t) ThrowScalingOverflow(width);
  int64_t product = 0;
  if (!MultiplyChecked(*t, row.divisor, product) || product < width.workLow || product > width.workHigh)
    ThrowOverflow();
  const int64_t raw = DivideRounded(product, row.multiplier);
  if (raw < width.low || raw > width.high) ThrowOverflow();
  return raw;
}

// Raw to text: digits beyond what the width shows are rounded away.
QString FormatRaw(const ValueType& type, int64_t raw, bool showUnit, const RawWidth& width) {
  const UnitEntry& row = type.unit;
  if (row.divisor == 0) ThrowOverflow();
  int64_t i = static_cast<int64_t>(type.rawExponent) + row.exponent;
  const std::optional<int64_t> offset =
      ScaleWithin(row.offset, static_cast<int>(-i), width.workLow, width.workHigh);
  if (!offset) ThrowOverflow();
  int64_t d = DivideRounded(raw * row.multiplier, row.divisor);
  if (!AddChecked(d, *offset, d) || d < width.workLow || d > width.workHigh) ThrowOverflow();
  while (d < width.shownLow || d > width.shownHigh) {
    d = DropDigitRounded(d);
    ++i;
  }
  if (!FitsInt16(i)) ThrowOverflow();
  return WithUnit(type, ScaledText(d, static_cast<int>(i)), showUnit);
}

ValueType MakeShared(int quantity, int unitId, int rawExponent) {
  return MakeValueType(quantity, unitId, rawExponent);
}

}  // namespace

bool SameValueType(const ValueType& a, const ValueType& b) {
  return a.quantity == b.quantity && a.unitId == b.unitId && a.rawExponent == b.rawExponent;
}

int UnitCount(int quantity) {
  CheckQuantity(quantity);
  const UnitRow* rows = QuantityTable(quantity);
  int count = 0;
  while (count < kUnitSlotsPerQuantity && rows[count].name != nullptr) ++count;
  return count;
}

UnitEntry FindUnit(int quantity, int unitId) {
  const int count = UnitCount(quantity);
  const UnitRow* rows = QuantityTable(quantity);
  for (int i = 0; i < count; ++i) {
    if (rows[i].id != unitId) continue;
    UnitEntry entry;
    entry.id = rows[i].id;
    entry.name = rows[i].name ? QString::fromLatin1(rows[i].name) : kNullText;
    entry.abbreviation = rows[i].abbreviation ? QString::fromLatin1(rows[i].abbreviation) : kNullText;
    entry.multiplier = rows[i].multiplier;
    entry.divisor = rows[i].divisor;
    entry.offset = rows[i].offset;
    entry.exponent = rows[i].exponent;
    return entry;
  }
  throw Exception(QStringLiteral("Unit type not found."));
}

ValueType MakeValueType(int quantity, int unitId, int rawExponent) {
  ValueType type;
  type.unit = FindUnit(quantity, unitId);
  if (type.unit.divisor == 0) throw Exception(QStringLiteral("Bad divisor"));
  type.quantity = static_cast<int8_t>(quantity);
  type.unitId = static_cast<int16_t>(unitId);
  type.rawExponent = static_cast<int16_t>(rawExponent);
  return type;
}

ValueType DecimalPlacesType(int decimals) {
  return MakeValueType(kQuantityUnitless, kUnitNone, -decimals);
}

QString DecimalSeparator() {
  return QLocale().decimalPoint();
}

bool ScaleByPowerOfTen(int32_t value, int n, int32_t& result) {
  const std::optional<int64_t> scaled = ScaleWithin(value, n, kInt32Min, kInt32Max);
  if (!scaled) return false;
  result = static_cast<int32_t>(*scaled);
  return true;
}

int16_t UnitFromAbbreviation(const QString& text, int quantity, int currentUnitId) {
  const QString wanted = text.trimmed();
  if (wanted.isEmpty()) return static_cast<int16_t>(currentUnitId);
  const int count = UnitCount(quantity);
  for (int id = 0; id < count; ++id) {
    const UnitEntry unit = FindUnit(quantity, id);
    if (unit.abbreviation.compare(wanted, Qt::CaseInsensitive) == 0) return static_cast<int16_t>(id);
  }
  throw EConvertError(QStringLiteral("Abbreviation not valid for this data type"));
}

QString UnitAbbreviation(const ValueType& type) {
  return type.unit.abbreviation;
}

QString UnitCaption(const ValueType& type, bool spaced) {
  const QString& abbreviation = type.unit.abbreviation;
  if (abbreviation.isEmpty()) return QString();
  return spaced ? QStringLiteral("( ") + abbreviation + QStringLiteral(" )")
                : QStringLiteral("(") + abbreviation + QStringLiteral(")");
}

int16_t ParseValue16(const ValueType& type, const QString& text) {
  return static_cast<int16_t>(ParseRaw(type, text, kWidth16));
}

QString FormatValue16(const ValueType& type, int16_t raw, bool showUnit) {
  return FormatRaw(type, raw, showUnit, kWidth16);
}

uint32_t ParseValue32(const ValueType& type, const QString& text) {
  return static_cast<uint32_t>(ParseRaw(type, text, kWidth32));
}

QString FormatValue32(const ValueType& type, uint32_t raw, bool showUnit) {
  return FormatRaw(type, raw, showUnit, kWidth32);
}

const ValueType IpType = MakeShared(kQuantityCurrent, kUnitMilliamp, -6);
const ValueType O2PercentType = MakeShared(kQuantityRatio, kUnitPercent, -4);
const ValueType PlainNumberType = MakeShared(kQuantityUnitless, kUnitNone, 0);
const ValueType HeaterVoltsType = MakeShared(kQuantityVoltage, kUnitVolt, -1);
const ValueType FilterTimeType = MakeShared(kQuantityTime, kUnitSecond, -1);
const ValueType OutputVoltsType = MakeShared(kQuantityVoltage, kUnitVolt, -3);
