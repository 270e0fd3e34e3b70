#pragma once

#include <optional>
#include <vector>

#include <QLocale>
#include <QString>
#include <QStringList>

#include "tables/table2dmodel.h"

// A rectangle of cells, corners included; rows and columns as in
// Table2DModel.
struct TableRange {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
  int Rows() const { return bottom - top + 1; }
  int Columns() const { return right - left + 1; }
  bool operator==(const TableRange&) const = default;
};

// Everything a step of the history restores: the texts of every cell, the
// column types they were written in and the cell the user stood on.
struct TableSnapshot {
  std::vector<QStringList> texts;
  ValueType types[2];
  TableCell current;
};

// The editing commands of a table grid, each one step of its history, so
// Undo and Redo take a whole gesture back or forth (a typed cell, a paste,
// an insert, a drag of the curve...). The grid's text is the only state:
// the validation chain still judges what is stored. A command that cannot
// be carried out changes nothing and returns the text that says why.
class TableEditor {
 public:
  explicit TableEditor(Table2DModel& table);

  Table2DModel& Table() { return table_; }
  const Table2DModel& Table() const { return table_; }

  // The selected rectangle, kept inside the table; the model's current cell
  // is one of its corners (the grid keeps it so).
  const TableRange& Selection() const { return selection_; }
  void Select(const TableRange& range);

  // A new table is shown: the history starts again and Revert returns here.
  void Restart();
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The texts are those shown at Restart.
  bool AtBaseline() const;
  bool Undo();
  bool Redo();
  // Back to the texts shown at Restart, as one step; false when already
  // there.
  bool Revert();

  // A gesture made elsewhere (the validation chain, the curve): the state
  // before it, then Record with that state once it ended. Record keeps a
  // step only when a text changed. Amend instead folds the changes into
  // the step before (a cell rewritten in canonical form belongs to the
  // typing that wrote it).
  TableSnapshot Snapshot() const;
  bool Record(const TableSnapshot& before);
  void Amend(const TableSnapshot& before);
  // After the validation chain: texts only rewritten in canonical form are
  // amended into the step before; rows it sorted make a step of their own.
  void RecordCheck(const TableSnapshot& before);

  // Typing: the cell's text, one step when it changed.
  void TypeCell(int column, int row, const QString& text);
  // The selected cells become blank.
  void ClearSelection();
  // The selected cells as tab-separated lines.
  QString CopySelection() const;
  // Copy, then clear.
  QString CutSelection();
  // Pastes at the selection's top left corner; a single value fills the
  // whole selection. The pasted cells are selected afterwards.
  std::optional<QString> Paste(const QString& text, const QLocale& locale);
  // A blank row at the current row; the rows below move down. Refused when
  // the last row holds anything, so no point is pushed out.
  std::optional<QString> InsertRow();
  // Removes the selected rows; the rows below move up.
  void DeleteRows();
  // The outputs of the selected rows between the first and the last, set on
  // the straight line between those two points by input, rounded to the
  // output's raw step. Rows with a blank or unreadable cell are left alone.
  std::optional<QString> Interpolate();
  // Each selected cell times factor plus offset (offset in the column's
  // shown units), rounded to the raw step. A result outside 16 bits is
  // refused with the range message and nothing changes.
  std::optional<QString> Adjust(const QString& factor, const QString& offset);
  // The first and last adjusted results, or the refusal, without changing
  // anything.
  std::optional<QString> AdjustPreview(const QString& factor, const QString& offset, QString& first,
                                       QString& last) const;

 private:
  struct Adjusted {
    int column;
    int row;
    QString text;
  };
  std::optional<QString> Compute(const QString& factor, const QString& offset,
                                 std::vector<Adjusted>& results) const;
  void Restore(const TableSnapshot& snapshot);
  // Undo or Redo: the latest state of `from` comes back; the present goes
  // onto `to`.
  bool StepAcross(std::vector<TableSnapshot>& from, std::vector<TableSnapshot>& to);
  bool SameTexts(const TableSnapshot& a, const TableSnapshot& b) const;
  void ClampSelection();

  Table2DModel& table_;
  TableRange selection_;
  TableSnapshot baseline_;
  std::vector<TableSnapshot> undo_;
  std::vector<TableSnapshot> redo_;
};
