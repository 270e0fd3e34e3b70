#include <optional>
#include <vector>

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include "tables/tableclipboard.h"
#include "tables/tableeditor.h"

namespace {

// The number texts of the program follow the default locale; each test
// that needs another sets it and puts the C locale back.
class LocaleGuard {
 public:
  explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
  ~LocaleGuard() { QLocale::setDefault(QLocale::c()); }
};

const QLocale kPoint(QLocale::English, QLocale::UnitedStates);  // 1,500.5
const QLocale kComma(QLocale::German, QLocale::Germany);        // 1.500,5

// An output table: input in mA (three decimals), output with one decimal.
struct Fixture {
  Fixture() {
    table.Setup(8, IpType, DecimalPlacesType(1));
  }
  void Fill(const std::vector<std::pair<QString, QString>>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      table.SetCell(0, static_cast<int>(i), rows[i].first);
      table.SetCell(1, static_cast<int>(i), rows[i].second);
    }
    editor.Restart();
  }
  // Every cell, row by row: "input|output".
  QStringList Texts() const {
    QStringList texts;
    for (int row = 0; row < table.RowCount(); ++row) texts << table.Cell(0, row) + "|" + table.Cell(1, row);
    return texts;
  }
  Table2DModel table;
  TableEditor editor{table};
};

QStringList Blank(QStringList texts, int rows) {
  while (texts.size() < rows) texts << "|";
  return texts;
}

// ---- Clipboard parsing ----

struct ParseCase {
  const char* name;
  QLocale locale;
  QString text;
  std::vector<QStringList> rows;  // expected cells, or empty for a refusal
  QString refusal;
};

TEST(TableClipboard, ParsesBlocksAsSpreadsheetsAndEditorsWriteThem) {
  const std::vector<ParseCase> cases = {
      {"tabs, trailing line end", kPoint, "1.5\t10\n2.5\t20\n", {{"1.5", "10"}, {"2.5", "20"}}, ""},
      {"CRLF", kPoint, "1.5\t10\r\n2.5\t20\r\n", {{"1.5", "10"}, {"2.5", "20"}}, ""},
      {"commas", kPoint, "1.5,10\n2.5, 20", {{"1.5", "10"}, {"2.5", "20"}}, ""},
      {"semicolons", kComma, "1,5;10\n2,5;20", {{"1,5", "10"}, {"2,5", "20"}}, ""},
      {"comma and blank in a comma locale", kComma, "1,5, 10\n2,5, 20", {{"1,5", "10"}, {"2,5", "20"}}, ""},
      {"one column", kPoint, "1\n2\n3\n", {{"1"}, {"2"}, {"3"}}, ""},
      {"heading line", kPoint, "Ipn (mA)\tOutput\n1.5\t10\n", {{"1.5", "10"}}, ""},
      {"heading column", kPoint, "A\t1.5\t10\nB\t2.5\t20\n", {{"1.5", "10"}, {"2.5", "20"}}, ""},
      {"empty cells at line ends", kPoint, "1.5\t10\t\t\n2.5\t20\t\n", {{"1.5", "10"}, {"2.5", "20"}}, ""},
      {"a unit after the number", kPoint, "1.5 mA\t10\n", {{"1.5 mA", "10"}}, ""},
      {"point in a comma locale", kComma, "0.5\t1.25\n", {{"0,5", "1,25"}}, ""},
      {"comma in a comma locale", kComma, "0,5\t1,25\n", {{"0,5", "1,25"}}, ""},
      {"grouped thousands with commas", kPoint, "1,500\t10\n", {},
       "'1,500' on line 1 of the clipboard may be a number with grouped thousands.\nCopy the numbers without thousands separators."},
      {"grouped thousands with points", kComma, "2\t1\n1.500\t10\n", {},
       "'1.500' on line 2 of the clipboard may be a number with grouped thousands.\nCopy the numbers without thousands separators."},
      {"a comma separates cells in a point locale", kPoint, "1,5\n", {{"1", "5"}}, ""},
      {"text below the first line", kPoint, "1\t2\nabc\t3\n", {},
       "'abc' on line 2 of the clipboard is not a number.\nNothing was pasted."},
      {"nothing but blanks", kPoint, "\n \r\n", {}, "The clipboard holds no values to paste."},
      {"a heading alone", kPoint, "Input\tOutput\n", {}, "The clipboard holds no values to paste."},
  };
  for (const ParseCase& c : cases) {
    QString refusal;
    const auto block = ParseClipboardBlock(c.text, c.locale, refusal);
    if (c.rows.empty()) {
      EXPECT_FALSE(block.has_value()) << c.name;
      EXPECT_EQ(refusal, c.refusal) << c.name;
    } else {
      ASSERT_TRUE(block.has_value()) << c.name << ": " << refusal.toStdString();
      EXPECT_EQ(block->rows, c.rows) << c.name;
    }
  }
}

