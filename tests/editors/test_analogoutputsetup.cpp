#include <cstring>
#include <memory>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>

#include "config/qvaconfig.h"
#include "editors/analogoutputsetup.h"
#include "support/testenvironment.h"
#include "tables/qvatablefiler.h"
#include "test_outputgrid.h"

namespace {

const QString kCaption = QStringLiteral("Analog Output Setup");
const char* const kFrame = "FrameCalTable";

QVA_CONFIG_DATA Stored(int function, int table) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.output_table[0] = OutputTable("AFR", 2, {{500, 147}});
  config.output_table[1] = OutputTable("Boost", 0, {{0, 10}});
  QVA_ANALOG_OUT_TABLE& analog = config.analog_out_table;
  analog.out_function = static_cast<uint8_t>(function);
  analog.out_table_index = static_cast<uint8_t>(table);
  analog.values[0] = {1500, 1000};
  analog.values[1] = {2500, 4000};
  analog.num_rows = 2;
  analog.default_output = 2500;
  analog.reserved[1] = 0x42;  // carried as it is
  return config;
}

QVA_ANALOG_OUT_TABLE AnalogFile(int function, int16_t defaultOutput) {
  QVA_ANALOG_OUT_TABLE analog{};
  analog.out_function = static_cast<uint8_t>(function);
  analog.default_output = defaultOutput;
  analog.values[0] = {10, 100};
  analog.values[1] = {20, 200};
  analog.values[2] = {30, 300};
  analog.num_rows = 3;
  return analog;
}

class AnalogOutputSetupTest : public ::testing::Test {
 protected:
  void Open(const QVA_CONFIG_DATA& stored) {
    config = stored;
    dialog = std::make_unique<TFormAnalogOutputSetup>(prompter, config);
    dialog->show();
    dialog->activateWindow();
  }
  QComboBox* Function() { return Find<QComboBox>(dialog.get(), "ComboBoxOutputFunction"); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(dialog.get(), name); }
  QLineEdit* DefaultOutput() { return Find<QLineEdit>(dialog.get(), "EditDefaultOutput"); }
  QString Cell(int column, int row) { return CellText(dialog.get(), kFrame, column, row); }
  QString InputTitle() { return Find<TFrameTable2DEdit>(dialog.get(), kFrame)->ColumnTitle(0); }

  HelpRecordingPrompter prompter;
  QVA_CONFIG_DATA config{};
  std::unique_ptr<TFormAnalogOutputSetup> dialog;
};

TEST_F(AnalogOutputSetupTest, OpensWithTheStoredFunctionTableAndDefault) {
  Open(Stored(1, 0));
  EXPECT_EQ(dialog->windowTitle(), kCaption);
  EXPECT_EQ(ItemTexts(Function()), (QStringList{"Off", "Ip", "Ipn", "AFR", "Boost"}));
  EXPECT_EQ(Function()->currentText(), "Ip");
  EXPECT_FALSE(Button("ButtonOutputTables")->isEnabled());
  EXPECT_EQ(InputTitle(), "Input ( mA )");
  EXPECT_EQ(Find<TFrameTable2DEdit>(dialog.get(), kFrame)->ColumnTitle(1), "Aout ( V )");
  EXPECT_EQ(Cell(0, 0), "1.500");
  EXPECT_EQ(Cell(1, 1), "4.000");
  EXPECT_EQ(DefaultOutput()->text(), "2.500 V");
  EXPECT_EQ(Find<QLabel>(dialog.get(), "LabelDefaultOutputUnits")->text(), "( V )");
}

TEST_F(AnalogOutputSetupTest, Table2StoredOpensOnItsNameWithTheButtonEnabled) {
  Open(Stored(3, 1));
  EXPECT_EQ(Function()->currentText(), "Boost");
  EXPECT_TRUE(Button("ButtonOutputTables")->isEnabled());
  EXPECT_EQ(InputTitle(), "Input ");
  EXPECT_EQ(Cell(0, 0), "1500");
  Choose(Function(), "Off");
  EXPECT_FALSE(Button("ButtonOutputTables")->isEnabled());
}

