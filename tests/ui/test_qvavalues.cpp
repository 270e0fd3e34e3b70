#include <functional>
#include <string>
#include <limits>

#include <QLocale>

#include <gtest/gtest.h>

#include "platform/qvaerrors.h"
#include "ui/qvavalues.h"

namespace {

// Test names from the table rows.
const auto CaseName = [](const auto& row) { return std::string(row.param.name); };

enum class ErrorKind { None, Base, Convert, Overflow };

struct Failure {
  ErrorKind kind = ErrorKind::None;
  QString message;
};

// Runs an operation and reports which exception class it raised and its text.
Failure FailureOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const EConvertError& e) {
    return {ErrorKind::Convert, e.Message()};
  } catch (const EIntOverflow& e) {
    return {ErrorKind::Overflow, e.Message()};
  } catch (const Exception& e) {
    return {ErrorKind::Base, e.Message()};
  }
  return {};
}

// Restores the C locale that the test main pins.
class LocaleGuard {
 public:
  explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
  ~LocaleGuard() { QLocale::setDefault(QLocale::c()); }
};

struct FormatCase {
  const char* name;
  const ValueType* type;
  int16_t raw;
  bool showUnit;
  const char* expected;
};

const FormatCase kFormatCases[] = {
    {"O2ZeroShowsTwoDecimals", &O2PercentType, 0, false, "0.00"},
    {"OutputVoltsFiveMillivolts", &OutputVoltsType, 5, false, "0.005"},
    {"O2Ambient", &O2PercentType, 2095, false, "20.95"},
    {"O2Negative", &O2PercentType, -5, false, "-0.05"},
    {"HeaterWithUnit", &HeaterVoltsType, 120, true, "12.0 V"},
    {"IpThreeDecimals", &IpType, 1234, false, "1.234"},
    {"IpMostNegative", &IpType, -32768, false, "-32.768"},
    {"IpWithUnit", &IpType, -1500, true, "-1.500 mA"},
    {"FilterTime", &FilterTimeType, 5, true, "0.5 s"},
    {"PlainNumber", &PlainNumberType, 42, false, "42"},
    {"PlainNumberKeepsBlankForEmptyUnit", &PlainNumberType, 42, true, "42 "},
    {"PlainNumberNegative", &PlainNumberType, -32768, false, "-32768"},
    {"O2WithPercent", &O2PercentType, 10000, true, "100.00 %"},
};

class FormatValue16Test : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatValue16Test, WritesExactDecimals) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(FormatValue16(*c.type, c.raw, c.showUnit), QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Values, FormatValue16Test, ::testing::ValuesIn(kFormatCases), CaseName);

struct ParseCase {
  const char* name;
  const ValueType* type;
  const char* text;
  int16_t expected;
};

const ParseCase kParseCases[] = {
    {"O2ExtraDigitIsCut", &O2PercentType, "20.955", 2095},
    {"FilterTimeInMilliseconds", &FilterTimeType, "500 ms", 5},
    {"FilterTimeInMinutes", &FilterTimeType, "1 min", 600},
    {"FilterTimeUnitWithoutBlank", &FilterTimeType, "2s", 20},
    {"HeaterInMillivolts", &HeaterVoltsType, "500 mV", 5},
    {"HeaterLowerCaseUnit", &HeaterVoltsType, "12 v", 120},
    {"HeaterDigitsBeyondStepAreCut", &HeaterVoltsType, "12.34", 123},
    {"IpWithUnit", &IpType, "1.5 mA", 1500},
    {"IpInAmps", &IpType, "0.0015 A", 1500},
    {"IpNegative", &IpType, "-1.5", -1500},
    {"IpLowestRaw", &IpType, "-32.768", -32768},
    {"IpHighestRaw", &IpType, "32.767", 32767},
    {"IpNegativeCutTowardZero", &IpType, "-1.0009", -1000},
    {"PlainWithBlanksAround", &PlainNumberType, "  42  ", 42},
    {"PlainLowest", &PlainNumberType, "-32768", -32768},
    {"O2WithPercentSign", &O2PercentType, "20 %", 2000},
    {"LeadingSeparator", &O2PercentType, ".5", 50},
    {"TrailingSeparator", &PlainNumberType, "7.", 7},
    {"ManyZeroDecimals", &PlainNumberType, "3.000000000000000000000000000001", 3},
};