TEST(TableClipboard, CopiesTheSelectionAsTabSeparatedLinesInTheLocalesForm) {
  LocaleGuard locale(kComma);
  Fixture f;
  f.Fill({{"1,500", "14,7"}, {"2,000", "15,0"}, {"3,000", "16,2"}});
  f.editor.Select({0, 0, 1, 1});
  EXPECT_EQ(f.editor.CopySelection(), "1,500\t14,7\n2,000\t15,0\n");
  f.editor.Select({1, 1, 2, 1});
  EXPECT_EQ(f.editor.CopySelection(), "15,0\n16,2\n");
}

// ---- Paste ----

struct PasteCase {
  const char* name;
  TableRange selection;
  QString clipboard;
  QStringList expected;  // rows 1.. of the table; the rest stays as filled
  QString refusal;
};

TEST(TableEditor, PastesABlockAtTheSelectionOrRefusesItWhole) {
  const QStringList filled = {"1.000|10.0", "2.000|20.0", "3.000|30.0"};
  const std::vector<PasteCase> cases = {
      {"two columns at the top", {0, 0, 0, 0}, "5\t50\n6\t60\n", {"5|50", "6|60", "3.000|30.0"}, ""},
      {"one column into the outputs", {1, 1, 1, 1}, "7\n8\n", {"1.000|10.0", "2.000|7", "3.000|8"}, ""},
      {"one value fills the selection", {0, 1, 2, 1}, "9\n", {"1.000|9", "2.000|9", "3.000|9"}, ""},
      {"too many columns", {0, 1, 0, 1}, "5\t50\n", filled,
       "The clipboard holds 2 columns, but the table has only 1 from the selected cell.\nNothing was pasted."},
      {"too many rows", {6, 0, 6, 0}, "1\t1\n2\t2\n3\t3\n", filled,
       "The clipboard holds 3 rows, but the table has only 2 from row 7.\nNothing was pasted."},
      {"a cell that is not a number", {0, 0, 0, 0}, "5\t50\n6\tsix\n", filled,
       "'six' on line 2 of the clipboard is not a number.\nNothing was pasted."},
  };
  for (const PasteCase& c : cases) {
    Fixture f;
    f.Fill({{"1.000", "10.0"}, {"2.000", "20.0"}, {"3.000", "30.0"}});
    f.editor.Select(c.selection);
    const std::optional<QString> refusal = f.editor.Paste(c.clipboard, QLocale::c());
    EXPECT_EQ(refusal.value_or(QString()), c.refusal) << c.name;
    EXPECT_EQ(f.Texts(), Blank(c.expected, 8)) << c.name;
    EXPECT_EQ(f.editor.CanUndo(), c.refusal.isEmpty()) << c.name;
  }
}

// ---- Rows ----

struct RowCase {
  const char* name;
  int rowsFilled;  // rows 1..n hold "n.000|n0.0"
  TableRange selection;
  bool insert;
  QStringList expected;
  QString refusal;
};

TEST(TableEditor, InsertsAndDeletesRowsAtTheEdges) {
  const std::vector<RowCase> cases = {
      {"insert at the top", 2, {0, 0, 0, 0}, true, {"|", "1.000|10.0", "2.000|20.0"}, ""},
      {"insert at the last row", 2, {7, 1, 7, 1}, true, {"1.000|10.0", "2.000|20.0"}, ""},
      {"insert into a full table", 8, {3, 0, 3, 0}, true,
       {"1.000|10.0", "2.000|20.0", "3.000|30.0", "4.000|40.0", "5.000|50.0", "6.000|60.0", "7.000|70.0", "8.000|80.0"},
       "The last row of the table holds a value, so no row can be inserted.\nDelete or clear a row at the end first."},
      {"delete the first row", 3, {0, 1, 0, 1}, false, {"2.000|20.0", "3.000|30.0"}, ""},
      {"delete two rows", 4, {1, 0, 2, 1}, false, {"1.000|10.0", "4.000|40.0"}, ""},
      {"delete the last row", 8, {7, 0, 7, 0}, false,
       {"1.000|10.0", "2.000|20.0", "3.000|30.0", "4.000|40.0", "5.000|50.0", "6.000|60.0", "7.000|70.0"}, ""},
  };
  for (const RowCase& c : cases) {
    Fixture f;
    std::vector<std::pair<QString, QString>> rows;
    for (int i = 1; i <= c.rowsFilled; ++i) rows.emplace_back(QString("%1.000").arg(i), QString("%1.0").arg(i * 10));
    f.Fill(rows);
    f.table.SetCurrent({c.selection.left, c.selection.top});
    f.editor.Select(c.selection);
    std::optional<QString> refusal;
    if (c.insert) {
      refusal = f.editor.InsertRow();
    } else {
      f.editor.DeleteRows();
    }
    EXPECT_EQ(refusal.value_or(QString()), c.refusal) << c.name;
    EXPECT_EQ(f.Texts(), Blank(c.expected, 8)) << c.name;
  }
}

