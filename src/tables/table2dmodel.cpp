#include "tables/table2dmodel.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/prompter.h"
#include "platform/qvaerrors.h"
#include "ui/validators.h"

namespace {

constexpr int kColumns = 2;
constexpr int kInputColumn = 0;
constexpr int kOutputColumn = 1;

const QString kEmptyText;

}  // namespace

TextGridRules::TextGridRules(int columns, int rows, CellText cellText)
    : columns_(columns), rows_(rows), cellText_(std::move(cellText)) {}

bool TextGridRules::IsCellBlank(int column, int row) const {
  return cellText_(column, row).trimmed().isEmpty();
}

bool TextGridRules::IsRowBlank(int row) const {
  for (int column = 0; column < columns_; ++column) {
    if (!IsCellBlank(column, row)) return false;
  }
  return true;
}

bool TextGridRules::IsColumnBlank(int column) const {
  for (int row = 0; row < rows_; ++row) {
    if (!IsCellBlank(column, row)) return false;
  }
  return true;
}

int TextGridRules::FirstBlankColumn(int row) const {
  for (int column = 0; column < columns_; ++column) {
    if (row < 0 ? IsColumnBlank(column) : IsCellBlank(column, row)) return column;
  }
  return -1;
}

Table2DModel::Table2DModel(int rows) {
  Setup(rows, PlainNumberType, PlainNumberType);
}

void Table2DModel::Setup(int rows, const ValueType& inputType, const ValueType& outputType) {
  cells_.resize(static_cast<std::size_t>(std::max(rows, 1)));
  types_[kInputColumn] = inputType;
  types_[kOutputColumn] = outputType;
  SetCurrent(current_);
}

bool Table2DModel::InRange(int column, int row) const {
  return column >= 0 && column < kColumns && row >= 0 && row < RowCount();
}

const QString& Table2DModel::Cell(int column, int row) const {
  if (!InRange(column, row)) return kEmptyText;
  return cells_[static_cast<std::size_t>(row)].text[column];
}

void Table2DModel::SetCell(int column, int row, const QString& text) {
  if (InRange(column, row)) cells_[static_cast<std::size_t>(row)].text[column] = text;
}

const ValueType& Table2DModel::ColumnType(int column) const {
  return types_[column == kOutputColumn ? kOutputColumn : kInputColumn];
}

void Table2DModel::SetCurrent(TableCell cell) {
  current_.column = std::clamp(cell.column, 0, kColumns - 1);
  current_.row = std::clamp(cell.row, 0, RowCount() - 1);
}

TextGridRules Table2DModel::Rules() const {
  return TextGridRules(kColumns, RowCount(), [this](int column, int row) { return Cell(column, row); });
}

bool Table2DModel::IsCellBlank(int column, int row) const {
  return Rules().IsCellBlank(column, row);
}

bool Table2DModel::IsRowBlank(int row) const {
  return Rules().IsRowBlank(row);
}

bool Table2DModel::IsColumnBlank(int column) const {
  return Rules().IsColumnBlank(column);
}

int Table2DModel::FirstBlankColumn(int row) const {
  return Rules().FirstBlankColumn(row);
}

void Table2DModel::ExchangeRows(int a, int b) {
  if (!InRange(0, a) || !InRange(0, b) || a == b) return;
  std::swap(cells_[static_cast<std::size_t>(a)], cells_[static_cast<std::size_t>(b)]);
}

void Table2DModel::Clear() {
  for (Row& row : cells_) {
    row.text[0].clear();
    row.text[1].clear();
  }
}

void Table2DModel::ShowPoints(const TablePoint* points, int count) {
  current_ = TableCell{};
  Clear();
  // A count read from a file or the device may exceed the table: never
  // read or show more points than there are rows.
  const int shown = std::clamp(count, 0, RowCount());
  for (int i = 0; i < shown && points != nullptr; ++i) {
    cells_[static_cast<std::size_t>(i)].text[kInputColumn] =
        FormatValue16(types_[kInputColumn], points[i].x, false);
    cells_[static_cast<std::size_t>(i)].text[kOutputColumn] =
        FormatValue16(types_[kOutputColumn], points[i].y, false);
  }
}

std::optional<int16_t> Table2DModel::CellValue(int column, int row) const {
  if (IsCellBlank(column, row)) return std::nullopt;
  try {
    return ParseValue16(ColumnType(column), Cell(column, row));
  } catch (const Exception&) {
    return std::nullopt;
  }
}

std::optional<int> Table2DModel::FirstHalfFilledRow() const {
  for (int row = 0; row < RowCount(); ++row) {
    if (IsCellBlank(kInputColumn, row) != IsCellBlank(kOutputColumn, row)) return row;
  }
  return std::nullopt;
}

bool Table2DModel::CheckCells(Prompter& prompter, const QString& ownerCaption) {
  for (int row = 0; row < RowCount(); ++row) {
    for (int column = 0; column < kColumns; ++column) {
      if (IsCellBlank(column, row)) continue;
      QString text = Cell(column, row).trimmed();
      if (!ValidateScaledText(prompter, text, std::numeric_limits<int16_t>::min(),
                              std::numeric_limits<int16_t>::max(), QStringLiteral("Row %1").arg(row + 1),
                              ownerCaption, ColumnType(column), false)) {
        SetCurrent({column, row});
        return false;
      }
      SetCell(column, row, text);
    }
  }
  return true;
}

