// The table editing keys through each dialog that hosts a table frame:
// a 10-point block pasted from the clipboard, interpolated, the
// interpolation undone, OK pressed; the record holds the pasted points.

#include <functional>
#include <memory>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTest>

#include "config/qvaconfig.h"
#include "editors/analogoutputsetup.h"
#include "editors/outputtablesetup.h"
#include "editors/sensorsetup.h"
#include "support/testenvironment.h"
#include "support/widgettestsupport.h"
#include "tables/qvatablefiler.h"
#include "tables/table2deditframe.h"
#include "test_outputgrid.h"

namespace {

struct HostCase {
  const char* name;
  const char* frame;
  QString clipboard;
  std::vector<TablePoint> expected;
};

// Paste at the first cell, select the ten rows with Shift+Down, Ctrl+I,
// Ctrl+Z, as a user does at the keyboard, then OK.
void PasteInterpolateUndoOk(QWidget* dialog, const HostCase& c) {
  auto* grid = Find<TFrameTable2DEdit>(dialog, c.frame)->Grid();
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
  QApplication::clipboard()->setText(c.clipboard);
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(0, 0));
  QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
  grid->setCurrentIndex(grid->model()->index(0, 0));
  for (int i = 0; i < 9; ++i) QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(grid, Qt::Key_I, Qt::ControlModifier);
  // The interpolation did change the middle rows, or the undo proves nothing.
  const QString interpolated = grid->model()->index(1, 1).data().toString();
  QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_NE(grid->model()->index(1, 1).data().toString(), interpolated) << c.name;
  EXPECT_TRUE(grid->hasFocus()) << c.name;
  Find<QPushButton>(dialog, "ButtonOk")->click();
  EXPECT_FALSE(dialog->isVisible()) << c.name;
}

template <typename Points>
void ExpectPoints(const Points& values, int count, const HostCase& c) {
  ASSERT_EQ(count, static_cast<int>(c.expected.size())) << c.name;
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(+values[i].x, +c.expected[static_cast<std::size_t>(i)].x) << c.name << " point " << i;
    EXPECT_EQ(+values[i].y, +c.expected[static_cast<std::size_t>(i)].y) << c.name << " point " << i;
  }
}

TEST(TableEditingInDialogs, OutputTableSetupKeepsThePastedPointsAfterUndo) {
  // A spreadsheet's copy with a heading line and CRLF line ends.
  const HostCase c{"Output Table Setup", "FrameOutputTable",
                   "Ipn (mA)\tAFR\r\n0.000\t10.0\r\n0.100\t10.5\r\n0.200\t10.7\r\n0.300\t11.2\r\n0.400\t12.0\r\n"
                   "0.500\t12.1\r\n0.600\t13.0\r\n0.700\t13.3\r\n0.800\t13.9\r\n0.900\t15.0\r\n",
                   {{0, 100}, {100, 105}, {200, 107}, {300, 112}, {400, 120},
                    {500, 121}, {600, 130}, {700, 133}, {800, 139}, {900, 150}}};
  HelpRecordingPrompter prompter;
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.output_table[0] = OutputTable("AFR", 1, {{500, 147}, {1000, 160}});
  int tableIndex = 0;
  TFormOutputTableSetup dialog(prompter, config, nullptr, tableIndex);
  PasteInterpolateUndoOk(&dialog, c);
  ExpectPoints(config.output_table[0].values, config.output_table[0].num_rows, c);
}

