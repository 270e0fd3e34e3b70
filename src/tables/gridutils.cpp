#include "tables/gridutils.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>

#include "tables/table2dmodel.h"

namespace {

constexpr int kReferencePixelsPerInch = 96;

// The table model's blank rules over the model's display texts.
TextGridRules RulesOf(const QAbstractItemModel* model) {
  return TextGridRules(model->columnCount(), model->rowCount(), [model](int column, int row) {
    return model->data(model->index(row, column), Qt::EditRole).toString();
  });
}

}  // namespace

void ScaleGridToScreen(QTableView* grid) {
  const int dpi = grid->logicalDpiX();
  if (dpi == kReferencePixelsPerInch || dpi <= 0) return;
  auto scale = [dpi](int size) { return size * dpi / kReferencePixelsPerInch; };
  QHeaderView* columns = grid->horizontalHeader();
  QHeaderView* rows = grid->verticalHeader();
  // Changing a default resets the sections: keep their sizes and restore
  // them scaled.
  QList<int> widths;
  QList<int> heights;
  for (int i = 0; i < columns->count(); ++i) widths.append(columns->sectionSize(i));
  for (int i = 0; i < rows->count(); ++i) heights.append(rows->sectionSize(i));
  columns->setDefaultSectionSize(scale(columns->defaultSectionSize()));
  rows->setDefaultSectionSize(scale(rows->defaultSectionSize()));
  for (int i = 0; i < widths.size(); ++i) columns->resizeSection(i, scale(widths[i]));
  for (int i = 0; i < heights.size(); ++i) rows->resizeSection(i, scale(heights[i]));
}

void StretchLastColumn(QTableView* grid) {
  if (grid->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) return;
  grid->horizontalHeader()->setStretchLastSection(true);
}

void FitGridHeight(QTableView* grid, int visibleRows) {
  int height = grid->horizontalHeader()->isVisible() ? grid->horizontalHeader()->sizeHint().height() : 0;
  for (int row = 0; row < visibleRows && row < grid->model()->rowCount(); ++row)
    height += grid->rowHeight(row);
  grid->setFixedHeight(height + 2 * grid->frameWidth() + 3);
}

void AdjustGridLayout(QTableView* grid, bool fitHeight, int visibleRows) {
  ScaleGridToScreen(grid);
  if (fitHeight) FitGridHeight(grid, visibleRows);
  StretchLastColumn(grid);
}

void HideGridSelection(QTableView* grid) {
  grid->selectionModel()->clearSelection();
  grid->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void SelectFirstCell(QTableView* grid) {
  GoToCell(grid, 0, 0);
}

QLineEdit* GetCellEditor(const QTableView* grid) {
  const QModelIndex current = grid->currentIndex();
  if (!current.isValid()) return nullptr;
  return qobject_cast<QLineEdit*>(grid->indexWidget(current));
}

void StartCellEdit(QTableView* grid) {
  const QModelIndex current = grid->currentIndex();
  if (!current.isValid()) return;
  if (GetCellEditor(grid) == nullptr) grid->edit(current);
  if (QLineEdit* editor = GetCellEditor(grid)) {
    editor->setFocus(Qt::OtherFocusReason);
    editor->selectAll();
  }
}

void CloseCellEditor(QTableView* grid) {
  QLineEdit* editor = GetCellEditor(grid);
  if (editor == nullptr) return;
  QAbstractItemDelegate* delegate = grid->itemDelegate();
  emit delegate->commitData(editor);
  emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void ScrollCellIntoView(QTableView* grid, int column, int row) {
  grid->scrollTo(grid->model()->index(row, column));
}

void GoToCell(QTableView* grid, int column, int row) {
  CloseCellEditor(grid);
  const QModelIndex index = grid->model()->index(row, column);
  if (!index.isValid()) return;
  ScrollCellIntoView(grid, column, row);
  grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void ClearGridCells(QAbstractItemModel* model) {
  for (int row = 0; row < model->rowCount(); ++row) {
    for (int column = 0; column < model->columnCount(); ++column) {
      model->setData(model->index(row, column), QString(), Qt::EditRole);
    }
  }
}

bool IsRowBlank(const QAbstractItemModel* model, int row) {
  return RulesOf(model).IsRowBlank(row);
}

bool IsColumnBlank(const QAbstractItemModel* model, int column) {
  return RulesOf(model).IsColumnBlank(column);
}

int FirstBlankColumn(const QAbstractItemModel* model, int row) {
  return RulesOf(model).FirstBlankColumn(row);
}

void ExchangeRows(QAbstractItemModel* model, int a, int b) {
  for (int column = 0; column < model->columnCount(); ++column) {
    const QVariant first = model->data(model->index(a, column), Qt::EditRole);
    const QVariant second = model->data(model->index(b, column), Qt::EditRole);
    model->setData(model->index(a, column), second, Qt::EditRole);
    model->setData(model->index(b, column), first, Qt::EditRole);
  }
}