class ParseValue16Test : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseValue16Test, GivesRaw) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(ParseValue16(*c.type, QString::fromLatin1(c.text)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Values, ParseValue16Test, ::testing::ValuesIn(kParseCases), CaseName);

struct ParseFailureCase {
  const char* name;
  const ValueType* type;
  const char* text;
  ErrorKind kind;
  const char* message;
};

const ParseFailureCase kParseFailures[] = {
    {"TwoSeparators", &PlainNumberType, "1.2.3", ErrorKind::Convert, "'1.2.3' is not a valid entry"},
    {"LoneMinus", &PlainNumberType, "-", ErrorKind::Convert, "'-' is not a valid entry"},
    {"LoneSeparator", &PlainNumberType, ".", ErrorKind::Convert, "'.' is not a valid entry"},
    {"Empty", &PlainNumberType, "", ErrorKind::Convert, "'' is not a valid entry"},
    {"BlanksKeptInMessage", &PlainNumberType, " x ", ErrorKind::Convert, "' x ' is not a valid entry"},
    {"PlusSign", &PlainNumberType, "+5", ErrorKind::Convert, "'+5' is not a valid entry"},
    {"VoltsIntoTime", &FilterTimeType, "5 V", ErrorKind::Convert,
     "Abbreviation not valid for this data type"},
    {"UnknownUnit", &HeaterVoltsType, "12 x", ErrorKind::Convert,
     "Abbreviation not valid for this data type"},
    {"HundredThousand", &PlainNumberType, "100000", ErrorKind::Overflow, "Integer overflow"},
    {"JustAboveRange", &PlainNumberType, "32768", ErrorKind::Overflow, "Integer overflow"},
    {"JustBelowRange", &PlainNumberType, "-32769", ErrorKind::Overflow, "Integer overflow"},
    {"FortyMilliampsInIp", &IpType, "40", ErrorKind::Overflow, "Integer overflow"},
    {"HugeExponent", &PlainNumberType, "1000000000000000000000", ErrorKind::Overflow, "Integer overflow"},
};

class ParseValue16FailureTest : public ::testing::TestWithParam<ParseFailureCase> {};

TEST_P(ParseValue16FailureTest, RaisesTheStatedError) {
  const ParseFailureCase& c = GetParam();
  const Failure failure = FailureOf([&] { ParseValue16(*c.type, QString::fromLatin1(c.text)); });
  EXPECT_EQ(failure.kind, c.kind);
  EXPECT_EQ(failure.message, QString::fromLatin1(c.message));
}

INSTANTIATE_TEST_SUITE_P(Values, ParseValue16FailureTest, ::testing::ValuesIn(kParseFailures), CaseName);

// A plain number whose raw step is 100 shows what the mantissa became when
// digits had to be dropped.
TEST(ParseValue16, DroppedDigitsRaiseTheExponentAndRound) {
  const ValueType hundreds = MakeValueType(kQuantityUnitless, kUnitNone, 2);
  EXPECT_EQ(ParseValue16(hundreds, "100000"), 1000);
  EXPECT_EQ(ParseValue16(hundreds, "327675"), 3277);    // rounds at the mantissa limit
  EXPECT_EQ(ParseValue16(hundreds, "-327685"), -3277);  // at the negative limit, away from zero
  EXPECT_EQ(ParseValue16(hundreds, "-327675"), -3276);  // -32768 x 10 fits: cut to the step
  EXPECT_EQ(ParseValue16(hundreds, "327649"), 3276);    // 32765 x 10, then cut to the step
  EXPECT_EQ(ParseValue16(hundreds, "99999.9"), 1000);   // digits after the separator are dropped
}

TEST(ParseValue16, EveryRawValueOfEverySharedTypeSurvivesFormatAndParse) {
  const ValueType* types[] = {&IpType,          &O2PercentType,  &PlainNumberType,
                              &HeaterVoltsType, &FilterTimeType, &OutputVoltsType};
  for (const ValueType* type : types) {
    for (int raw = std::numeric_limits<int16_t>::min(); raw <= std::numeric_limits<int16_t>::max(); ++raw) {
      for (bool showUnit : {false, true}) {
        const QString text = FormatValue16(*type, static_cast<int16_t>(raw), showUnit);
        ASSERT_EQ(ParseValue16(*type, text), raw) << text.toStdString();
      }
    }
  }
}

// No unit of the built table scales up, so a unit with a factor of 3 stands
// in: a display value beyond 16 bits loses digits with rounding, halves away
// from zero, and keeps its magnitude through the exponent.
TEST(FormatValue16, ReducesADisplayValueBeyond16BitsWithRounding) {
  ValueType tripled = PlainNumberType;
  tripled.unit.multiplier = 3;
  EXPECT_EQ(FormatValue16(tripled, 10925, false), "32780");    // 32775
  EXPECT_EQ(FormatValue16(tripled, -10925, false), "-32780");  // -32775
  EXPECT_EQ(FormatValue16(tripled, 10924, false), "32770");    // 32772
  EXPECT_EQ(FormatValue16(tripled, 32767, false), "98300");    // 98301
  EXPECT_EQ(FormatValue16(tripled, 10922, false), "32766");    // fits
}

TEST(FormatValue32, ReducesADisplayValueBeyond32Bits) {
  ValueType doubled = PlainNumberType;
  doubled.unit.multiplier = 2;
  EXPECT_EQ(FormatValue32(doubled, 4294967295u, false), "8589934590");
  EXPECT_EQ(FormatValue32(doubled, 2147483648u, false), "4294967300");  // 4294967296 rounded
}

TEST(ParseValue32, AcceptsTheWholeUnsignedRange) {
  EXPECT_EQ(ParseValue32(PlainNumberType, "4294967295"), 4294967295u);
  EXPECT_EQ(ParseValue32(PlainNumberType, "0"), 0u);
  EXPECT_EQ(ParseValue32(OutputVoltsType, "2.5 V"), 2500u);
  EXPECT_EQ(ParseValue32(OutputVoltsType, "1500 mV"), 1500u);
}

TEST(ParseValue32, RefusesANegativeNumber) {
  const Failure failure = FailureOf([] { ParseValue32(PlainNumberType, "-5"); });
  EXPECT_EQ(failure.kind, ErrorKind::Convert);
  EXPECT_EQ(failure.message, "'-5' is not a valid entry");
}

TEST(ParseValue32, OverflowTextsDifferByWhereTheyArise) {
  // The raw result leaves 32 bits: lower-case text.
  Failure failure = FailureOf([] { ParseValue32(PlainNumberType, "4294967296"); });
  EXPECT_EQ(failure.kind, ErrorKind::Overflow);
  EXPECT_EQ(failure.message, "Integer overflow");
  // The 64-bit power-of-ten scaling overflows: capital O.
  const ValueType fine = MakeValueType(kQuantityUnitless, kUnitNone, -10);
  failure = FailureOf([&] { ParseValue32(fine, "4294967295"); });
  EXPECT_EQ(failure.kind, ErrorKind::Overflow);
  EXPECT_EQ(failure.message, "Integer Overflow");
  failure = FailureOf([] { ParseValue32(PlainNumberType, "1" + QString(40, '0')); });
  EXPECT_EQ(failure.message, "Integer Overflow");
}

TEST(FormatValue32, WritesTheWholeUnsignedRange) {
  EXPECT_EQ(FormatValue32(PlainNumberType, 4294967295u, false), "4294967295");
  EXPECT_EQ(FormatValue32(IpType, 4294967295u, true), "4294967.295 mA");
  EXPECT_EQ(FormatValue32(OutputVoltsType, 5, false), "0.005");
}

TEST(FormatValue32, RoundTripsAcrossTheRange) {
  for (uint64_t raw = 0; raw <= 4294967295u; raw += 65521 * 7) {
    const QString text = FormatValue32(OutputVoltsType, static_cast<uint32_t>(raw), true);
    ASSERT_EQ(ParseValue32(OutputVoltsType, text), raw) << text.toStdString();
  }
}

struct ScaleCase {
  const char* name;
  int32_t value;
  int n;
  bool ok;
  int32_t result;
};

const ScaleCase kScaleCases[] = {
    {"ZeroWithHugePower", 0, 20, true, 0},
    {"MinusTenGivesZero", 2147483647, -10, true, 0},
    {"TenFails", 1, 10, false, 0},
    {"NineFits", 2, 9, true, 2000000000},
    {"NineOverflows", 3, 9, false, 0},
    {"TopOfRange", 214748364, 1, true, 2147483640},
    {"JustOver", 214748365, 1, false, 0},
    {"BottomOfRange", -214748364, 1, true, -2147483640},
    {"JustUnder", -214748365, 1, false, 0},
    {"NoScaling", -2147483647 - 1, 0, true, -2147483647 - 1},
    {"DivisionTruncates", 123456, -2, true, 1234},
    {"NegativeDivisionTowardZero", -123456, -2, true, -1234},
    {"NineDown", 1999999999, -9, true, 1},
};

class ScaleByPowerOfTenTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleByPowerOfTenTest, ScalesOrFails) {
  const ScaleCase& c = GetParam();
  int32_t result = 12345;
  const bool ok = ScaleByPowerOfTen(c.value, c.n, result);
  EXPECT_EQ(ok, c.ok);
  if (c.ok) {
    EXPECT_EQ(result, c.result);
  }
}