bool Table2DModel::CheckBlankHalves(Prompter& prompter, const QString& frameCaption) {
  const std::optional<int> row = FirstHalfFilledRow();
  if (!row) return true;
  ShowInformation(prompter, kBlankHalfMessage, frameCaption);
  SetCurrent({FirstBlankColumn(*row), *row});
  return false;
}

void Table2DModel::SortByInput() {
  if (FirstHalfFilledRow()) return;
  std::vector<std::optional<int16_t>> inputs;
  inputs.reserve(cells_.size());
  for (int row = 0; row < RowCount(); ++row) inputs.push_back(CellValue(kInputColumn, row));

  int currentRow = current_.row;
  for (int a = 0; a + 1 < RowCount(); ++a) {
    std::optional<int> candidate;
    if (inputs[static_cast<std::size_t>(a)]) candidate = a;
    for (int b = a + 1; b < RowCount(); ++b) {
      const auto& value = inputs[static_cast<std::size_t>(b)];
      if (!value) continue;
      if (!candidate || *value < *inputs[static_cast<std::size_t>(*candidate)]) candidate = b;
    }
    if (!candidate || *candidate == a) continue;
    ExchangeRows(a, *candidate);
    std::swap(inputs[static_cast<std::size_t>(a)], inputs[static_cast<std::size_t>(*candidate)]);
    if (currentRow == a) {
      currentRow = *candidate;
    } else if (currentRow == *candidate) {
      currentRow = a;
    }
  }
  SetCurrent({current_.column, currentRow});
}

bool Table2DModel::CheckDuplicateInputs(Prompter& prompter, const QString& frameCaption) {
  for (int row = 0; row + 1 < RowCount(); ++row) {
    if (IsRowBlank(row) || IsRowBlank(row + 1)) continue;
    const auto upper = CellValue(kInputColumn, row);
    const auto lower = CellValue(kInputColumn, row + 1);
    if (upper && lower && *upper == *lower) {
      ShowInformation(prompter, kDuplicateInputMessage, frameCaption);
      SetCurrent({kInputColumn, row});
      return false;
    }
  }
  return true;
}

bool Table2DModel::CheckMonotonicOutputs(Prompter& prompter, const QString& frameCaption) {
  enum class Direction { Unknown, Up, Down };
  Direction direction = Direction::Unknown;
  for (int row = 0; row + 1 < RowCount(); ++row) {
    if (IsRowBlank(row) || IsRowBlank(row + 1)) continue;
    const auto upper = CellValue(kOutputColumn, row);
    const auto lower = CellValue(kOutputColumn, row + 1);
    if (!upper || !lower || *upper == *lower) continue;
    const Direction step = *lower < *upper ? Direction::Down : Direction::Up;
    if (direction == Direction::Unknown) {
      direction = step;
    } else if (step != direction) {
      ShowInformation(prompter, kMonotonicMessage, frameCaption);
      SetCurrent({kOutputColumn, row + 1});
      return false;
    }
  }
  return true;
}

bool Table2DModel::ValidateTable(Prompter& prompter, const QString& ownerCaption,
                                 const QString& frameCaption) {
  if (!CheckCells(prompter, ownerCaption)) return false;
  if (!CheckBlankHalves(prompter, frameCaption)) return false;
  SortByInput();
  if (!CheckDuplicateInputs(prompter, frameCaption)) return false;
  return CheckMonotonicOutputs(prompter, frameCaption);
}

bool Table2DModel::ReadPoints(Prompter& prompter, const QString& ownerCaption, const QString& frameCaption,
                              TablePoint* points, int capacity, int& count) {
  if (!ValidateTable(prompter, ownerCaption, frameCaption)) return false;
  const auto read = FullRowPoints(capacity);
  if (!read) return false;  // cannot happen after CheckCells; never store a guess
  std::copy(read->begin(), read->end(), points);
  count = static_cast<int>(read->size());
  return true;
}

std::optional<std::vector<TablePoint>> Table2DModel::FullRowPoints(int capacity) const {
  std::vector<TablePoint> read;
  for (int row = 0; row < RowCount() && static_cast<int>(read.size()) < capacity; ++row) {
    if (IsCellBlank(kInputColumn, row) || IsCellBlank(kOutputColumn, row)) continue;
    const auto x = CellValue(kInputColumn, row);
    const auto y = CellValue(kOutputColumn, row);
    if (!x || !y) return std::nullopt;
    read.push_back({*x, *y});
  }
  return read;
}

bool Table2DModel::CommitOnExit(Prompter& prompter, const QString& ownerCaption) {
  if (!CheckCells(prompter, ownerCaption)) return false;
  SortByInput();
  return true;
}

void Table2DModel::ChangeColumnFormat(int column, const ValueType& type) {
  if (column != kInputColumn && column != kOutputColumn) return;
  if (SameValueType(types_[column], type)) return;
  for (int row = 0; row < RowCount(); ++row) {
    if (IsCellBlank(column, row)) continue;
    try {
      const int16_t raw = ParseValue16(types_[column], Cell(column, row));
      SetCell(column, row, FormatValue16(type, raw, false));
    } catch (const Exception&) {
      // Left as typed: the cell check will point the user at it.
    }
  }
  types_[column] = type;
}
