#include <cstring>

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "config/qvaconfig.h"
#include "editors/digitalinputssetup.h"
#include "support/widgettestsupport.h"

namespace {

const QString kCaption = QStringLiteral("Digital Inputs Setup");
const QString kInput1Rule = QStringLiteral(
    "Input 1 Mode must be set as Active High, Active Low or Measure RPM if device activation is based on input 1");
const QString kInput2Rule =
    QStringLiteral("Input 2 Mode must be set as Active High or Active Low if device activation is based on input 2");

QVA_CONFIG_DATA Record(int activation, int mode1, int mode2, int pulses) {
  QVA_CONFIG_DATA record = MakeBlankConfig();
  record.sensor_type = 2;
  record.reserved1[1] = 0x5A;  // bytes around the four fields stay as they are
  record.ntk_heater_voltage = 120;
  record.activate_mode = static_cast<uint8_t>(activation);
  record.dig_input_mode[0] = static_cast<uint8_t>(mode1);
  record.dig_input_mode[1] = static_cast<uint8_t>(mode2);
  record.rpm_pulses_per_rev = static_cast<uint8_t>(pulses);
  return record;
}

bool SameBytes(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class DigitalInputsSetupTest : public ::testing::Test {
 protected:
  void Open(const QVA_CONFIG_DATA& stored) {
    record = stored;
    dialog = std::make_unique<TFormDigitalInputsSetup>(prompter, record);
    dialog->show();
    dialog->activateWindow();
  }
  QComboBox* Activation() { return Find<QComboBox>(dialog.get(), "ComboBoxActivateMode"); }
  QComboBox* Input1() { return Find<QComboBox>(dialog.get(), "ComboBoxInput1Mode"); }
  QComboBox* Input2() { return Find<QComboBox>(dialog.get(), "ComboBoxInput2Mode"); }
  QSpinBox* UpDown() { return Find<QSpinBox>(dialog.get(), "UpDownPulsesPerRev"); }
  QLineEdit* PulsesEdit() { return Find<QLineEdit>(dialog.get(), "EditPulsesPerRev"); }
  void Press(const char* button) { Find<QPushButton>(dialog.get(), button)->click(); }
  bool Closed() const { return !dialog->isVisible(); }

  HelpRecordingPrompter prompter;
  QVA_CONFIG_DATA record{};
  std::unique_ptr<TFormDigitalInputsSetup> dialog;
};

TEST_F(DigitalInputsSetupTest, ShowsItsCaptionListsAndButtons) {
  Open(Record(0, 0, 0, 4));
  EXPECT_EQ(dialog->windowTitle(), kCaption);
  EXPECT_TRUE(dialog->isModal());
  EXPECT_EQ(Activation()->count(), 5);
  EXPECT_EQ(ItemTexts(Input1()), (QStringList{"Off", "Active Low", "Active High", "Measure RPM"}));
  EXPECT_EQ(ItemTexts(Input2()),
            (QStringList{"Off", "Active Low", "Active High", "Display Other Output Table When Low"}));
  for (QComboBox* combo : {Activation(), Input1(), Input2()}) EXPECT_FALSE(combo->isEditable());
  EXPECT_EQ(Find<QLabel>(dialog.get(), "LabelPulsesPerRev")->text(), QStringLiteral("&RPM Pulses Per Rev :"));
  EXPECT_EQ(UpDown()->minimum(), 1);
  EXPECT_EQ(UpDown()->maximum(), 255);
  EXPECT_TRUE(Find<QPushButton>(dialog.get(), "ButtonOk")->isDefault());
  EXPECT_EQ(Find<QPushButton>(dialog.get(), "ButtonHelp")->text(), QStringLiteral("&Help"));
}

TEST_F(DigitalInputsSetupTest, SelectsTheStoredModesByCode) {
  Open(Record(4, 3, 4, 4));
  EXPECT_EQ(Activation()->currentText(), QStringLiteral("Run only while input 2 is active"));
  EXPECT_EQ(Input1()->currentText(), QStringLiteral("Measure RPM"));
  EXPECT_EQ(Input2()->currentText(), QStringLiteral("Display Other Output Table When Low"));
}

TEST_F(DigitalInputsSetupTest, AStoredInput2Mode3OpensAsOffAndIsStoredAs0) {
  Open(Record(0, 1, 3, 4));
  EXPECT_EQ(Input2()->currentText(), QStringLiteral("Off"));
  Press("ButtonOk");
  EXPECT_TRUE(Closed());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(record.dig_input_mode[1], 0);
  EXPECT_EQ(record.dig_input_mode[0], 1);
}

TEST_F(DigitalInputsSetupTest, PulsesShowTenForZeroAndAreStoredOnlyWhileInput1MeasuresRpm) {
  struct Case {
    int storedPulses;
    int mode1;
    int shown;
    bool enabled;
    int storedAfterOk;
  };
  const Case cases[] = {
      {0, 0, 10, false, 0},   // never set, not measuring: stays unset
      {0, 3, 10, true, 10},   // never set, measuring: the 10 shown is stored
      {37, 2, 37, false, 37},
      {37, 3, 37, true, 37},
      {255, 3, 255, true, 255},
  };
  for (const Case& c : cases) {
    Open(Record(0, c.mode1, 0, c.storedPulses));
    EXPECT_EQ(PulsesEdit()->text(), QString::number(c.shown)) << c.storedPulses;
    EXPECT_EQ(PulsesEdit()->isEnabled(), c.enabled) << c.mode1;
    EXPECT_EQ(UpDown()->isEnabled(), c.enabled) << c.mode1;
    EXPECT_EQ(Find<QLabel>(dialog.get(), "LabelPulsesPerRev")->isEnabled(), c.enabled) << c.mode1;
    Press("ButtonOk");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(record.rpm_pulses_per_rev, c.storedAfterOk) << c.storedPulses << " " << c.mode1;
  }
}

TEST_F(DigitalInputsSetupTest, PulsesFollowTheInput1Choice) {
  Open(Record(0, 0, 0, 0));
  Choose(Input1(), "Measure RPM");
  EXPECT_TRUE(PulsesEdit()->isEnabled());
  EXPECT_TRUE(UpDown()->isEnabled());
  EXPECT_TRUE(Find<QLabel>(dialog.get(), "LabelPulsesPerRev")->isEnabled());
  PulsesEdit()->setText("25");
  Choose(Input1(), "Active High");
  EXPECT_FALSE(PulsesEdit()->isEnabled());
  EXPECT_FALSE(UpDown()->isEnabled());
  // A disabled field is neither checked nor stored, whatever it holds.
  PulsesEdit()->setText("999");
  Press("ButtonOk");
  EXPECT_TRUE(Closed());
  EXPECT_EQ(record.rpm_pulses_per_rev, 0);
  EXPECT_EQ(record.dig_input_mode[0], 2);
}

TEST_F(DigitalInputsSetupTest, PulsesOutsideOneTo255AreRefusedAndNothingIsWritten) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "'0' is not a valid entry for RPM pulses per rev.\nPlease enter a whole number between 1 and 255."},
      {"256", "'256' is not a valid entry for RPM pulses per rev.\nPlease enter a whole number between 1 and 255."},
      {"", "You should enter a value for RPM pulses per rev.\nPlease enter a whole number between 1 and 255."},
  };
  for (const auto& [typed, message] : cases) {
    const QVA_CONFIG_DATA stored = Record(1, 1, 0, 6);
    Open(stored);
    // Changes elsewhere must not reach the record either.
    Choose(Activation(), "Run always");
    Choose(Input1(), "Measure RPM");
    Find<QPushButton>(dialog.get(), "ButtonOk")->setFocus();
    PulsesEdit()->setText(QString::fromLatin1(typed));
    prompter.ExpectMessage(QString::fromLatin1(message));
    Press("ButtonOk");
    EXPECT_EQ(prompter.Messages().back().caption, kCaption);
    EXPECT_EQ(prompter.Messages().back().icon, MessageIcon::Information);
    EXPECT_FALSE(Closed()) << typed;
    EXPECT_TRUE(SameBytes(record, stored)) << typed;
    EXPECT_EQ(dialog->focusWidget(), PulsesEdit()) << typed;
    EXPECT_EQ(PulsesEdit()->selectedText(), QString::fromLatin1(typed)) << typed;
  }
}