INSTANTIATE_TEST_SUITE_P(Values, ScaleByPowerOfTenTest, ::testing::ValuesIn(kScaleCases), CaseName);

TEST(UnitTable, CountsTheBuiltUnits) {
  EXPECT_EQ(UnitCount(kQuantityTime), 4);
  EXPECT_EQ(UnitCount(kQuantityVoltage), 2);
  EXPECT_EQ(UnitCount(kQuantityCurrent), 2);
  EXPECT_EQ(UnitCount(kQuantityRatio), 2);
  EXPECT_EQ(UnitCount(kQuantityUnitless), 1);
  EXPECT_EQ(UnitCount(0), 0);
}

TEST(UnitTable, FindsARowWithAllItsFields) {
  const UnitEntry minute = FindUnit(kQuantityTime, kUnitMinute);
  EXPECT_EQ(minute.id, 3);
  EXPECT_EQ(minute.name, "minute");
  EXPECT_EQ(minute.abbreviation, "min");
  EXPECT_EQ(minute.multiplier, 1);
  EXPECT_EQ(minute.divisor, 60);
  EXPECT_EQ(minute.exponent, 0);
  EXPECT_EQ(FindUnit(kQuantityTime, kUnitMicrosecond).exponent, 6);
  EXPECT_EQ(FindUnit(kQuantityRatio, kUnitRatio).abbreviation, "");
}

