#pragma once

#include <cstdint>

#include <QString>

// The meter keeps every quantity as an integer ("raw") with an implied
// power-of-ten step. These functions convert between raw integers and the
// text a user reads and types, exactly, with integer arithmetic only.
// Typed text may carry any unit of the same quantity; it is converted.

// Quantity indexes of the unit table that the program reaches. The table has
// kQuantityCount quantities; the others have no units built.
constexpr int kQuantityCount = 23;
constexpr int kUnitSlotsPerQuantity = 15;
constexpr int8_t kQuantityTime = 2;
constexpr int8_t kQuantityVoltage = 16;
constexpr int8_t kQuantityCurrent = 17;
constexpr int8_t kQuantityRatio = 21;
constexpr int8_t kQuantityUnitless = 22;

// Unit ids within their quantity.
constexpr int16_t kUnitMicrosecond = 0;
constexpr int16_t kUnitMillisecond = 1;
constexpr int16_t kUnitSecond = 2;
constexpr int16_t kUnitMinute = 3;
constexpr int16_t kUnitMillivolt = 0;
constexpr int16_t kUnitVolt = 1;
constexpr int16_t kUnitMilliamp = 0;
constexpr int16_t kUnitAmp = 1;
constexpr int16_t kUnitPercent = 0;
constexpr int16_t kUnitRatio = 1;
constexpr int16_t kUnitNone = 0;

// One row of the unit table. A value b in the quantity's base unit shows in
// this unit as b * multiplier / divisor * 10^exponent + offset.
struct UnitEntry {
  int16_t id = 0;
  QString name;
  QString abbreviation;  // may be empty (a ratio, a plain number)
  int16_t multiplier = 1;
  int16_t divisor = 1;  // never 0
  int16_t offset = 0;   // in display units
  int16_t exponent = 0;
};

// How a raw integer of the device reads: raw r stands for r * 10^rawExponent
// base units and is shown in the display unit `unit`.
struct ValueType {
  int8_t quantity = kQuantityUnitless;
  int16_t unitId = kUnitNone;
  int16_t rawExponent = 0;
  UnitEntry unit;  // copy of the display unit's row
};

// True when both describe the same quantity, display unit and raw exponent.
bool SameValueType(const ValueType& a, const ValueType& b);

// Raise Exception "Bad data type" for a quantity outside 0..22 and
// "Unit type not found." for a unit the quantity does not have.
// MakeValueType also raises "Bad divisor" for a row with divisor 0.
ValueType MakeValueType(int quantity, int unitId, int rawExponent);
UnitEntry FindUnit(int quantity, int unitId);
int UnitCount(int quantity);

// Text to raw. Raises EConvertError "'<text>' is not a valid entry" or
// "Abbreviation not valid for this data type", EIntOverflow
// "Integer overflow". Digits finer than the raw step are cut.
int16_t ParseValue16(const ValueType& type, const QString& text);
// Raw to text with exactly -(rawExponent + unit exponent) decimals; with
// showUnit a blank and the abbreviation follow. Raises EIntOverflow.
QString FormatValue16(const ValueType& type, int16_t raw, bool showUnit);

// The unsigned 32-bit forms. ParseValue32 refuses a sign; its power-of-ten
// scaling raises EIntOverflow "Integer Overflow", other range failures
// "Integer overflow".
uint32_t ParseValue32(const ValueType& type, const QString& text);
QString FormatValue32(const ValueType& type, uint32_t raw, bool showUnit);

QString UnitAbbreviation(const ValueType& type);
// "(mA)", or spaced "( mA )"; empty when the unit has no abbreviation.
QString UnitCaption(const ValueType& type, bool spaced);
// The unit id whose abbreviation matches the trimmed text, ignoring case;
// the current id for an empty text. Raises EConvertError
// "Abbreviation not valid for this data type".
int16_t UnitFromAbbreviation(const QString& text, int quantity, int currentUnitId);

// value * 10^n into result. Returns false when the result leaves int32
// (and for n >= 10 with a non-zero value); n <= -10 gives 0.
bool ScaleByPowerOfTen(int32_t value, int n, int32_t& result);

// The decimal separator typed and shown: that of the default locale.
QString DecimalSeparator();

// The value types the editors share.
extern const ValueType IpType;           // pump current: mA, raw in uA
extern const ValueType O2PercentType;    // O2 concentration: %, raw in 0.01 %
extern const ValueType PlainNumberType;  // a plain integer
extern const ValueType HeaterVoltsType;  // V, raw in 0.1 V
extern const ValueType FilterTimeType;   // s, raw in 0.1 s
extern const ValueType OutputVoltsType;  // V, raw in mV

// A plain number shown with `decimals` decimal places (raw exponent
// -decimals), as the output tables use.
ValueType DecimalPlacesType(int decimals);
