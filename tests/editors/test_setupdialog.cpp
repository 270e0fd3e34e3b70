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
#include "tables/table2deditframe.h"
#include "test_outputgrid.h"
#include "ui/setupdialog.h"

namespace {

// A control named as in the setup dialogs' forms, laid out in dialog.
template <class W>
W* AddControl(QWidget* dialog, const char* name) {
  auto* widget = new W(dialog);
  widget->setObjectName(QString::fromLatin1(name));
  dialog->layout()->addWidget(widget);
  return widget;
}

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
    return AddControl<W>(this, name);
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

TEST_F(SetupDialogTest, UpAndDownInTheEditStepByOneWithinTheRange) {
  struct Case {
    uint8_t stored;
    Qt::Key key;
    const char* shown;
  };
  const Case cases[] = {
      {4, Qt::Key_Up, "5"}, {4, Qt::Key_Down, "3"}, {10, Qt::Key_Up, "10"}, {1, Qt::Key_Down, "1"},
  };
  for (const Case& c : cases) {
    record.display_config.update_rate = c.stored;
    Open();
    auto* edit = Get("EditUpdateRate");
    edit->setFocus();
    QTest::keyClick(edit, c.key);
    EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown)) << int(c.stored) << " " << c.key;
    EXPECT_EQ(Get<QSpinBox>("UpDownUpdateRate")->value(), edit->text().toInt());
  }
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

// ---- Tables, texts and lists refilled after a nested dialog --------------

// Table 2 of the output tables declared as the table dialogs declare
// theirs: its name, its points (the output column in its decimal places),
// and a list of the table names that a nested dialog may rename.
class TTableSetupDialog : public TSetupDialogOf<TTableSetupDialog> {
 public:
  TTableSetupDialog(Prompter& prompter, QVA_CONFIG_DATA& record)
      : TSetupDialogOf(prompter, record, WriteBack::WorkCopy, nullptr) {
    new QVBoxLayout(this);
    auto* readTable = AddControl<QCheckBox>(this, "CheckReadTable");
    readTable->setChecked(true);
    auto* frame = AddControl<TFrameTable2DEdit>(this, "FrameTable");
    auto* list = AddControl<QComboBox>(this, "ComboBoxOutputToDisplay");
    auto* rename = AddControl<QPushButton>(this, "ButtonOutputTables");
    for (const char* name : {"ButtonOk", "ButtonCancel", "ButtonHelp"}) AddControl<QPushButton>(this, name);

    FieldBindings& fields = Bindings();
    fields.Text(AddControl<QLineEdit>(this, "EditTableName"),
                TextAccess{[](const QVA_CONFIG_DATA& c) { return QString::fromLatin1(c.output_table[1].output_name); },
                           [](QVA_CONFIG_DATA& c, const QString& name) {
                             std::strncpy(c.output_table[1].output_name, name.toLatin1().constData(), 15);
                           }});
    fields.Table(frame, QVA_TABLE(output_table[1]), IpType, OutputVoltsType, {QStringLiteral("Input"), QString()})
        .ColumnTypeFrom(1, [](const QVA_CONFIG_DATA& c) { return DecimalPlacesType(c.output_table[1].decimal_places); })
        .When([readTable] { return readTable->isChecked(); });
    fields.CodeCombo(list, QVA_FIELD(display_config.output_to_display))
        .ItemsFrom([](const QVA_CONFIG_DATA& c) {
          return CodeList{{0, QString::fromLatin1(c.output_table[0].output_name)},
                          {1, QString::fromLatin1(c.output_table[1].output_name)}};
        })
        .RefillAfter(rename, [this](int& code) {
          codesAsked.push_back(code);
          if (!nestedAccepts) return false;
          std::strcpy(Edited().output_table[0].output_name, "Renamed");
          code = 0;
          return true;
        });
    fields.React(list, [this] { ++reactions; });
    FinishSetup(QStringLiteral("Table Setup"));
  }

  bool nestedAccepts = true;
  std::vector<int> codesAsked;
  int reactions = 0;
};

class TableBindingTest : public ::testing::Test {
 protected:
  TableBindingTest() {
    record = MakeBlankConfig();
    record.output_table[1] = OutputTable("Lambda", 2, {{2000, 150}, {1000, 100}});
    std::strcpy(record.output_table[0].output_name, "AFR");
    record.output_table[1].values[5] = {1234, 5678};  // past num_rows
    record.display_config.output_to_display = 1;
  }
  void Open() {
    dialog = std::make_unique<TTableSetupDialog>(prompter, record);
    dialog->show();
  }
  void Press(const char* button) { Find<QPushButton>(dialog.get(), button)->click(); }

