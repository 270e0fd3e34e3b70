#include <string>

#include <gtest/gtest.h>

#include "support/scriptedprompter.h"
#include "ui/validators.h"

namespace {

// Test names from the table rows.
const auto CaseName = [](const auto& row) { return std::string(row.param.name); };

const QString kCaption = QStringLiteral("Display Setup");

struct WholeCase {
  const char* name;
  const char* text;
  int32_t low;
  int32_t high;
  bool ok;
  const char* message;  // expected notice when not ok
};

const WholeCase kWholeCases[] = {
    {"InsideRange", "5", 1, 10, true, ""},
    {"LowBoundIncluded", "1", 1, 10, true, ""},
    {"HighBoundIncluded", "10", 1, 10, true, ""},
    {"NegativeRange", "-3", -5, -1, true, ""},
    {"Int32Extremes", "-2147483648", -2147483647 - 1, 2147483647, true, ""},
    {"TrailingJunk", "12x", 1, 10, false,
     "'12x' is not a valid entry for update rate.\nPlease enter a whole number between 1 and 10."},
    {"BelowRange", "0", 1, 10, false,
     "'0' is not a valid entry for update rate.\nPlease enter a whole number between 1 and 10."},
    {"AboveRange", "11", 1, 10, false,
     "'11' is not a valid entry for update rate.\nPlease enter a whole number between 1 and 10."},
    {"Empty", "", 1, 10, false,
     "You should enter a value for update rate.\nPlease enter a whole number between 1 and 10."},
    {"BlanksAreNotEmpty", "  ", 1, 10, false,
     "'  ' is not a valid entry for update rate.\nPlease enter a whole number between 1 and 10."},
    {"DecimalIsNotWhole", "2.5", 1, 10, false,
     "'2.5' is not a valid entry for update rate.\nPlease enter a whole number between 1 and 10."},
    {"BeyondInt32", "2147483648", 0, 2147483647, false,
     "'2147483648' is not a valid entry for update rate.\nPlease enter a whole number between 0 and "
     "2147483647."},
    {"NegativeBoundsInMessage", "x", -5, -1, false,
     "'x' is not a valid entry for update rate.\nPlease enter a whole number between -5 and -1."},
};

class WholeNumberTextTest : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholeNumberTextTest, AcceptsOrShowsTheComposedMessage) {
  const WholeCase& c = GetParam();
  ScriptedPrompter prompter;
  if (!c.ok) prompter.ExpectMessage(QString::fromLatin1(c.message));
  EXPECT_EQ(
      ValidateWholeNumberText(prompter, QString::fromLatin1(c.text), c.low, c.high, "update rate", kCaption),
      c.ok);
  if (!c.ok) {
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].caption, kCaption);
    EXPECT_EQ(prompter.Messages()[0].icon, MessageIcon::Information);
    EXPECT_EQ(prompter.Messages()[0].buttons, MessageButtons::Ok);
  }
}

INSTANTIATE_TEST_SUITE_P(Validators, WholeNumberTextTest, ::testing::ValuesIn(kWholeCases), CaseName);

struct ScaledCase {
  const char* name;
  const ValueType* type;
  const char* text;
  int16_t low;
  int16_t high;
  bool showUnit;
  bool ok;
  const char* result;  // canonical text when ok, the message otherwise
};

const ScaledCase kScaledCases[] = {
    {"CanonicalWithUnit", &HeaterVoltsType, "12", 50, 255, true, true, "12.0 V"},
    {"ExtraDigitsCut", &HeaterVoltsType, "12.34", 50, 255, true, true, "12.3 V"},
    {"OtherUnitOfQuantity", &HeaterVoltsType, "5000 mV", 50, 255, false, true, "5.0"},
    {"WithoutUnit", &O2PercentType, "20.9", 0, 10000, false, true, "20.90"},
    {"LowBound", &FilterTimeType, "0", 0, 255, true, true, "0.0 s"},
    {"HighBoundInMilliseconds", &FilterTimeType, "25500 ms", 0, 255, true, true, "25.5 s"},
    {"BelowRange", &HeaterVoltsType, "4.9", 50, 255, true, false,
     "'4.9' is not a valid entry for ntk heater voltage.\nPlease enter a value between 5.0 V and 25.5 V."},
    {"AboveRangeBoundsCarryUnitWithoutShowUnit", &O2PercentType, "100.01", 0, 10000, false, false,
     "'100.01' is not a valid entry for ntk heater voltage.\nPlease enter a value between 0.00 % and 100.00 "
     "%."},
    {"Empty", &HeaterVoltsType, "", 50, 255, true, false,
     "You should enter a value for ntk heater voltage.\nPlease enter a value between 5.0 V and 25.5 V."},
    {"WrongQuantity", &HeaterVoltsType, "12 s", 50, 255, true, false,
     "'12 s' is not a valid entry for ntk heater voltage.\nPlease enter a value between 5.0 V and 25.5 V."},
    {"Overflow", &HeaterVoltsType, "99999", 50, 255, true, false,
     "'99999' is not a valid entry for ntk heater voltage.\nPlease enter a value between 5.0 V and 25.5 V."},
    {"PlainNumberBoundsKeepTheBlank", &PlainNumberType, "x", -32768, 32767, false, false,
     "'x' is not a valid entry for ntk heater voltage.\nPlease enter a value between -32768  and 32767 ."},
};

