#include <cstring>

#include <QCheckBox>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QVBoxLayout>

#include "config/qvaconfig.h"
#include "support/widgettestsupport.h"
#include "ui/setupdialog.h"

namespace {

// A dialog with one control of every binding kind, a step of its own and a
// cross-field rule, declared the way the setup dialogs declare theirs.
class TTestSetupDialog : public TSetupDialogOf<TTestSetupDialog> {
 public:
  TTestSetupDialog(Prompter& prompter, QVA_CONFIG_DATA& record, WriteBack writeBack, QWidget* owner = nullptr)
      : TSetupDialogOf(prompter, record, writeBack, owner) {
    new QVBoxLayout(this);
    auto* updateRateEdit = Add<QLineEdit>("EditUpdateRate");
    auto* updateRate = Add<QSpinBox>("UpDownUpdateRate");
    updateRate->setRange(1, 10);
    auto* pages = Add<QStackedWidget>("Notebook1");
    pages->addWidget(new QWidget);
    pages->addWidget(new QWidget);
    for (const char* name : {"ButtonOk", "ButtonCancel", "ButtonHelp"}) Add<QPushButton>(name);

    FieldBindings& fields = Bindings();
    fields.UpDown(updateRateEdit, updateRate, QVA_FIELD(display_config.update_rate), "update rate").ZeroShowsAs(1);
    fields.Scaled16(Add<QLineEdit>("EditFilterTime"), QVA_FIELD(display_config.filter_time), FilterTimeType, 0,
                    255, "filter time", true);
    fields.Scaled16(Add<QLineEdit>("EditHeaterVoltage"), QVA_FIELD(ntk_heater_voltage), HeaterVoltsType, 50, 255,
                    "ntk heater voltage", true)
        .ZeroShowsAs(105)
        .EmptyStoresZero();
    fields.Scaled32(Add<QLineEdit>("EditUserCalResistor"), QVA_FIELD(user_cal_resistor), PlainNumberType, 0, 3000,
                    "equivalent resistor calibration", false);
    fields.Hex(Add<QLineEdit>("EditCompoundID"), QVA_FIELD(can_message_config[2].compound_id), 0, 0xFF,
               "compound id", 2);
    fields.CodeCombo(Add<QComboBox>("ComboBoxOutputToDisplay"), QVA_FIELD(display_config.output_to_display))
        .ItemsFrom([](const QVA_CONFIG_DATA& c) {
          return CodeList{{0, QStringLiteral("(Output Table 1)")}, {1, QString::fromLatin1(c.output_table[1].output_name)}};
        });
    fields.Check(Add<QCheckBox>("CheckPreventSensorTimeout"), QVA_FIELD(prevent_sensor_timeout));
    fields.RadioGroup({{Add<QRadioButton>("RadioButtonIDFormatStandard"), 0},
                       {Add<QRadioButton>("RadioButtonIDFormatExtended"), 8}},
                      QVA_FIELD(can_message_config[2].IDR1));
    fields.Step([this](QVA_CONFIG_DATA& candidate) {
      ++stepRuns;
      candidate.user_cal_table.num_rows = 7;
      return stepPasses;
    });
    auto* sensor = Add<QComboBox>("ComboBoxSensorType");
    fields.CodeCombo(sensor, QVA_FIELD(sensor_type), {{0, "Select Sensor Type"}, {1, "NTK"}, {2, "Bosch LSU4"}});
    fields.Rule(
        [](const QVA_CONFIG_DATA& candidate) {
          return candidate.sensor_type == 0 ? QStringLiteral("A sensor type must be selected") : QString();
        },
        sensor);
    fields.React(sensor, [this, pages, sensor] {
      ++reactions;
      pages->setCurrentIndex(sensor->currentIndex() > 0 ? 1 : 0);
    });
    FinishSetup(QStringLiteral("Test Setup"));
  }

  // What a sub-editor (the output tables) does to the dialog's record.
  void RenameTable2(const char* name) { std::strncpy(Edited().output_table[1].output_name, name, 15); }

  bool stepPasses = true;
  int stepRuns = 0;
  int reactions = 0;