// ---- Interpolate ----

struct InterpolateCase {
  const char* name;
  std::vector<std::pair<QString, QString>> rows;
  TableRange selection;
  QStringList expected;
  QString refusal;
};

TEST(TableEditor, InterpolatesOutputsByInputRoundedToTheRawStep) {
  const std::vector<InterpolateCase> cases = {
      {"evenly spaced",
       {{"0.000", "10.0"}, {"1.000", "0.0"}, {"2.000", "0.0"}, {"3.000", "40.0"}},
       {0, 0, 3, 1},
       {"0.000|10.0", "1.000|20.0", "2.000|30.0", "3.000|40.0"},
       ""},
      {"rounded half away from zero",
       {{"0.000", "0.0"}, {"1.000", "5.0"}, {"2.000", "5.0"}, {"3.000", "1.0"}},
       {0, 1, 3, 1},
       {"0.000|0.0", "1.000|0.3", "2.000|0.7", "3.000|1.0"},
       ""},
      {"uneven inputs, falling outputs",
       {{"1.000", "9.0"}, {"1.500", "0.0"}, {"4.000", "3.0"}},
       {0, 0, 2, 0},
       {"1.000|9.0", "1.500|8.0", "4.000|3.0"},
       ""},
      {"a row with a blank cell is left alone",
       {{"0.000", "0.0"}, {"1.000", ""}, {"2.000", "5.0"}, {"4.000", "4.0"}},
       {0, 0, 3, 0},
       {"0.000|0.0", "1.000|", "2.000|2.0", "4.000|4.0"},
       ""},
      {"two rows",
       {{"0.000", "0.0"}, {"1.000", "5.0"}},
       {0, 0, 1, 1},
       {"0.000|0.0", "1.000|5.0"},
       "Select three or more rows to interpolate.\nThe outputs between the first and the last selected row are set on the line between them."},
      {"an end without a point",
       {{"0.000", "0.0"}, {"1.000", "5.0"}, {"2.000", ""}},
       {0, 0, 2, 0},
       {"0.000|0.0", "1.000|5.0", "2.000|"},
       "The first and the last selected row must both hold a point to interpolate between."},
      {"ends with the same input",
       {{"1.000", "0.0"}, {"3.000", "5.0"}, {"1.000", "7.0"}},
       {0, 0, 2, 0},
       {"1.000|0.0", "3.000|5.0", "1.000|7.0"},
       "The first and the last selected row have the same input: there is no line between them."},
  };
  for (const InterpolateCase& c : cases) {
    Fixture f;
    f.Fill(c.rows);
    f.editor.Select(c.selection);
    const std::optional<QString> refusal = f.editor.Interpolate();
    EXPECT_EQ(refusal.value_or(QString()), c.refusal) << c.name;
    EXPECT_EQ(f.Texts(), Blank(c.expected, 8)) << c.name;
  }
}

// ---- Adjust ----

struct AdjustCase {
  const char* name;
  TableRange selection;
  QString factor;
  QString offset;
  QStringList expected;
  QString refusal;
};

TEST(TableEditor, AdjustsSelectedValuesOrRefusesAResultOutOfRange) {
  const QStringList before = {"1.000|10.0", "2.000|20.0", "-3.000|30.0"};
  const std::vector<AdjustCase> cases = {
      {"outputs times a factor", {0, 1, 2, 1}, "1.5", "", {"1.000|15.0", "2.000|30.0", "-3.000|45.0"}, ""},
      {"plus an offset in each column's units", {0, 0, 1, 1}, "1", "0.5", {"1.500|10.5", "2.500|20.5", "-3.000|30.0"}, ""},
      {"rounded to the raw step", {0, 1, 0, 1}, "0.333", "", {"1.000|3.3", "2.000|20.0", "-3.000|30.0"}, ""},
      {"negative factor", {2, 0, 2, 0}, "-2", "", {"1.000|10.0", "2.000|20.0", "6.000|30.0"}, ""},
      {"a result beyond 16 bits", {0, 0, 2, 0}, "12", "", before,
       "'-36.000' is not a valid entry for Row 3.\nPlease enter a value between -32.768 mA and 32.767 mA."},
      {"a factor that is not a number", {0, 1, 2, 1}, "x2", "", before,
       "'x2' is not a valid entry for the factor.\nPlease enter a number such as 1.5 or -2."},
  };
  for (const AdjustCase& c : cases) {
    Fixture f;
    f.Fill({{"1.000", "10.0"}, {"2.000", "20.0"}, {"-3.000", "30.0"}});
    f.editor.Select(c.selection);
    QString first;
    QString last;
    const std::optional<QString> preview = f.editor.AdjustPreview(c.factor, c.offset, first, last);
    const std::optional<QString> refusal = f.editor.Adjust(c.factor, c.offset);
    EXPECT_EQ(refusal.value_or(QString()), c.refusal) << c.name;
    EXPECT_EQ(preview, refusal) << c.name;
    EXPECT_EQ(f.Texts(), Blank(c.expected, 8)) << c.name;
  }
}