TEST_F(AnalogOutputSetupTest, SwitchingTheFunctionKeepsTheRawInputs) {
  Open(Stored(2, 0));
  EXPECT_EQ(Cell(0, 0), "1.500");
  Choose(Function(), "AFR");  // 2 decimal places
  EXPECT_EQ(Cell(0, 0), "15.00");
  EXPECT_EQ(Cell(0, 1), "25.00");
  EXPECT_EQ(InputTitle(), "Input ");
  Button("ButtonOk")->click();
  EXPECT_EQ(config.analog_out_table.out_function, 3);
  EXPECT_EQ(config.analog_out_table.out_table_index, 0);
  EXPECT_EQ(int{config.analog_out_table.values[0].x}, 1500);
  EXPECT_EQ(int{config.analog_out_table.values[1].x}, 2500);
}

TEST_F(AnalogOutputSetupTest, DefaultOutputTakesVoltsOrMillivoltsUpTo5V) {
  const char* const accepted[] = {"5 V", "5000 mV", "5.000", "5"};
  for (const char* typed : accepted) {
    Open(Stored(0, 0));
    DefaultOutput()->setText(typed);
    Button("ButtonOk")->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << typed;
    EXPECT_EQ(DefaultOutput()->text(), "5.000 V") << typed;
    EXPECT_EQ(int{config.analog_out_table.default_output}, 5000) << typed;
  }
  const QVA_CONFIG_DATA stored = Stored(0, 0);
  Open(stored);
  DefaultOutput()->setText("5.001 V");
  prompter.ExpectMessage(
      "'5.001 V' is not a valid entry for default output.\nPlease enter a value between 0.000 V and 5.000 V.");
  Button("ButtonOk")->click();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(prompter.Messages().back().caption, kCaption);
  EXPECT_EQ(std::memcmp(&config, &stored, sizeof config), 0);
}

TEST_F(AnalogOutputSetupTest, TheDefaultIsCheckedBeforeTheTable) {
  const QVA_CONFIG_DATA stored = Stored(0, 0);
  Open(stored);
  DefaultOutput()->setText("");
  TypeCell(dialog.get(), kFrame, 0, 4, "7");
  prompter.ExpectMessage("You should enter a value for default output.\nPlease enter a value between 0.000 V and 5.000 V.");
  Button("ButtonOk")->click();
  DefaultOutput()->setText("1");
  prompter.ExpectMessage(
      "One value of a point is blank.\nYou should enter another value in this row, or leave the entire row blank.");
  Button("ButtonOk")->click();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(std::memcmp(&config, &stored, sizeof config), 0);
}

TEST_F(AnalogOutputSetupTest, PickingATableInTheEditorSelectsIt) {
  Open(Stored(3, 0));
  EXPECT_EQ(Cell(0, 0), "15.00");
  bool seen = false;
  OnNextDialog([&](QDialog* tables) {
    seen = true;
    auto* tabs = Find<QTabBar>(tables, "TabControl1");
    EXPECT_EQ(tabs->currentIndex(), 0);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    TypeInto(Find<QLineEdit>(tables, "EditTableName"), "Turbo");
    TypeInto(Find<QLineEdit>(tables, "EditDecimalPlaces"), "1");
    Find<QPushButton>(tables, "ButtonOk")->click();
  });
  Button("ButtonOutputTables")->click();
  EXPECT_TRUE(seen);
  EXPECT_EQ(Function()->currentText(), "Turbo");
  EXPECT_EQ(Cell(0, 0), "150.0");  // the input follows table 2's decimal places
  Button("ButtonOk")->click();
  EXPECT_EQ(config.analog_out_table.out_table_index, 1);
  EXPECT_EQ(config.output_table[1].decimal_places, 1);
}