struct LookupFailureCase {
  const char* name;
  std::function<void()> operation;
  const char* message;
};

TEST(UnitTable, LookupFailuresRaiseTheBaseClass) {
  const LookupFailureCase cases[] = {
      {"NegativeQuantity", [] { MakeValueType(-1, 0, 0); }, "Bad data type"},
      {"QuantityPastTable", [] { MakeValueType(23, 0, 0); }, "Bad data type"},
      {"CountPastTable", [] { UnitCount(23); }, "Bad data type"},
      {"FindPastTable", [] { FindUnit(100, 0); }, "Bad data type"},
      {"UnbuiltQuantity", [] { MakeValueType(0, 0, 0); }, "Unit type not found."},
      {"MissingUnit", [] { FindUnit(kQuantityVoltage, 2); }, "Unit type not found."},
  };
  for (const auto& c : cases) {
    const Failure failure = FailureOf(c.operation);
    EXPECT_EQ(failure.kind, ErrorKind::Base) << c.name;
    EXPECT_EQ(failure.message, QString::fromLatin1(c.message)) << c.name;
  }
}

TEST(UnitFromAbbreviation, MatchesIgnoringCaseAndBlanks) {
  EXPECT_EQ(UnitFromAbbreviation("", kQuantityVoltage, kUnitVolt), kUnitVolt);
  EXPECT_EQ(UnitFromAbbreviation("   ", kQuantityCurrent, kUnitAmp), kUnitAmp);
  EXPECT_EQ(UnitFromAbbreviation("MV", kQuantityVoltage, kUnitVolt), kUnitMillivolt);
  EXPECT_EQ(UnitFromAbbreviation(" v ", kQuantityVoltage, kUnitMillivolt), kUnitVolt);
  EXPECT_EQ(UnitFromAbbreviation("MIN", kQuantityTime, kUnitSecond), kUnitMinute);
  EXPECT_EQ(UnitFromAbbreviation("us", kQuantityTime, kUnitSecond), kUnitMicrosecond);
  const Failure failure = FailureOf([] { UnitFromAbbreviation("s", kQuantityVoltage, kUnitVolt); });
  EXPECT_EQ(failure.kind, ErrorKind::Convert);
  EXPECT_EQ(failure.message, "Abbreviation not valid for this data type");
}