TEST(TableEditingInDialogs, SensorSetupKeepsThePastedPointsAfterUndo) {
  // A text editor's comma-separated lines with stray empty cells.
  const HostCase c{"Sensor Setup", "FrameUserCalTable",
                   "0.5,0.48,\n1.0,1.01,,\n1.5,1.47\n2.0,2.03\n2.5,2.5\n3.0,2.99\n3.5,3.52\n4.0,3.98\n4.5,4.51\n5.0,5.0\n",
                   {{500, 480}, {1000, 1010}, {1500, 1470}, {2000, 2030}, {2500, 2500},
                    {3000, 2990}, {3500, 3520}, {4000, 3980}, {4500, 4510}, {5000, 5000}}};
  HelpRecordingPrompter prompter;
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.sensor_type = 2;
  config.sensor_cal_method = 3;  // the user calibration table
  TFormSensorSetup dialog(prompter, config, nullptr, QStringLiteral("COM3"));
  PasteInterpolateUndoOk(&dialog, c);
  ExpectPoints(config.user_cal_table.values, config.user_cal_table.num_rows, c);
}

TEST(TableEditingInDialogs, AnalogOutputSetupKeepsThePastedPointsAfterUndo) {
  // Labelled rows: a heading column of text, semicolons between cells.
  const HostCase c{"Analog Output Setup", "FrameCalTable",
                   "P1;1.000;0.100\nP2;2.000;0.350\nP3;3.000;0.500\nP4;4.000;1.100\nP5;5.000;1.250\n"
                   "P6;6.000;2.000\nP7;7.000;2.200\nP8;8.000;3.300\nP9;9.000;3.500\nP10;10.000;4.900\n",
                   {{1000, 100}, {2000, 350}, {3000, 500}, {4000, 1100}, {5000, 1250},
                    {6000, 2000}, {7000, 2200}, {8000, 3300}, {9000, 3500}, {10000, 4900}}};
  HelpRecordingPrompter prompter;
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.analog_out_table.out_function = 1;  // Ip: the input column in mA
  config.analog_out_table.values[0] = {1500, 1000};
  config.analog_out_table.num_rows = 1;
  TFormAnalogOutputSetup dialog(prompter, config);
  PasteInterpolateUndoOk(&dialog, c);
  ExpectPoints(config.analog_out_table.values, config.analog_out_table.num_rows, c);
}

TEST(TableEditingInDialogs, EachTableFileLoadedIsOneStepUndo) {
  const QString binary = TestEnvironment::PathIn("tables/boost.QO1");
  const QString text = TestEnvironment::PathIn("tables/points.csv");
  WriteAll(binary, TableFileBytes(OutputTable("Boost", 2, {{100, 1}, {200, 2500}}), false));
  WriteAll(text, QByteArray("1.5, 20\r\n2.000, 40\r\n"));
  HelpRecordingPrompter prompter;
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.output_table[0] = OutputTable("AFR", 1, {{500, 147}, {1000, 160}});
  int tableIndex = 0;
  TFormOutputTableSetup dialog(prompter, config, nullptr, tableIndex);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  auto* frame = Find<TFrameTable2DEdit>(&dialog, "FrameOutputTable");
  prompter.ExpectOpenFile(text).ExpectOpenFile(binary);
  Find<QPushButton>(&dialog, "ButtonLoad")->click();
  Find<QPushButton>(&dialog, "ButtonLoad")->click();
  EXPECT_EQ(CellText(&dialog, "FrameOutputTable", 1, 1), "25.00");
  frame->Grid()->setFocus();
  // The binary file's points go; its decimal places stay, so the points
  // of the text file come back with two decimals.
  QTest::keyClick(frame->Grid(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(CellText(&dialog, "FrameOutputTable", 0, 0), "1.500");
  EXPECT_EQ(CellText(&dialog, "FrameOutputTable", 1, 0), "0.20");
  QTest::keyClick(frame->Grid(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(CellText(&dialog, "FrameOutputTable", 0, 0), "0.500");
  EXPECT_EQ(CellText(&dialog, "FrameOutputTable", 1, 1), "1.60");
  Find<QPushButton>(&dialog, "ButtonOk")->click();
  EXPECT_TRUE(prompter.AllAnswered());
  ExpectPoints(config.output_table[0].values, config.output_table[0].num_rows,
               {"undone loads", "", "", {{500, 147}, {1000, 160}}});
  EXPECT_EQ(config.output_table[0].decimal_places, 2);
}

}  // namespace
