#include <algorithm>
#include <array>

#include <QStringList>
#include <vector>

#include <gtest/gtest.h>

#include "support/scriptedprompter.h"
#include "tables/table2dmodel.h"

namespace {

const QString kOwner = QStringLiteral("Output Tables");
const QString kFrame = QStringLiteral("");

// The messages the table's checks show, as the user reads them.
// clang-format off
const QString kBlankHalfText = QStringLiteral(
    "One value of a point is blank.\nYou should enter another value in this row, or leave the entire row blank.");
const QString kDuplicateInputText = QStringLiteral(
    "The table may not contain duplicate source values.\nPlease check the table entries and change or remove one of the points.");
const QString kMonotonicText = QStringLiteral(
    "The table must be either increasing or decreasing, it cannot be both.\nPlease check the table entries.");
// clang-format on

// An output table: input pump current in mA, output a plain number.
Table2DModel MakeOutputTable() {
  Table2DModel table;
  table.Setup(kMaxTablePoints, IpType, PlainNumberType);
  return table;
}

void FillRow(Table2DModel& table, int row, const QString& input, const QString& output) {
  table.SetCell(0, row, input);
  table.SetCell(1, row, output);
}

QStringList Column(const Table2DModel& table, int column, int rows) {
  QStringList texts;
  for (int row = 0; row < rows; ++row) texts << table.Cell(column, row);
  return texts;
}

TEST(Table2DModel, AllBlankTableReadsAsZeroPoints) {
  Table2DModel table = MakeOutputTable();
  ScriptedPrompter prompter;
  std::array<TablePoint, kMaxTablePoints> points{};
  int count = -1;
  EXPECT_TRUE(table.ReadPoints(prompter, kOwner, kFrame, points.data(), kMaxTablePoints, count));
  EXPECT_EQ(count, 0);
}

TEST(Table2DModel, BlanksOnlyCellCountsAsBlankAndIsNotRewritten) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, "   ", "  ");
  FillRow(table, 1, "1", "10");
  ScriptedPrompter prompter;
  std::array<TablePoint, kMaxTablePoints> points{};
  int count = 0;
  EXPECT_TRUE(table.ReadPoints(prompter, kOwner, kFrame, points.data(), kMaxTablePoints, count));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(points[0].x, 1000);
  // The blank row sank below the point; its blanks stayed as typed.
  EXPECT_EQ(table.Cell(0, 1), "   ");
  EXPECT_EQ(table.Cell(1, 1), "  ");
}

TEST(Table2DModel, RowWithOnlyAnInputPointsAtItsOutputCell) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, "1", "10");
  FillRow(table, 3, "2", " ");
  ScriptedPrompter prompter;
  prompter.ExpectMessage(kBlankHalfText);
  EXPECT_FALSE(table.ValidateTable(prompter, kOwner, "Table frame"));
  EXPECT_EQ(table.Current(), (TableCell{1, 3}));
  EXPECT_EQ(prompter.Messages()[0].caption, "Table frame");
  EXPECT_EQ(prompter.Messages()[0].icon, MessageIcon::Information);
}

TEST(Table2DModel, RowWithOnlyAnOutputPointsAtItsInputCell) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 2, "", "10");
  ScriptedPrompter prompter;
  prompter.ExpectMessage(kBlankHalfText);
  EXPECT_FALSE(table.ValidateTable(prompter, kOwner, kFrame));
  EXPECT_EQ(table.Current(), (TableCell{0, 2}));
}

struct SortCursorCase {
  int startRow;
  int endRow;
};

TEST(Table2DModel, SortsByInputAndTheCursorFollowsItsPoint) {
  // Inputs 5, 3, blank, 1: the cursor on each point ends where that point went.
  const SortCursorCase cases[] = {{1, 1}, {0, 2}, {3, 0}, {2, 3}};
  for (const SortCursorCase& c : cases) {
    Table2DModel table = MakeOutputTable();
    FillRow(table, 0, "5", "50");
    FillRow(table, 1, "3", "30");
    FillRow(table, 3, "1", "10");
    table.SetCurrent({1, c.startRow});
    ScriptedPrompter prompter;
    EXPECT_TRUE(table.ValidateTable(prompter, kOwner, kFrame));
    EXPECT_EQ(Column(table, 0, 4), QStringList({"1.000", "3.000", "5.000", ""}));
    EXPECT_EQ(Column(table, 1, 4), QStringList({"10", "30", "50", ""}));
    EXPECT_EQ(table.Current(), (TableCell{1, c.endRow})) << "from row " << c.startRow;
  }
}