TEST(UnitCaption, ParenthesesAroundTheAbbreviation) {
  EXPECT_EQ(UnitCaption(IpType, true), "( mA )");
  EXPECT_EQ(UnitCaption(IpType, false), "(mA)");
  EXPECT_EQ(UnitCaption(OutputVoltsType, true), "( V )");
  EXPECT_EQ(UnitCaption(PlainNumberType, true), "");
  EXPECT_EQ(UnitCaption(DecimalPlacesType(2), false), "");
  EXPECT_EQ(UnitAbbreviation(O2PercentType), "%");
  EXPECT_EQ(UnitAbbreviation(FilterTimeType), "s");
}

TEST(SharedTypes, DescribeTheirQuantityUnitAndStep) {
  struct Expected {
    const ValueType* type;
    int quantity;
    int unitId;
    int rawExponent;
  };
  const Expected expected[] = {
      {&IpType, kQuantityCurrent, kUnitMilliamp, -6},
      {&O2PercentType, kQuantityRatio, kUnitPercent, -4},
      {&PlainNumberType, kQuantityUnitless, kUnitNone, 0},
      {&HeaterVoltsType, kQuantityVoltage, kUnitVolt, -1},
      {&FilterTimeType, kQuantityTime, kUnitSecond, -1},
      {&OutputVoltsType, kQuantityVoltage, kUnitVolt, -3},
  };
  for (const Expected& e : expected) {
    EXPECT_EQ(e.type->quantity, e.quantity);
    EXPECT_EQ(e.type->unitId, e.unitId);
    EXPECT_EQ(e.type->rawExponent, e.rawExponent);
    EXPECT_EQ(e.type->unit.id, e.unitId);
  }
  EXPECT_TRUE(SameValueType(DecimalPlacesType(0), PlainNumberType));
  EXPECT_FALSE(SameValueType(DecimalPlacesType(2), PlainNumberType));
  EXPECT_FALSE(SameValueType(HeaterVoltsType, OutputVoltsType));
}

TEST(DecimalSeparator, FollowsACommaLocale) {
  LocaleGuard guard(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(FormatValue16(O2PercentType, 2095, false), "20,95");
  EXPECT_EQ(FormatValue16(OutputVoltsType, 2500, true), "2,500 V");
  EXPECT_EQ(ParseValue16(O2PercentType, "20,95"), 2095);
  EXPECT_EQ(ParseValue32(OutputVoltsType, "2,5"), 2500u);
  // A full stop is no separator there: the rest reads as a unknown unit.
  const Failure failure = FailureOf([] { ParseValue16(O2PercentType, "20.95"); });
  EXPECT_EQ(failure.message, "Abbreviation not valid for this data type");
  const Failure twoSeparators = FailureOf([] { ParseValue16(PlainNumberType, "1,2,3"); });
  EXPECT_EQ(twoSeparators.message, "'1,2,3' is not a valid entry");
}

}  // namespace