TEST_F(AnalogOutputSetupTest, ABinaryFileKeepsTheChosenTableAndAnIpnFileShowsIpn) {
  const QString tableFile = TestEnvironment::PathIn("tables/table.QA1");
  const QString ipnFile = TestEnvironment::PathIn("tables/ipn.qa1");
  WriteAll(tableFile, TableFileBytes(AnalogFile(3, 1000), false));
  WriteAll(ipnFile, TableFileBytes(AnalogFile(2, 4500), false));
  Open(Stored(3, 1));

  prompter.ExpectOpenFile(ipnFile);
  Button("ButtonLoad")->click();
  EXPECT_EQ(prompter.FileDialogs().back().title, "Open Analog Output Setup File");
  EXPECT_EQ(Function()->currentText(), "Ipn");
  EXPECT_EQ(DefaultOutput()->text(), "4.500 V");
  EXPECT_EQ(Cell(0, 2), "0.030");

  prompter.ExpectOpenFile(tableFile);
  Button("ButtonLoad")->click();
  EXPECT_EQ(Function()->currentText(), "Boost");
  EXPECT_EQ(Cell(0, 2), "30");
  Button("ButtonOk")->click();
  const QVA_ANALOG_OUT_TABLE& analog = config.analog_out_table;
  EXPECT_EQ(analog.out_function, 3);
  EXPECT_EQ(analog.out_table_index, 1);
  EXPECT_EQ(int{analog.default_output}, 1000);
  EXPECT_EQ(analog.num_rows, 3);
  EXPECT_EQ(int{analog.values[2].y}, 300);
  EXPECT_EQ(analog.reserved[1], 0x42);
}

TEST_F(AnalogOutputSetupTest, ATextFileReplacesOnlyThePoints) {
  const QString path = TestEnvironment::PathIn("tables/cal.csv");
  WriteAll(path, QByteArray("1200, 0.500\r\n3400, 4.5\r\n"));
  Open(Stored(1, 0));
  prompter.ExpectOpenFile(path);
  Button("ButtonLoad")->click();
  EXPECT_EQ(Cell(0, 0), "1.200");  // raw inputs shown in the function's units
  EXPECT_EQ(Cell(1, 1), "4.500");
  EXPECT_EQ(DefaultOutput()->text(), "2.500 V");
  EXPECT_EQ(Function()->currentText(), "Ip");
}

TEST_F(AnalogOutputSetupTest, SaveAsWritesTheCheckedTable) {
  const QString path = TestEnvironment::PathIn("tables/saved.QA1");
  Open(Stored(2, 0));
  DefaultOutput()->setText("1200 mV");
  prompter.ExpectSaveFile(path);
  Button("ButtonSaveAs")->click();
  EXPECT_EQ(prompter.FileDialogs().back().title, "Save Analog Output Setup File");
  QVA_ANALOG_OUT_TABLE saved{};
  ParseTableFile(ReadAll(path), saved, false);
  EXPECT_EQ(saved.out_function, 2);
  EXPECT_EQ(int{saved.default_output}, 1200);
  EXPECT_EQ(saved.num_rows, 2);
  EXPECT_EQ(DefaultOutput()->text(), "1.200 V");
}

TEST_F(AnalogOutputSetupTest, CancelAfterEditingEverythingChangesNothing) {
  const QVA_CONFIG_DATA stored = Stored(3, 1);
  Open(stored);
  OnNextDialog([](QDialog* tables) {
    TypeInto(Find<QLineEdit>(tables, "EditTableName"), "Renamed");
    Find<QPushButton>(tables, "ButtonOk")->click();
  });
  Button("ButtonOutputTables")->click();
  Choose(Function(), "Ip");
  DefaultOutput()->setText("1");
  TypeCell(dialog.get(), kFrame, 1, 0, "0.1");
  Button("ButtonCancel")->click();
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(std::memcmp(&config, &stored, sizeof config), 0);
}

}  // namespace