TEST(Table2DModel, SortComparesRawValuesNotTexts) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, "10", "1");
  FillRow(table, 1, "-2", "2");
  FillRow(table, 2, "9", "3");
  table.SortByInput();
  EXPECT_EQ(Column(table, 0, 3), QStringList({"-2", "9", "10"}));
}

TEST(Table2DModel, SortWaitsWhileARowIsHalfFilled) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, "5", "50");
  FillRow(table, 1, "3", "");
  table.SortByInput();
  EXPECT_EQ(Column(table, 0, 2), QStringList({"5", "3"}));
}

TEST(Table2DModel, FarApartDuplicatesFailAtTheUpperOneAfterSorting) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, "2", "10");
  FillRow(table, 1, "7", "30");
  FillRow(table, 20, "2.000", "20");
  ScriptedPrompter prompter;
  prompter.ExpectMessage(kDuplicateInputText);
  EXPECT_FALSE(table.ValidateTable(prompter, kOwner, "Frame"));
  EXPECT_EQ(table.Current(), (TableCell{0, 0}));
  EXPECT_EQ(Column(table, 0, 3), QStringList({"2.000", "2.000", "7.000"}));
  EXPECT_EQ(prompter.Messages()[0].caption, "Frame");
}

struct MonotonicCase {
  const char* name;
  std::vector<const char*> outputs;
  bool ok;
  int failRow;
};

TEST(Table2DModel, OutputsRunInOneDirection) {
  const MonotonicCase cases[] = {
      {"RisingWithFlat", {"1", "2", "2", "3"}, true, 0},
      {"FallingWithFlat", {"3", "2", "2", "1"}, true, 0},
      {"AllEqual", {"4", "4", "4"}, true, 0},
      {"UpThenDown", {"1", "3", "2"}, false, 2},
      {"FlatThenDownThenUp", {"5", "5", "4", "6"}, false, 3},
  };
  for (const MonotonicCase& c : cases) {
    Table2DModel table = MakeOutputTable();
    for (std::size_t i = 0; i < c.outputs.size(); ++i) {
      FillRow(table, static_cast<int>(i), QString::number(i + 1), c.outputs[i]);
    }
    ScriptedPrompter prompter;
    if (!c.ok) prompter.ExpectMessage(kMonotonicText);
    EXPECT_EQ(table.ValidateTable(prompter, kOwner, kFrame), c.ok) << c.name;
    if (!c.ok) {
      EXPECT_EQ(table.Current(), (TableCell{1, c.failRow})) << c.name;
    }
  }
}

TEST(Table2DModel, ValueBeyondRawRangeNamesItsRow) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, "1", "10");
  FillRow(table, 1, "2", "20");
  FillRow(table, 2, "40", "30");
  ScriptedPrompter prompter;
  prompter.ExpectMessage(
      "'40' is not a valid entry for Row 3.\nPlease enter a value between -32.768 mA and 32.767 mA.");
  EXPECT_FALSE(table.ValidateTable(prompter, kOwner, kFrame));
  EXPECT_EQ(table.Current(), (TableCell{0, 2}));
  EXPECT_EQ(prompter.Messages()[0].caption, kOwner);
  EXPECT_EQ(table.Cell(0, 2), "40");
}

TEST(Table2DModel, CellMessageQuotesTheTrimmedText) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, "1", " abc ");
  ScriptedPrompter prompter;
  prompter.ExpectMessage(
      "'abc' is not a valid entry for Row 1.\nPlease enter a value between -32768  and 32767 .");
  EXPECT_FALSE(table.CheckCells(prompter, kOwner));
  EXPECT_EQ(table.Current(), (TableCell{1, 0}));
}

TEST(Table2DModel, CellsAreRewrittenInCanonicalForm) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, " 1.5 ", "7");
  FillRow(table, 1, "0.0025 A", "+8");
  ScriptedPrompter prompter;
  prompter.ExpectMessage(
      "'+8' is not a valid entry for Row 2.\nPlease enter a value between -32768  and 32767 .");
  EXPECT_FALSE(table.CheckCells(prompter, kOwner));
  EXPECT_EQ(table.Cell(0, 0), "1.500");
  EXPECT_EQ(table.Cell(0, 1), "2.500");
}

TEST(Table2DModel, CellChecksComeBeforeTheTableRules) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, "1", "");
  FillRow(table, 5, "x", "1");
  ScriptedPrompter prompter;
  prompter.ExpectMessage(
      "'x' is not a valid entry for Row 6.\nPlease enter a value between -32.768 mA and 32.767 mA.");
  EXPECT_FALSE(table.ValidateTable(prompter, kOwner, kFrame));
}