TEST_F(DigitalInputsSetupTest, ActivationRulesKeepTheDialogOpenWithoutMovingTheFocus) {
  struct Case {
    const char* activation;
    const char* input1;
    const char* input2;
    QString message;
  };
  const Case cases[] = {
      {"Run only while input 2 is active", "Off", "Display Other Output Table When Low", kInput2Rule},
      {"Run after input 2 first becomes active", "Active Low", "Off", kInput2Rule},
      {"Run after input 1 first becomes active", "Off", "Active High", kInput1Rule},
      {"Run only while input 1 is active", "Off", "Off", kInput1Rule},
  };
  for (const Case& c : cases) {
    const QVA_CONFIG_DATA stored = Record(0, 1, 1, 0);
    Open(stored);
    Choose(Activation(), c.activation);
    Choose(Input1(), c.input1);
    Choose(Input2(), c.input2);
    Input2()->setFocus();
    prompter.ExpectMessage(c.message);
    Press("ButtonOk");
    EXPECT_EQ(prompter.Messages().back().caption, kCaption);
    EXPECT_FALSE(Closed()) << c.activation;
    EXPECT_TRUE(SameBytes(record, stored)) << c.activation;
    EXPECT_EQ(dialog->focusWidget(), Input2()) << c.activation;
  }
}

TEST_F(DigitalInputsSetupTest, OkWritesTheFourFieldsStraightIntoTheRecord) {
  const QVA_CONFIG_DATA stored = Record(0, 0, 0, 0);
  Open(stored);
  Choose(Activation(), "Run after input 1 first becomes active");
  Choose(Input1(), "Measure RPM");
  Choose(Input2(), "Active High");
  PulsesEdit()->setText("4");
  Press("ButtonOk");
  EXPECT_TRUE(Closed());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  QVA_CONFIG_DATA expected = stored;
  expected.activate_mode = 1;
  expected.dig_input_mode[0] = 3;
  expected.dig_input_mode[1] = 2;
  expected.rpm_pulses_per_rev = 4;
  EXPECT_TRUE(SameBytes(record, expected));
}

TEST_F(DigitalInputsSetupTest, CancelWritesNothing) {
  const QVA_CONFIG_DATA stored = Record(3, 3, 1, 0);
  Open(stored);
  Choose(Activation(), "Run always");
  Choose(Input1(), "Off");
  Choose(Input2(), "Active Low");
  Press("ButtonCancel");
  EXPECT_TRUE(Closed());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_TRUE(SameBytes(record, stored));
}

}  // namespace
