#pragma once

#include <functional>
#include <optional>

#include <QAbstractTableModel>
#include <QFrame>
#include <QString>
#include <QStyledItemDelegate>
#include <QTableView>

#include "tables/table2dmodel.h"
#include "tables/tableeditor.h"

class Prompter;
class QAction;

// The text grid of the table frame: refuses to leave a cell while the
// table holds an invalid value, and opens the editor on Enter.
class TStringGridTable : public QTableView {
  Q_OBJECT
 public:
  using QTableView::QTableView;
  // Asked before the current cell moves to target; false keeps it.
  std::function<bool(const QModelIndex& target)> AllowMove;
  // Enter typed while no editor is open.
  std::function<void()> EnterPressed;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

// Shows a Table2DModel in the grid; the texts live in the core model.
class Table2DItemModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit Table2DItemModel(Table2DModel& table, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Called instead of writing the text when set: typing goes through the
  // frame's history.
  std::function<void(int column, int row, const QString& text)> CellTyped;

  void SetTitle(int column, const QString& text);
  // After the core model changed its texts or its size.
  void TextsChanged();
  void Reset();

 private:
  Table2DModel& table_;
  QString titles_[2];
};

// Runs Enter typed in the in-place editor through the frame.
class TableCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  std::function<void(QWidget* editor)> EnterInEditor;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;
};

// The factor and offset of Adjust Values, or nothing when cancelled.
struct AdjustValuesRequest {
  QString factor;
  QString offset;
};

// The two-column table editor embedded by the output table, analog output
// and sensor calibration dialogs: input values in column 0, outputs in
// column 1, one point per row. Messages go through the prompter, titled
// with the caption of the dialog that holds the frame.
//
// Beside typing, the grid edits the way spreadsheets do: a rectangular
// selection, the clipboard as tab-separated text, Insert Row, Delete Rows,
// Interpolate, Adjust Values, Undo, Redo and Revert Table, each on a key and
// in the grid's context menu. The rules of each command live in TableEditor.
class TFrameTable2DEdit : public QFrame {
  Q_OBJECT
 public:
  explicit TFrameTable2DEdit(QWidget* parent = nullptr);
  TFrameTable2DEdit(Prompter& prompter, QWidget* parent = nullptr);
  // Stops following the application's focus first: the widget destructors
  // below move the focus and must not reach this frame's handler.
  ~TFrameTable2DEdit() override;

  // Required before any check when the frame was made without a prompter.
  void SetPrompter(Prompter* prompter) { prompter_ = prompter; }

  // Row capacity and the column types; titles become the types' unit
  // abbreviations until the host sets its own.
  void SetupTable(int rows, const ValueType& inputType, const ValueType& outputType);
  void SetColumnTitle(int column, const QString& text);
  QString ColumnTitle(int column) const;

  // Shows a table: the history of the previous one ends, and Revert Table
  // returns to these points.
  void ShowPoints(const TablePoint* points, int count);
  // Shows points loaded from a file, as one step the user can undo.
  void LoadPoints(const TablePoint* points, int count);
  // Validates; on success writes the points in input order and their count.
  bool ReadPoints(TablePoint* points, int capacity, int& count);
  bool ReadPoints(TablePoint (&points)[kMaxTablePoints], uint8_t& numRows);

  bool ValidateTable();
  bool CheckCells();
  // For the host's exit handler (skip it when Cancel takes the focus).
  bool CommitOnExit();
  void ChangeColumnFormat(int column, const ValueType& type);

  // The grid's handlers: a move to another cell is allowed only while every
  // cell is valid; Enter in an open editor checks the cells and keeps the
  // cursor where it is, Enter without one opens it.
  bool StringGridTableSelectCell(int column, int row);
  void StringGridTableKeyPress(QWidget* openEditor);

  TStringGridTable* Grid() const { return grid_; }
  Table2DModel& Model() { return table_; }
  const Table2DModel& Model() const { return table_; }
  const TableEditor& Editor() const { return editor_; }

  // The editing commands, as the keys and the context menu run them. Each
  // acts on the grid's selection, shows a refusal as a notice and leaves the
  // focus in the grid on the cell it acted on.
  void CopyCells();
  void CutCells();
  void PasteCells();
  void ClearCells();
  void InsertRow();
  void DeleteRows();
  void InterpolateRows();
  void AdjustValues();
  void UndoEdit();
  void RedoEdit();
  void RevertTable();
  // The action behind a command, by its objectName ("ActionPaste"...).
  QAction* Action(const QString& objectName) const;

  // Asks for the factor and offset of Adjust Values; by default the Adjust
  // Values dialog. Tests answer it themselves.
  std::function<std::optional<AdjustValuesRequest>(const TableEditor& editor)> AskAdjust;

  // The curve beside the grid: a click on a point moves the grid's cursor
  // to its row (false when the cells' check refuses the move); a drag sets
  // that row's output as if typed, the whole drag one step.
  bool GoToRow(int row);
  void BeginCurveDrag();
  void DragOutput(int row, int16_t raw);
  void EndCurveDrag();

 signals:
  // The focus left the frame for another control of the same window (not
  // during the frame's own checks): hosts run CommitOnExit here unless
  // newFocus is their Cancel button.
  void FrameExit(QWidget* newFocus);
  // A cell's text, a column's type or title, or the row count changed.
  void TableChanged();
  // The grid's cursor moved to another cell.
  void CurrentCellChanged();

 private:
  Prompter& RequirePrompter() const;
  QString OwnerCaption() const;
  // Takes the grid's editor text and cursor into the core model.
  void SyncFromGrid();
  // Shows the core model's texts and puts the grid's cursor on its cell.
  void SyncToGrid(bool openEditor);
  bool Check(const std::function<bool()>& rule);
  void FocusChanged(QWidget* old, QWidget* now);
  void CreateActions();
  // Runs a command on the grid's selection and shows the result, or its
  // refusal titled with the dialog's caption.
  void RunEdit(const std::function<std::optional<QString>()>& command);
  // A command that is never refused.
  void RunPlainEdit(const std::function<void()>& command);
  void SelectionFromGrid();
  void SelectionToGrid();
  void UpdateActions();

  Prompter* prompter_ = nullptr;
  Table2DModel table_;
  TableEditor editor_{table_};
  std::optional<TableSnapshot> dragStart_;
  Table2DItemModel* itemModel_ = nullptr;
  TableCellDelegate* delegate_ = nullptr;
  TStringGridTable* grid_ = nullptr;
  bool checking_ = false;
};