TEST(Table2DModel, ReadPointsWritesNothingWhenValidationFails) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, "1", "1");
  FillRow(table, 1, "1", "2");
  ScriptedPrompter prompter;
  prompter.ExpectMessage(kDuplicateInputText);
  std::array<TablePoint, kMaxTablePoints> points;
  points.fill({123, 456});
  int count = 99;
  EXPECT_FALSE(table.ReadPoints(prompter, kOwner, kFrame, points.data(), kMaxTablePoints, count));
  EXPECT_EQ(count, 99);
  EXPECT_TRUE(
      std::all_of(points.begin(), points.end(), [](TablePoint p) { return p.x == 123 && p.y == 456; }));
}

TEST(Table2DModel, ReadPointsNeverWritesPastTheCapacity) {
  Table2DModel table = MakeOutputTable();
  for (int row = 0; row < 5; ++row) FillRow(table, row, QString::number(row), QString::number(row));
  ScriptedPrompter prompter;
  std::array<TablePoint, 4> points{};
  points[3] = {-1, -1};
  int count = 0;
  EXPECT_TRUE(table.ReadPoints(prompter, kOwner, kFrame, points.data(), 3, count));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(points[2].x, 2000);
  EXPECT_EQ(points[3].x, -1);
}

TEST(Table2DModel, ShowPointsFormatsAndNeverReadsPastTheRows) {
  Table2DModel table;
  table.Setup(4, IpType, OutputVoltsType);
  FillRow(table, 3, "old", "old");
  std::array<TablePoint, 4> points = {{{1000, 2500}, {-1500, 5}, {0, 0}, {32767, -32768}}};
  table.ShowPoints(points.data(), 255);  // a num_rows beyond the table
  EXPECT_EQ(Column(table, 0, 4), QStringList({"1.000", "-1.500", "0.000", "32.767"}));
  EXPECT_EQ(Column(table, 1, 4), QStringList({"2.500", "0.005", "0.000", "-32.768"}));
  table.ShowPoints(points.data(), 1);
  EXPECT_EQ(Column(table, 0, 4), QStringList({"1.000", "", "", ""}));
  table.ShowPoints(points.data(), -3);
  EXPECT_TRUE(table.IsColumnBlank(0));
  EXPECT_EQ(table.Current(), (TableCell{0, 0}));
}

TEST(Table2DModel, ChangingDecimalPlacesKeepsTheRawValues) {
  Table2DModel table;
  table.Setup(kMaxTablePoints, IpType, DecimalPlacesType(0));
  FillRow(table, 0, "1", "147");
  FillRow(table, 1, "2", "oops");
  table.ChangeColumnFormat(1, DecimalPlacesType(2));
  EXPECT_EQ(table.Cell(1, 0), "1.47");
  EXPECT_EQ(table.Cell(1, 1), "oops");  // left as it was
  EXPECT_TRUE(SameValueType(table.ColumnType(1), DecimalPlacesType(2)));
  table.ChangeColumnFormat(1, DecimalPlacesType(0));
  EXPECT_EQ(table.Cell(1, 0), "147");
  EXPECT_EQ(table.Cell(0, 0), "1");  // the other column is untouched
}

TEST(Table2DModel, CommitOnExitChecksCellsThenSorts) {
  Table2DModel table = MakeOutputTable();
  FillRow(table, 0, "2", "20");
  FillRow(table, 1, "1", "10");
  ScriptedPrompter prompter;
  EXPECT_TRUE(table.CommitOnExit(prompter, kOwner));
  EXPECT_EQ(Column(table, 0, 2), QStringList({"1.000", "2.000"}));
  FillRow(table, 2, "bad", "1");
  prompter.ExpectMessage(
      "'bad' is not a valid entry for Row 3.\nPlease enter a value between -32.768 mA and 32.767 mA.");
  EXPECT_FALSE(table.CommitOnExit(prompter, kOwner));
}

TEST(Table2DModel, BlankHelpers) {
  Table2DModel table;
  table.Setup(3, PlainNumberType, PlainNumberType);
  EXPECT_EQ(table.FirstBlankColumn(-1), 0);
  table.SetCell(0, 1, "4");
  EXPECT_EQ(table.FirstBlankColumn(-1), 1);
  EXPECT_EQ(table.FirstBlankColumn(1), 1);
  table.SetCell(1, 2, "5");
  EXPECT_EQ(table.FirstBlankColumn(-1), -1);
  EXPECT_FALSE(table.IsRowBlank(1));
  EXPECT_TRUE(table.IsRowBlank(0));
  table.ExchangeRows(0, 2);
  EXPECT_EQ(table.Cell(1, 0), "5");
  EXPECT_TRUE(table.IsRowBlank(2));
  table.SetCell(0, 99, "x");  // outside: ignored
  EXPECT_EQ(table.Cell(0, 99), "");
}

}  // namespace
