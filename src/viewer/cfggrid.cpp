#include "viewer/cfggrid.h"

int TCfgGrid::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TCfgGrid::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

const TCfgGrid::Cell* TCfgGrid::At(int column, int row) const {
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return nullptr;
  return &cells_[static_cast<std::size_t>(row) * columns_ + column];
}

QVariant TCfgGrid::data(const QModelIndex& index, int role) const {
  const Cell* cell = At(index.column(), index.row());
  if (cell == nullptr) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return cell->text;
    case kFixedRole:
      return IsFixed(index.column(), index.row());
    case kDescriptorRole:
      return QVariant::fromValue(cell->descriptor);
    default:
      return QVariant();
  }
}

bool TCfgGrid::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || At(index.column(), index.row()) == nullptr) return false;
  SetCell(index.column(), index.row(), value.toString(), Descriptor(index.column(), index.row()));
  return true;
}

Qt::ItemFlags TCfgGrid::flags(const QModelIndex& index) const {
  const Cell* cell = At(index.column(), index.row());
  if (cell == nullptr) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled;
  if (IsFixed(index.column(), index.row())) return flags;
  flags |= Qt::ItemIsSelectable;
  // Only value cells open an editor: names and blanks stay read-only.
  if (page_.editing && cell->descriptor != 0) flags |= Qt::ItemIsEditable;
  return flags;
}

void TCfgGrid::ClearCells() {
  for (Cell& cell : cells_) cell = Cell();
  if (rows_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
}

void TCfgGrid::SetSize(int columns, int rows) {
  columns = std::max(columns, 1);
  rows = std::max(rows, 1);
  if (columns == columns_ && rows == rows_) return;
  beginResetModel();
  std::vector<Cell> cells(static_cast<std::size_t>(columns) * rows);
  for (int row = 0; row < std::min(rows, rows_); ++row) {
    for (int column = 0; column < std::min(columns, columns_); ++column)
      cells[static_cast<std::size_t>(row) * columns + column] = *At(column, row);
  }
  cells_ = std::move(cells);
  columns_ = columns;
  rows_ = rows;
  endResetModel();
}

void TCfgGrid::SetCell(int column, int row, const QString& text, CellDescriptor descriptor) {
  if (At(column, row) == nullptr) return;
  cells_[static_cast<std::size_t>(row) * columns_ + column] = {text, descriptor};
  const QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed);
}

QString TCfgGrid::Text(int column, int row) const {
  const Cell* cell = At(column, row);
  return cell != nullptr ? cell->text : QString();
}

CellDescriptor TCfgGrid::Descriptor(int column, int row) const {
  const Cell* cell = At(column, row);
  return cell != nullptr ? cell->descriptor : 0;
}

bool TCfgGrid::IsFixed(int column, int row) const {
  return column < page_.fixedColumns || row < page_.fixedRows;
}

void TCfgGrid::PageReady() {
  beginResetModel();
  endResetModel();
}