TEST(TableEditor, AdjustPreviewShowsTheFirstAndLastResult) {
  Fixture f;
  f.Fill({{"1.000", "10.0"}, {"2.000", "20.0"}, {"3.000", "30.0"}});
  f.editor.Select({0, 1, 2, 1});
  QString first;
  QString last;
  EXPECT_FALSE(f.editor.AdjustPreview("2", "-1", first, last).has_value());
  EXPECT_EQ(first, "19.0");
  EXPECT_EQ(last, "59.0");
  EXPECT_FALSE(f.editor.CanUndo());
}

// ---- History ----

TEST(TableEditor, UndoAndRedoWalkAMixedSequenceTextByText) {
  Fixture f;
  f.Fill({{"1.000", "10.0"}, {"2.000", "20.0"}, {"3.000", "30.0"}});
  std::vector<QStringList> states = {f.Texts()};
  const auto step = [&](const std::function<void()>& command) {
    command();
    states.push_back(f.Texts());
  };
  step([&] { f.editor.TypeCell(1, 1, "25"); });
  step([&] {
    f.editor.Select({3, 0, 3, 0});
    f.editor.Paste("4\t40\n5\t50\n", QLocale::c());
  });
  step([&] {
    f.table.SetCurrent({0, 0});
    f.editor.Select({0, 0, 0, 0});
    f.editor.InsertRow();
  });
  step([&] {
    f.editor.Select({1, 0, 5, 1});
    f.editor.Interpolate();
  });
  step([&] {
    f.editor.Select({2, 1, 3, 1});
    f.editor.Adjust("2", "");
  });
  step([&] {
    f.editor.Select({0, 0, 0, 1});
    f.editor.DeleteRows();
  });
  step([&] {
    f.editor.Select({0, 0, 1, 1});
    f.editor.ClearSelection();
  });
  step([&] { f.editor.Revert(); });
  ASSERT_EQ(states.size(), 9u);
  for (std::size_t i = 1; i < states.size(); ++i) EXPECT_NE(states[i], states[i - 1]) << "step " << i;
  EXPECT_EQ(states.back(), states.front());

  for (std::size_t i = states.size() - 1; i > 0; --i) {
    ASSERT_TRUE(f.editor.Undo()) << "undo to " << i - 1;
    EXPECT_EQ(f.Texts(), states[i - 1]) << "undo to " << i - 1;
  }
  EXPECT_FALSE(f.editor.Undo());
  for (std::size_t i = 1; i < states.size(); ++i) {
    ASSERT_TRUE(f.editor.Redo()) << "redo to " << i;
    EXPECT_EQ(f.Texts(), states[i]) << "redo to " << i;
  }
  EXPECT_FALSE(f.editor.Redo());
}

TEST(TableEditor, UndoKeepsRawValuesAcrossAChangeOfDecimalPlaces) {
  Fixture f;
  f.Fill({{"1.000", "14.7"}});
  f.editor.TypeCell(1, 0, "20.0");
  f.table.ChangeColumnFormat(1, DecimalPlacesType(2));
  EXPECT_EQ(f.table.Cell(1, 0), "2.00");
  f.editor.Undo();
  EXPECT_EQ(f.table.Cell(1, 0), "1.47");
  EXPECT_TRUE(f.editor.AtBaseline());
}

TEST(TableEditor, ACanonicalRewriteJoinsItsTypingButASortIsAStepOfItsOwn) {
  Fixture f;
  f.Fill({{"1.000", "10.0"}, {"2.000", "20.0"}});
  f.editor.TypeCell(0, 1, "0.5");
  TableSnapshot before = f.editor.Snapshot();
  f.table.SetCell(0, 1, "0.500");  // the cell check's canonical text
  f.editor.RecordCheck(before);
  before = f.editor.Snapshot();
  f.table.SortByInput();
  f.editor.RecordCheck(before);
  EXPECT_EQ(f.Texts().mid(0, 2), QStringList({"0.500|20.0", "1.000|10.0"}));
  f.editor.Undo();
  EXPECT_EQ(f.Texts().mid(0, 2), QStringList({"1.000|10.0", "0.500|20.0"}));
  f.editor.Undo();
  EXPECT_EQ(f.Texts().mid(0, 2), QStringList({"1.000|10.0", "2.000|20.0"}));
  EXPECT_FALSE(f.editor.CanUndo());
}

}  // namespace
