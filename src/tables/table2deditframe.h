#pragma once

#include <functional>

#include <QAbstractTableModel>
#include <QFrame>
#include <QString>
#include <QStyledItemDelegate>
#include <QTableView>

#include "tables/table2dmodel.h"

class Prompter;

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

// The two-column table editor embedded by the output table, analog output
// and sensor calibration dialogs: input values in column 0, outputs in
// column 1, one point per row. Messages go through the prompter: cell
// checks titled with the dialog's caption, table rules with this frame's
// own windowTitle (empty unless a host sets it).
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

  void ShowPoints(const TablePoint* points, int count);
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

 signals:
  // The focus left the frame for another control of the same window (not
  // during the frame's own checks): hosts run CommitOnExit here unless
  // newFocus is their Cancel button.
  void FrameExit(QWidget* newFocus);
  // A cell's text, a column's type or title, or the row count changed.
  void TableChanged();

 private:
  Prompter& RequirePrompter() const;
  QString OwnerCaption() const;
  // Takes the grid's editor text and cursor into the core model.
  void SyncFromGrid();
  // Shows the core model's texts and puts the grid's cursor on its cell.
  void SyncToGrid(bool openEditor);
  bool Check(const std::function<bool()>& rule);
  void FocusChanged(QWidget* old, QWidget* now);

  Prompter* prompter_ = nullptr;
  Table2DModel table_;
  Table2DItemModel* itemModel_ = nullptr;
  TableCellDelegate* delegate_ = nullptr;
  TStringGridTable* grid_ = nullptr;
  bool checking_ = false;
};
