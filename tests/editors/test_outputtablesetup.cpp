#include <cstring>
#include <memory>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>

#include "config/qvaconfig.h"
#include "editors/outputtables.h"
#include "editors/outputtablesetup.h"
#include "support/testenvironment.h"
#include "tables/qvatablefiler.h"
#include "test_outputgrid.h"

namespace {

const QString kCaption = QStringLiteral("Output Table Setup");
const QString kBlankHalf = QStringLiteral(
    "One value of a point is blank.\nYou should enter another value in this row, or leave the entire row blank.");
const char* const kFrame = "FrameOutputTable";

QVA_CONFIG_DATA TwoTables() {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.output_table[0] = OutputTable("AFR", 1, {{500, 147}, {1000, 160}});
  config.output_table[1] = OutputTable("Lambda", 2, {{-200, 90}, {0, 100}, {700, 120}});
  config.output_table[1].reserved[2] = 0x77;  // carried as it is
  config.display_config.filter_time = 9;      // outside the tables: untouched
  return config;
}

bool SameBytes(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class OutputTableSetupTest : public ::testing::Test {
 protected:
  void Open(const QVA_CONFIG_DATA& stored, int index) {
    config = stored;
    tableIndex = index;
    dialog = std::make_unique<TFormOutputTableSetup>(prompter, config, nullptr, tableIndex);
    dialog->show();
    dialog->activateWindow();
  }
  QTabBar* Tabs() { return Find<QTabBar>(dialog.get(), "TabControl1"); }
  QLineEdit* Name() { return Find<QLineEdit>(dialog.get(), "EditTableName"); }
  QLineEdit* Decimals() { return Find<QLineEdit>(dialog.get(), "EditDecimalPlaces"); }
  void ClickTab(int index) {
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(index).center());
  }
  void Press(const char* button) { Find<QPushButton>(dialog.get(), button)->click(); }
  QString Cell(int column, int row) { return CellText(dialog.get(), kFrame, column, row); }

  HelpRecordingPrompter prompter;
  QVA_CONFIG_DATA config{};
  int tableIndex = 0;
  std::unique_ptr<TFormOutputTableSetup> dialog;
};

TEST_F(OutputTableSetupTest, ShowsItsTabsTitlesAndTheCallersTable) {
  Open(TwoTables(), 1);
  EXPECT_EQ(dialog->windowTitle(), kCaption);
  EXPECT_EQ(Tabs()->count(), 2);
  EXPECT_EQ(Tabs()->tabText(0), "Table 1");
  EXPECT_EQ(Tabs()->tabText(1), "Table 2");
  EXPECT_EQ(Tabs()->currentIndex(), 1);
  EXPECT_EQ(Name()->text(), "Lambda");
  EXPECT_EQ(Name()->maxLength(), 15);
  EXPECT_EQ(Decimals()->text(), "2");
  auto* frame = Find<TFrameTable2DEdit>(dialog.get(), kFrame);
  EXPECT_EQ(frame->ColumnTitle(0), "Ipn ( mA )");
  EXPECT_EQ(frame->ColumnTitle(1), "Output");
  EXPECT_EQ(Cell(0, 0), "-0.200");
  EXPECT_EQ(Cell(1, 0), "0.90");
  EXPECT_EQ(Cell(1, 2), "1.20");
  EXPECT_EQ(Cell(0, 3), "");
  EXPECT_EQ(Find<QLabel>(dialog.get(), "LabelDecimalPlaces")->text(), "&Table Decimal Places :");
}

TEST_F(OutputTableSetupTest, ACallerIndexOf5OpensTable1) {
  Open(TwoTables(), 5);
  EXPECT_EQ(Tabs()->currentIndex(), 0);
  EXPECT_EQ(Name()->text(), "AFR");
  EXPECT_EQ(Cell(1, 0), "14.7");
  Press("ButtonOk");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(tableIndex, 0);
}

TEST_F(OutputTableSetupTest, AHalfFilledRowKeepsTheUserOnTheTab) {
  Open(TwoTables(), 0);
  TypeCell(dialog.get(), kFrame, 0, 2, "1.5");
  prompter.ExpectMessage(kBlankHalf);
  ClickTab(1);
  EXPECT_TRUE(prompter.AllAnswered());
  EXPECT_EQ(Tabs()->currentIndex(), 0);
  EXPECT_EQ(Name()->text(), "AFR");
  // Completing the row lets the tab change, and the row is kept.
  TypeCell(dialog.get(), kFrame, 1, 2, "17");
  ClickTab(1);
  EXPECT_EQ(Tabs()->currentIndex(), 1);
  EXPECT_EQ(Name()->text(), "Lambda");
  ClickTab(0);
  EXPECT_EQ(Cell(0, 2), "1.500");
  EXPECT_EQ(Cell(1, 2), "17.0");
}

TEST_F(OutputTableSetupTest, DecimalPlacesReRenderTheOutputColumnAtOnce) {
  Open(TwoTables(), 0);
  TypeInto(Decimals(), "3");
  EXPECT_EQ(Cell(1, 0), "0.147");
  EXPECT_EQ(Cell(1, 1), "0.160");
  EXPECT_EQ(Cell(0, 0), "0.500");  // the input column stays
  // A number outside 0..3 or a letter changes nothing until OK.
  for (const char* typed : {"4", "x"}) {
    TypeInto(Decimals(), typed);
    EXPECT_EQ(Cell(1, 0), "0.147") << typed;
  }
  prompter.ExpectMessage("'x' is not a valid entry for decimal places.\nPlease enter a whole number between 0 and 3.");
  Press("ButtonOk");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(prompter.Messages().back().caption, kCaption);
  // The up-down steps the edit and the column follows.
  Find<QSpinBox>(dialog.get(), "UpDownDecimalPlaces")->setValue(0);
  EXPECT_EQ(Cell(1, 0), "147");
  Press("ButtonOk");
  EXPECT_EQ(config.output_table[0].decimal_places, 0);
  EXPECT_EQ(int{config.output_table[0].values[0].y}, 147);
}

TEST_F(OutputTableSetupTest, NamesAreStoredWithTheirTerminatorAndNoTraceOfTheOld) {
  QVA_CONFIG_DATA stored = TwoTables();
  std::memcpy(stored.output_table[1].output_name, "0123456789ABCDEF", 16);
  Open(stored, 0);
  TypeInto(Name(), "ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(Name()->text(), "ABCDEFGHIJKLMNO");
  ClickTab(1);
  EXPECT_EQ(Name()->text(), "0123456789ABCDE");  // 16 stored bytes, 15 shown
  TypeInto(Name(), "Lam");
  Press("ButtonOk");
  EXPECT_EQ(std::memcmp(config.output_table[0].output_name, "ABCDEFGHIJKLMNO\0", 16), 0);
  EXPECT_EQ(std::memcmp(config.output_table[1].output_name, "Lam\0\0\0\0\0\0\0\0\0\0\0\0\0", 16), 0);
}

TEST_F(OutputTableSetupTest, ANameRefusesCharactersThatDoNotFitOneByte) {
  Open(TwoTables(), 0);
  Name()->setFocus();
  Name()->selectAll();
  // Typed one key at a time, and pasted as a whole.
  for (QChar c : QString::fromUtf8("Caf\u00E9 \u20AC5")) {
    QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(Name(), &key);
  }
  Name()->insert(QString::fromUtf8("\u20AC"));
  EXPECT_EQ(Name()->text(), QString::fromUtf8("Caf\u00E9 5"));
  Press("ButtonOk");
  EXPECT_EQ(std::memcmp(config.output_table[0].output_name, "Caf\xE9 5\0", 7), 0);
}

TEST_F(OutputTableSetupTest, CancelAfterEditingBothTablesChangesNothing) {
  const QVA_CONFIG_DATA stored = TwoTables();
  Open(stored, 1);
  TypeInto(Name(), "Changed");
  TypeCell(dialog.get(), kFrame, 1, 0, "0.50");
  ClickTab(0);
  TypeInto(Decimals(), "3");
  TypeCell(dialog.get(), kFrame, 0, 5, "2");
  TypeCell(dialog.get(), kFrame, 1, 5, "0.2");
  Press("ButtonCancel");
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_TRUE(SameBytes(config, stored));
  EXPECT_EQ(tableIndex, 1);
}

TEST_F(OutputTableSetupTest, OkStoresBothPagesAndReturnsTheLastTab) {
  QVA_CONFIG_DATA stored = TwoTables();
  stored.output_table[0].values[5] = {1234, 5678};  // past num_rows: left as it is
  Open(stored, 0);
  TypeCell(dialog.get(), kFrame, 0, 2, "0.25");
  TypeCell(dialog.get(), kFrame, 1, 2, "12");
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  Name()->setFocus();
  QTest::keyClick(Name(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(Tabs()->currentIndex(), 1);
  TypeCell(dialog.get(), kFrame, 1, 1, "0.95");
  Press("ButtonOk");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(tableIndex, 1);
  // Table 1: sorted by input, the new point first.
  const QVA_OUTPUT_CAL_TABLE& t1 = config.output_table[0];
  ASSERT_EQ(t1.num_rows, 3);
  EXPECT_EQ(int{t1.values[0].x}, 250);
  EXPECT_EQ(int{t1.values[0].y}, 120);
  EXPECT_EQ(int{t1.values[2].x}, 1000);
  EXPECT_EQ(int{t1.values[5].x}, 1234);
  EXPECT_EQ(int{config.output_table[1].values[1].y}, 95);
  EXPECT_EQ(config.output_table[1].reserved[2], 0x77);
  EXPECT_EQ(config.display_config.filter_time, 9);
}

TEST_F(OutputTableSetupTest, LeavingTheTableChecksItsCellsUnlessCancelTakesTheFocus) {
  Open(TwoTables(), 0);
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  auto* grid = Find<TFrameTable2DEdit>(dialog.get(), kFrame)->Grid();
  TypeCell(dialog.get(), kFrame, 0, 0, "abc");
  grid->setFocus();
  Find<QPushButton>(dialog.get(), "ButtonCancel")->setFocus();  // no message
  grid->setFocus();
  prompter.ExpectMessage("'abc' is not a valid entry for Row 1.\nPlease enter a value between -32.768 mA and 32.767 mA.");
  Name()->setFocus();
  EXPECT_TRUE(prompter.AllAnswered());
  // Back in the cell, its editor open.
  EXPECT_TRUE(grid->isAncestorOf(QApplication::focusWidget()));
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, 0));
}

TEST_F(OutputTableSetupTest, ABinaryFileReplacesTheWholeTableATextFileOnlyThePoints) {
  const QString binary = TestEnvironment::PathIn("tables/boost.QO1");
  const QString text = TestEnvironment::PathIn("tables/points.csv");
  WriteAll(binary, TableFileBytes(OutputTable("Boost", 3, {{100, 1}, {200, 2500}}), false));
  WriteAll(text, QByteArray("Ipn, Output\r\n1.5 mA, 20\r\n2.000, 40\r\n"));
  Open(TwoTables(), 1);

  prompter.ExpectOpenFile(text);
  Press("ButtonLoad");
  EXPECT_EQ(prompter.FileDialogs().back().title, "Open Output Table Setup File");
  EXPECT_EQ(Name()->text(), "Lambda");
  EXPECT_EQ(Decimals()->text(), "2");
  EXPECT_EQ(Cell(0, 0), "1.500");
  EXPECT_EQ(Cell(1, 0), "0.20");
  EXPECT_EQ(Cell(0, 2), "");

  prompter.ExpectOpenFile(binary);
  Press("ButtonLoad");
  EXPECT_EQ(Name()->text(), "Boost");
  EXPECT_EQ(Decimals()->text(), "3");
  EXPECT_EQ(Cell(1, 1), "2.500");
  Press("ButtonOk");
  EXPECT_EQ(std::memcmp(config.output_table[1].output_name, "Boost\0", 6), 0);
  EXPECT_EQ(config.output_table[1].decimal_places, 3);
  EXPECT_EQ(config.output_table[1].num_rows, 2);
  EXPECT_EQ(config.output_table[0].num_rows, 2);  // the other table stays
}

TEST_F(OutputTableSetupTest, ABrokenFileShowsItsErrorAndKeepsThePage) {
  const QString path = TestEnvironment::PathIn("tables/broken.qo1");
  WriteAll(path, QByteArray("not a table file"));
  Open(TwoTables(), 0);
  prompter.ExpectOpenFile(path);
  prompter.ExpectError("File format not valid");
  Press("ButtonLoad");
  EXPECT_EQ(Name()->text(), "AFR");
  EXPECT_EQ(Cell(1, 0), "14.7");
}

TEST_F(OutputTableSetupTest, SaveAsStoresThePageFirstAndSavesNothingWhenItFails) {
  const QString path = TestEnvironment::PathIn("tables/saved.QO1");
  Open(TwoTables(), 0);
  TypeInto(Name(), "Saved");
  TypeCell(dialog.get(), kFrame, 0, 2, "2");
  prompter.ExpectMessage(kBlankHalf);
  Press("ButtonSaveAs");
  EXPECT_TRUE(prompter.FileDialogs().empty());
  TypeCell(dialog.get(), kFrame, 1, 2, "20");
  prompter.ExpectSaveFile(path);
  Press("ButtonSaveAs");
  EXPECT_EQ(prompter.FileDialogs().back().title, "Save Output Table Setup File");
  QVA_OUTPUT_CAL_TABLE saved{};
  ParseTableFile(ReadAll(path), saved, false);
  EXPECT_EQ(OutputTableName(saved), "Saved");
  EXPECT_EQ(saved.num_rows, 3);
  EXPECT_EQ(int{saved.values[2].y}, 200);
  EXPECT_EQ(saved.decimal_places, 1);
}

}  // namespace