class ScaledTextTest : public ::testing::TestWithParam<ScaledCase> {};

TEST_P(ScaledTextTest, RewritesOrShowsTheComposedMessage) {
  const ScaledCase& c = GetParam();
  ScriptedPrompter prompter;
  if (!c.ok) prompter.ExpectMessage(QString::fromLatin1(c.result));
  QString text = QString::fromLatin1(c.text);
  EXPECT_EQ(
      ValidateScaledText(prompter, text, c.low, c.high, "ntk heater voltage", kCaption, *c.type, c.showUnit),
      c.ok);
  EXPECT_EQ(text, c.ok ? QString::fromLatin1(c.result) : QString::fromLatin1(c.text));
  if (!c.ok) {
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].caption, kCaption);
    EXPECT_EQ(prompter.Messages()[0].icon, MessageIcon::Information);
  }
}

INSTANTIATE_TEST_SUITE_P(Validators, ScaledTextTest, ::testing::ValuesIn(kScaledCases), CaseName);

TEST(ScaledText32, RewritesWithUnsignedRange) {
  ScriptedPrompter prompter;
  QString text = "2.5";
  EXPECT_TRUE(
      ValidateScaledText32(prompter, text, 0, 5000, "default output", kCaption, OutputVoltsType, true));
  EXPECT_EQ(text, "2.500 V");
}

TEST(ScaledText32, NegativeAndOutOfRangeShowTheBoundsIn32Bits) {
  ScriptedPrompter prompter;
  const QString expectedLine2 = "\nPlease enter a value between 0.000 V and 4294967.295 V.";
  prompter.ExpectMessage("'-1' is not a valid entry for default output." + expectedLine2);
  prompter.ExpectMessage("'4294967.296' is not a valid entry for default output." + expectedLine2);
  QString negative = "-1";
  EXPECT_FALSE(ValidateScaledText32(prompter, negative, 0, 4294967295u, "default output", kCaption,
                                    OutputVoltsType, true));
  EXPECT_EQ(negative, "-1");
  QString beyond = "4294967.296";
  EXPECT_FALSE(ValidateScaledText32(prompter, beyond, 0, 4294967295u, "default output", kCaption,
                                    OutputVoltsType, true));
}

struct HexCase {
  const char* name;
  const char* text;
  uint32_t low;
  uint32_t high;
  int digits;
  bool ok;
  const char* result;
};

const HexCase kHexCases[] = {
    {"PaddedUpperCase", "a", 0, 0xFF, 2, true, "0A"},
    {"PrefixAccepted", " 0x1f ", 0, 0xFF, 2, true, "1F"},
    {"UpperPrefixAccepted", "0XAB", 0, 0xFF, 2, true, "AB"},
    {"EmptyReadsZero", "", 0, 0xFF, 2, true, "00"},
    {"WiderThanDigits", "12345", 0, 0x1FFFFFFF, 3, true, "12345"},
    {"FullRange", "FFFFFFFF", 0, 0xFFFFFFFF, 8, true, "FFFFFFFF"},
    {"EmptyFailsAboveZero", "", 1, 0xFF, 2, false,
     "'' is not a valid entry for compound id.\nPlease enter a hexadecimal value between 01 and FF"},
    {"AboveRange", "100", 0, 0xFF, 2, false,
     "'100' is not a valid entry for compound id.\nPlease enter a hexadecimal value between 00 and FF"},
    {"NotHex", "G1", 0, 0xFF, 2, false,
     "'G1' is not a valid entry for compound id.\nPlease enter a hexadecimal value between 00 and FF"},
    {"BeyondUInt32", "100000000", 0, 0xFFFFFFFF, 8, false,
     "'100000000' is not a valid entry for compound id.\nPlease enter a hexadecimal value between 00000000 "
     "and "
     "FFFFFFFF"},
};

class HexTextTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexTextTest, RewritesOrShowsTheComposedMessage) {
  const HexCase& c = GetParam();
  ScriptedPrompter prompter;
  if (!c.ok) prompter.ExpectMessage(QString::fromLatin1(c.result));
  QString text = QString::fromLatin1(c.text);
  EXPECT_EQ(ValidateHexText(prompter, text, c.low, c.high, "compound id", kCaption, c.digits), c.ok);
  if (c.ok) {
    EXPECT_EQ(text, QString::fromLatin1(c.result));
  }
}

INSTANTIATE_TEST_SUITE_P(Validators, HexTextTest, ::testing::ValuesIn(kHexCases), CaseName);

}  // namespace