  ScriptedPrompter prompter;
  QVA_CONFIG_DATA record{};
  std::unique_ptr<TTableSetupDialog> dialog;
};

TEST_F(TableBindingTest, LoadShowsThePointsInTheRecordsTypesUnderTheHostsTitles) {
  record.output_table[1].num_rows = 200;  // a damaged count shows the points there are
  Open();
  auto* frame = Find<TFrameTable2DEdit>(dialog.get(), "FrameTable");
  EXPECT_EQ(frame->ColumnTitle(0), QStringLiteral("Input"));
  EXPECT_EQ(frame->ColumnTitle(1), QStringLiteral("V"));  // no title given: the unit
  EXPECT_EQ(CellText(dialog.get(), "FrameTable", 0, 0), QStringLiteral("2.000"));
  EXPECT_EQ(CellText(dialog.get(), "FrameTable", 1, 0), QStringLiteral("1.50"));
  EXPECT_EQ(CellText(dialog.get(), "FrameTable", 0, 5), QStringLiteral("1.234"));
  EXPECT_EQ(frame->Model().RowCount(), 32);
  EXPECT_EQ(Find<QLineEdit>(dialog.get(), "EditTableName")->text(), QStringLiteral("Lambda"));
}

TEST_F(TableBindingTest, OkStoresThePointsInInputOrderOrRefusesAndWritesNothing) {
  const QString duplicate = QStringLiteral(
      "The table may not contain duplicate source values.\n"
      "Please check the table entries and change or remove one of the points.");
  struct Case {
    const char* name;
    const char* input;  // typed into row 2, with output 0.75
    bool read;          // the table takes part in Store
    QString message;    // the refusal, empty when OK passes
    int rows;           // stored afterwards; -1: nothing stored
    int firstInput;     // the first point stored
  };
  const Case cases[] = {
      {"a new first point", "0.5", true, QString(), 3, 500},
      {"a duplicate input", "1", true, duplicate, -1, 0},
      {"an unread table", "1", false, QString(), 2, 2000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QVA_CONFIG_DATA stored = record;
    Open();
    Find<QCheckBox>(dialog.get(), "CheckReadTable")->setChecked(c.read);
    TypeCell(dialog.get(), "FrameTable", 0, 2, QString::fromLatin1(c.input));
    TypeCell(dialog.get(), "FrameTable", 1, 2, QStringLiteral("0.75"));
    TypeInto(Find<QLineEdit>(dialog.get(), "EditTableName"), QStringLiteral("Boost"));
    if (!c.message.isEmpty()) prompter.ExpectMessage(c.message);
    Press("ButtonOk");
    EXPECT_TRUE(prompter.AllAnswered());
    if (c.rows < 0) {
      EXPECT_TRUE(dialog->isVisible());
      EXPECT_TRUE(SameBytes(record, stored));
      continue;
    }
    const QVA_OUTPUT_CAL_TABLE& table = record.output_table[1];
    EXPECT_STREQ(table.output_name, "Boost");
    EXPECT_EQ(table.num_rows, c.rows);
    EXPECT_EQ(int{table.values[0].x}, c.firstInput);
    EXPECT_EQ(int{table.values[5].x}, 1234);  // past the count: as it was
    record = stored;
  }
}

TEST_F(TableBindingTest, AListIsRefilledFromTheWorkCopyAfterTheNestedDialog) {
  Open();
  auto* list = Find<QComboBox>(dialog.get(), "ComboBoxOutputToDisplay");
  const int reactionsAtOpen = dialog->reactions;
  dialog->nestedAccepts = false;
  Press("ButtonOutputTables");
  EXPECT_EQ(ItemTexts(list), (QStringList{"AFR", "Lambda"}));
  EXPECT_EQ(dialog->reactions, reactionsAtOpen);
  dialog->nestedAccepts = true;
  Press("ButtonOutputTables");
  EXPECT_EQ(dialog->codesAsked, (std::vector<int>{1, 1}));
  EXPECT_EQ(ItemTexts(list), (QStringList{"Renamed", "Lambda"}));
  EXPECT_EQ(list->currentText(), QStringLiteral("Renamed"));
  EXPECT_EQ(dialog->reactions, reactionsAtOpen + 1);  // once, on the whole new list
  EXPECT_STREQ(record.output_table[0].output_name, "AFR");  // nothing reaches the caller before OK
  Press("ButtonOk");
  EXPECT_STREQ(record.output_table[0].output_name, "Renamed");
  EXPECT_EQ(record.display_config.output_to_display, 0);
}

}  // namespace
