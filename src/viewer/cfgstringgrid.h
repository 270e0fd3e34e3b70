#pragma once

#include <functional>

#include <QStyledItemDelegate>
#include <QTableView>

#include "viewer/cfggrid.h"

// The viewer's string grid over a TCfgGrid: fixed cells (names, headers)
// cannot be selected, Enter opens the in-place editor, and every move of the
// current cell is reported after the grid has taken the edited text.
class TCfgStringGrid : public QTableView {
  Q_OBJECT

 public:
  explicit TCfgStringGrid(QWidget* parent = nullptr);

  // The page's settings: column width, row height, scroll bars, enabled.
  void ApplyPage(const TCfgGrid::Page& page);

  // Runs after the current cell moved.
  std::function<void()> CellSelected;

  void setModel(QAbstractItemModel* model) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void resizeEvent(QResizeEvent* event) override;
  void updateGeometries() override;

 private:
  // The width the fixed columns cover at the left of the cells (0 when
  // they scroll with the rest).
  int FixedColumnsWidth() const;
  void PlaceFixedColumns();

  // The fixed columns (the row labels of a table page) drawn again over the
  // left of the cells, so they stay in view when the grid scrolls right.
  QTableView* fixedColumns_ = nullptr;
  int fixedColumnCount_ = 0;
};

// Draws the grid's cells and makes their in-place editors: read-only for
// cells without a value, limited to size - 1 characters for text fields.
// Enter in an editor goes to EnterInEditor instead of the usual close.
class TCfgCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  std::function<void()> EnterInEditor;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;
};
