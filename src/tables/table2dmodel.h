#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QString>

#include "config/qvaconfig.h"
#include "ui/qvavalues.h"

class Prompter;

// A cell of a two-column table: column 0 input, column 1 output; row 0 is
// the first data row (shown to users as "Row 1").
struct TableCell {
  int column = 0;
  int row = 0;
  bool operator==(const TableCell&) const = default;
};

// The blank rules of a text grid, whatever holds its texts: the table model
// below and the widget grids (gridutils) share them. A cell is blank when
// its text, trimmed of blanks, is empty; a row or column when all its cells
// are.
class TextGridRules {
 public:
  using CellText = std::function<QString(int column, int row)>;
  TextGridRules(int columns, int rows, CellText cellText);

  bool IsCellBlank(int column, int row) const;
  bool IsRowBlank(int row) const;
  bool IsColumnBlank(int column) const;
  // The first blank column of the row, or -1; for a negative row, the first
  // column that is blank in every row.
  int FirstBlankColumn(int row) const;

 private:
  int columns_;
  int rows_;
  CellText cellText_;
};

// The rules of a two-column lookup table as the user edits it: N rows of two
// texts, the value type of each column and the current cell. The table frame
// draws it in a grid; every rule lives here so it can run without widgets.
//
// The checks show their notice through the prompter and, on failure, put the
// current cell on the offending cell. Cell checks are titled with the owner
// dialog's caption, the table rules with the frame caption given (the frame
// gives its dialog's caption too).
class Table2DModel {
 public:
  explicit Table2DModel(int rows = kMaxTablePoints);

  // Stores the row capacity (at least 1) and both column types; existing
  // texts of rows that remain are kept.
  void Setup(int rows, const ValueType& inputType, const ValueType& outputType);

  int RowCount() const { return static_cast<int>(cells_.size()); }
  const QString& Cell(int column, int row) const;
  void SetCell(int column, int row, const QString& text);
  const ValueType& ColumnType(int column) const;

  TableCell Current() const { return current_; }
  void SetCurrent(TableCell cell);

  // TextGridRules over this table's cells.
  bool IsCellBlank(int column, int row) const;
  bool IsRowBlank(int row) const;
  bool IsColumnBlank(int column) const;
  int FirstBlankColumn(int row) const;
  void ExchangeRows(int a, int b);
  void Clear();
  // The raw value of a non-blank cell that parses under its column's type.
  std::optional<int16_t> CellValue(int column, int row) const;

  // Blank table, then the first `count` points (0..rows) formatted without
  // unit; the current cell goes to the first cell.
  void ShowPoints(const TablePoint* points, int count);

  // The validation chain: CheckCells, CheckBlankHalves, SortByInput,
  // CheckDuplicateInputs, CheckMonotonicOutputs.
  bool ValidateTable(Prompter& prompter, const QString& ownerCaption, const QString& frameCaption);
  // Validates, then writes the full rows in order into points (at most
  // capacity) and their number into count. Writes nothing on failure.
  bool ReadPoints(Prompter& prompter, const QString& ownerCaption, const QString& frameCaption,
                  TablePoint* points, int capacity, int& count);
  // The full rows top to bottom as points, at most capacity; nothing when a
  // full row does not parse. ReadPoints writes these once the table is valid.
  std::optional<std::vector<TablePoint>> FullRowPoints(int capacity) const;

  // Each non-blank cell through ValidateScaledText (field "Row n"), rewritten
  // in canonical form.
  bool CheckCells(Prompter& prompter, const QString& ownerCaption);
  bool CheckBlankHalves(Prompter& prompter, const QString& frameCaption);
  // Sorts rows by input, blank rows last; the current cell follows its
  // point. Does nothing while a row is half filled.
  void SortByInput();
  bool CheckDuplicateInputs(Prompter& prompter, const QString& frameCaption);
  bool CheckMonotonicOutputs(Prompter& prompter, const QString& frameCaption);
  // CheckCells, and when it passes SortByInput.
  bool CommitOnExit(Prompter& prompter, const QString& ownerCaption);

  // Shows a column under another value type, keeping the raw values; a cell
  // that does not convert is left as it is.
  void ChangeColumnFormat(int column, const ValueType& type);

 private:
  bool InRange(int column, int row) const;
  TextGridRules Rules() const;
  std::optional<int> FirstHalfFilledRow() const;

  struct Row {
    QString text[2];
  };
  std::vector<Row> cells_;
  ValueType types_[2];
  TableCell current_;
};

inline const QString kBlankHalfMessage = QStringLiteral(
    "One value of a point is blank.\nYou should enter another value in this row, or leave the entire row "
    "blank.");
inline const QString kDuplicateInputMessage = QStringLiteral(
    "The table may not contain duplicate source values.\nPlease check the table entries and change or remove "
    "one "
    "of the points.");
inline const QString kMonotonicMessage = QStringLiteral(
    "The table must be either increasing or decreasing, it cannot be both.\nPlease check the table entries.");