 private:
  template <class W>
  W* Add(const char* name) {
    auto* widget = new W(this);
    widget->setObjectName(QString::fromLatin1(name));
    layout()->addWidget(widget);
    return widget;
  }
};

QVA_CONFIG_DATA Stored() {
  QVA_CONFIG_DATA record = MakeBlankConfig();
  record.display_config.update_rate = 0;
  record.display_config.filter_time = 25;
  record.ntk_heater_voltage = 0;
  record.user_cal_resistor = 1500;
  record.can_message_config[2].compound_id = 0x0A;
  record.display_config.output_to_display = 1;
  std::strcpy(record.output_table[1].output_name, "Lambda");
  record.prevent_sensor_timeout = 1;
  record.can_message_config[2].IDR1 = 8;
  record.sensor_type = 2;
  record.reserved2[6] = 0xA5;
  return record;
}

bool SameBytes(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class SetupDialogTest : public ::testing::Test {
 protected:
  void Open(TSetupDialog::WriteBack writeBack = TSetupDialog::WriteBack::WorkCopy) {
    dialog = std::make_unique<TTestSetupDialog>(prompter, record, writeBack);
    dialog->show();
    dialog->activateWindow();
  }
  template <class W = QLineEdit>
  W* Get(const char* name) {
    return Find<W>(dialog.get(), name);
  }
  void Press(const char* button) { Get<QPushButton>(button)->click(); }

  HelpRecordingPrompter prompter;
  QVA_CONFIG_DATA record = Stored();
  std::unique_ptr<TTestSetupDialog> dialog;
};

TEST_F(SetupDialogTest, LoadShowsEveryKindOfField) {
  Open();
  EXPECT_EQ(Get("EditUpdateRate")->text(), QStringLiteral("1"));  // 0 is "not set"
  EXPECT_EQ(Get<QSpinBox>("UpDownUpdateRate")->value(), 1);
  EXPECT_EQ(Get("EditFilterTime")->text(), QStringLiteral("2.5 s"));
  EXPECT_EQ(Get("EditHeaterVoltage")->text(), QStringLiteral("10.5 V"));
  EXPECT_EQ(Get("EditUserCalResistor")->text(), QStringLiteral("1500"));
  EXPECT_EQ(Get("EditCompoundID")->text(), QStringLiteral("0A"));
  EXPECT_EQ(ItemTexts(Get<QComboBox>("ComboBoxOutputToDisplay")), (QStringList{"(Output Table 1)", "Lambda"}));
  EXPECT_EQ(Get<QComboBox>("ComboBoxOutputToDisplay")->currentIndex(), 1);
  EXPECT_TRUE(Get<QCheckBox>("CheckPreventSensorTimeout")->isChecked());
  EXPECT_TRUE(Get<QRadioButton>("RadioButtonIDFormatExtended")->isChecked());
  EXPECT_EQ(Get<QComboBox>("ComboBoxSensorType")->currentText(), QStringLiteral("Bosch LSU4"));
  // Reactions run once the fields are loaded.
  EXPECT_EQ(Get<QStackedWidget>("Notebook1")->currentIndex(), 1);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Test Setup"));
  EXPECT_TRUE(Get<QPushButton>("ButtonOk")->isDefault());
  EXPECT_EQ(dialog->layout()->sizeConstraint(), QLayout::SetFixedSize);
}

TEST_F(SetupDialogTest, AnUpDownStepsItsEditAndFollowsWhatIsTyped) {
  record.display_config.update_rate = 40;  // beyond the up-down: it shows its limit
  Open();
  auto* edit = Get("EditUpdateRate");
  auto* upDown = Get<QSpinBox>("UpDownUpdateRate");
  EXPECT_EQ(edit->text(), QStringLiteral("10"));
  upDown->stepDown();
  EXPECT_EQ(edit->text(), QStringLiteral("9"));
  QTest::keyClicks(edit, "3", Qt::NoModifier);  // typed after the 9: 93 is beyond the range
  EXPECT_EQ(edit->text(), QStringLiteral("93"));
  EXPECT_EQ(upDown->value(), 9);
  edit->clear();
  QTest::keyClicks(edit, "4");
  EXPECT_EQ(upDown->value(), 4);
  upDown->stepUp();
  EXPECT_EQ(edit->text(), QStringLiteral("5"));
}

TEST_F(SetupDialogTest, UnknownCodesShowTheFirstChoice) {
  record.sensor_type = 9;
  record.can_message_config[2].IDR1 = 0x40;
  Open();
  EXPECT_EQ(Get<QComboBox>("ComboBoxSensorType")->currentText(), QStringLiteral("Select Sensor Type"));
  EXPECT_TRUE(Get<QRadioButton>("RadioButtonIDFormatStandard")->isChecked());
}

TEST_F(SetupDialogTest, OkStoresEveryKindAndRewritesTheTexts) {
  const QVA_CONFIG_DATA stored = record;
  Open();
  Get("EditUpdateRate")->setText("7");
  Get("EditFilterTime")->setText("250 ms");
  Get("EditHeaterVoltage")->clear();
  Get("EditUserCalResistor")->setText("3000");
  Get("EditCompoundID")->setText(" 0x1f ");
  Choose(Get<QComboBox>("ComboBoxOutputToDisplay"), "(Output Table 1)");
  Get<QCheckBox>("CheckPreventSensorTimeout")->setChecked(false);
  Get<QRadioButton>("RadioButtonIDFormatStandard")->setChecked(true);
  Choose(Get<QComboBox>("ComboBoxSensorType"), "NTK");
  Press("ButtonOk");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(Get("EditFilterTime")->text(), QStringLiteral("0.2 s"));
  EXPECT_EQ(Get("EditCompoundID")->text(), QStringLiteral("1F"));
  QVA_CONFIG_DATA expected = stored;
  expected.display_config.update_rate = 7;
  expected.display_config.filter_time = 2;
  expected.ntk_heater_voltage = 0;  // an empty heater field means "not set"
  expected.user_cal_resistor = 3000;
  expected.can_message_config[2].compound_id = 0x1F;
  expected.display_config.output_to_display = 0;
  expected.prevent_sensor_timeout = 0;
  expected.can_message_config[2].IDR1 = 0;
  expected.user_cal_table.num_rows = 7;
  expected.sensor_type = 1;
  EXPECT_TRUE(SameBytes(record, expected));
}

TEST_F(SetupDialogTest, TheFirstFailureStopsFocusesAndWritesNothing) {
  const QVA_CONFIG_DATA stored = record;
  // Direct: the fields would reach the caller's record at once.
  Open(TSetupDialog::WriteBack::Direct);
  Get("EditUpdateRate")->setText("3");  // passes, but is not written
  Get("EditFilterTime")->setText("30");
  Get("EditCompoundID")->setText("G1");
  Get<QPushButton>("ButtonOk")->setFocus();
  // Only the first bad field speaks; the scripted prompter refuses a second.
  prompter.ExpectMessage("'30' is not a valid entry for filter time.\nPlease enter a value between 0.0 s and 25.5 s.");
  Press("ButtonOk");
  EXPECT_EQ(prompter.Messages().back().caption, QStringLiteral("Test Setup"));
  EXPECT_EQ(dialog->focusWidget(), Get("EditFilterTime"));
  EXPECT_EQ(Get("EditFilterTime")->text(), QStringLiteral("30"));
  EXPECT_TRUE(SameBytes(record, stored));
  EXPECT_TRUE(dialog->isVisible());

  Get("EditFilterTime")->setText("3");
  prompter.ExpectMessage("'G1' is not a valid entry for compound id.\nPlease enter a hexadecimal value between 00 and FF");
  Press("ButtonOk");
  EXPECT_EQ(dialog->focusWidget(), Get("EditCompoundID"));
  EXPECT_TRUE(SameBytes(record, stored));
  EXPECT_EQ(dialog->stepRuns, 0);
}

TEST_F(SetupDialogTest, AFailingStepStopsBeforeTheRulesAndWritesNothing) {
  const QVA_CONFIG_DATA stored = record;
  // Direct: the fields would reach the caller's record at once.
  Open(TSetupDialog::WriteBack::Direct);
  Choose(Get<QComboBox>("ComboBoxSensorType"), "Select Sensor Type");
  dialog->stepPasses = false;
  Press("ButtonOk");  // no rule message: the step failed first
  EXPECT_EQ(dialog->stepRuns, 1);
  EXPECT_TRUE(SameBytes(record, stored));
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SetupDialogTest, ARuleSeesTheCandidateShowsItsMessageAndFocusesItsControl) {
  const QVA_CONFIG_DATA stored = record;
  // Direct: the fields would reach the caller's record at once.
  Open(TSetupDialog::WriteBack::Direct);
  Choose(Get<QComboBox>("ComboBoxSensorType"), "Select Sensor Type");
  EXPECT_EQ(Get<QStackedWidget>("Notebook1")->currentIndex(), 0);
  Get("EditFilterTime")->setFocus();
  prompter.ExpectMessage("A sensor type must be selected");
  Press("ButtonOk");
  EXPECT_EQ(prompter.Messages().back().caption, QStringLiteral("Test Setup"));
  EXPECT_EQ(dialog->focusWidget(), Get<QComboBox>("ComboBoxSensorType"));
  EXPECT_TRUE(SameBytes(record, stored));
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SetupDialogTest, TheWorkCopyReachesTheRecordOnlyOnOk) {
  const QVA_CONFIG_DATA stored = record;
  Open();
  dialog->RenameTable2("Boost");
  Get<QCheckBox>("CheckPreventSensorTimeout")->setChecked(false);
  Press("ButtonCancel");
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_TRUE(SameBytes(record, stored));

  Open();
  dialog->RenameTable2("Boost");
  Press("ButtonOk");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_STREQ(record.output_table[1].output_name, "Boost");
}

TEST_F(SetupDialogTest, ADirectDialogEditsTheCallersRecord) {
  Open(TSetupDialog::WriteBack::Direct);
  dialog->RenameTable2("Boost");
  EXPECT_STREQ(record.output_table[1].output_name, "Boost");
}

TEST_F(SetupDialogTest, HelpAsksForContextZero) {
  Open();
  Press("ButtonHelp");
  Press("ButtonHelp");
  EXPECT_EQ(prompter.helpContexts, (std::vector<int>{0, 0}));
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SetupDialogTest, ExecuteTellsOkFromCancel) {
  QVA_CONFIG_DATA copy = record;
  OnNextDialog([](QDialog* shown) { Find<QPushButton>(shown, "ButtonCancel")->click(); });
  EXPECT_FALSE(TTestSetupDialog::Execute(prompter, copy, TSetupDialog::WriteBack::WorkCopy, nullptr));
  OnNextDialog([](QDialog* shown) {
    Find<QCheckBox>(shown, "CheckPreventSensorTimeout")->setChecked(false);
    Find<QPushButton>(shown, "ButtonOk")->click();
  });
  EXPECT_TRUE(TTestSetupDialog::Execute(prompter, copy, TSetupDialog::WriteBack::WorkCopy, nullptr));
  EXPECT_EQ(copy.prevent_sensor_timeout, 0);
}

}  // namespace
