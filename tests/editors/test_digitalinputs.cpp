#include <gtest/gtest.h>

#include "editors/digitalinputs.h"
#include "support/qtprinters.h"

namespace {

QStringList Texts(const CodeList& items) {
  QStringList texts;
  for (const CodeItem& item : items) texts << item.text;
  return texts;
}

std::vector<int> Codes(const CodeList& items) {
  std::vector<int> codes;
  for (const CodeItem& item : items) codes.push_back(item.code);
  return codes;
}

}  // namespace

TEST(DigitalInputsRules, ListsCarryTheDeviceCodesInOrder) {
  EXPECT_EQ(Texts(ActivationModeItems()),
            (QStringList{"Run always", "Run after input 1 first becomes active", "Run only while input 1 is active",
                         "Run after input 2 first becomes active", "Run only while input 2 is active"}));
  EXPECT_EQ(Codes(ActivationModeItems()), (std::vector<int>{0, 1, 2, 3, 4}));
  // Each input leaves out the other's special use; a code means the same on both.
  EXPECT_EQ(Texts(Input1ModeItems()), (QStringList{"Off", "Active Low", "Active High", "Measure RPM"}));
  EXPECT_EQ(Codes(Input1ModeItems()), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Texts(Input2ModeItems()),
            (QStringList{"Off", "Active Low", "Active High", "Display Other Output Table When Low"}));
  EXPECT_EQ(Codes(Input2ModeItems()), (std::vector<int>{0, 1, 2, 4}));
}

TEST(DigitalInputsRules, PulsesApplyOnlyWhileInput1MeasuresRpm) {
  for (int mode = 0; mode <= 4; ++mode) EXPECT_EQ(PulsesPerRevApplies(mode), mode == 3) << mode;
}

TEST(DigitalInputsRules, ActivationNeedsASuitableInput) {
  const QString input1 = QStringLiteral(
      "Input 1 Mode must be set as Active High, Active Low or Measure RPM if device activation is based on "
      "input 1");
  const QString input2 = QStringLiteral(
      "Input 2 Mode must be set as Active High or Active Low if device activation is based on input 2");
  struct Case {
    int activation, mode1, mode2;
    QString expected;
  };
  const Case cases[] = {
      {0, 0, 0, {}},       // running always needs no input
      {0, 7, 9, {}},       // nor does it look at stored nonsense
      {1, 0, 0, input1},   {2, 0, 2, input1},  {1, 4, 1, input1},  // input 1 off or unusable
      {1, 1, 0, {}},       {1, 2, 0, {}},      {2, 3, 0, {}},       // switch or RPM on input 1
      {3, 1, 0, input2},   {4, 3, 0, input2},  {4, 2, 4, input2},  // input 2 off or switching tables
      {3, 0, 1, {}},       {4, 0, 2, {}},
      {2, 0, 0, input1},   // input 1 is reported first
      {5, 0, 0, {}},       // an unknown activation code asks nothing of the inputs
  };
  for (const Case& c : cases) {
    QVA_CONFIG_DATA record = MakeBlankConfig();
    record.activate_mode = static_cast<uint8_t>(c.activation);
    record.dig_input_mode[0] = static_cast<uint8_t>(c.mode1);
    record.dig_input_mode[1] = static_cast<uint8_t>(c.mode2);
    EXPECT_EQ(DigitalInputsRuleMessage(record), c.expected) << c.activation << " " << c.mode1 << " " << c.mode2;
  }
}
