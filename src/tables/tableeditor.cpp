#include "tables/tableeditor.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include <QRegularExpression>

#include "platform/qvaerrors.h"
#include "tables/tableclipboard.h"
#include "ui/validators.h"

namespace {

constexpr int kColumns = 2;
constexpr int kInputColumn = 0;
constexpr int kOutputColumn = 1;
constexpr int64_t kLowestRaw = std::numeric_limits<int16_t>::min();
constexpr int64_t kHighestRaw = std::numeric_limits<int16_t>::max();
// A factor keeps at most this many decimals, so that raw * mantissa stays
// far inside 64 bits.
constexpr int kMaxFactorDecimals = 9;
constexpr int kMaxFactorDigits = 15;

// Rounds numerator / denominator (denominator > 0) half away from zero.
int64_t DivideRounded(int64_t numerator, int64_t denominator) {
  const int64_t half = denominator / 2;
  return numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator);
}

int64_t PowerOfTen(int exponent) {
  int64_t value = 1;
  for (int i = 0; i < exponent; ++i) value *= 10;
  return value;
}

// A factor as mantissa / 10^decimals, typed with the locale's decimal
// separator or a point.
struct Factor {
  int64_t mantissa = 1;
  int decimals = 0;
};

std::optional<Factor> ParseFactor(const QString& typed) {
  const QString text = typed.trimmed();
  if (text.isEmpty()) return Factor{};
  const QString decimal = QRegularExpression::escape(QLocale().decimalPoint());
  const QRegularExpression pattern(QStringLiteral("^([+-]?)(\\d*)(?:(?:") + decimal +
                                   QStringLiteral("|\\.)(\\d*))?$"));
  const QRegularExpressionMatch match = pattern.match(text);
  const QString digits = match.captured(2) + match.captured(3);
  if (!match.hasMatch() || digits.isEmpty() || match.capturedLength(3) > kMaxFactorDecimals ||
      digits.size() > kMaxFactorDigits)
    return std::nullopt;
  Factor factor;
  factor.mantissa = digits.toLongLong() * (match.captured(1) == QStringLiteral("-") ? -1 : 1);
  factor.decimals = static_cast<int>(match.capturedLength(3));
  return factor;
}

// The text of a raw value of the type even beyond 16 bits, for the range
// message of a result that does not fit.
QString WideText(const ValueType& type, int64_t raw) {
  if (raw >= kLowestRaw && raw <= kHighestRaw) return FormatValue16(type, static_cast<int16_t>(raw), false);
  const int exponent = type.rawExponent + type.unit.exponent;
  QString digits = QString::number(raw < 0 ? -raw : raw);
  if (exponent < 0) {
    const int decimals = -exponent;
    if (digits.size() < decimals + 1) digits = QString(decimals + 1 - digits.size(), QLatin1Char('0')) + digits;
    digits.insert(digits.size() - decimals, QLocale().decimalPoint());
  } else {
    digits += QString(exponent, QLatin1Char('0'));
  }
  return raw < 0 ? QStringLiteral("-") + digits : digits;
}

QString RangeMessage(const ValueType& type, int64_t raw, int row) {
  return NotValidEntryLine(WideText(type, raw), QStringLiteral("Row %1").arg(row + 1)) + QLatin1Char('\n') +
         ScaledRangeLine(type, static_cast<int16_t>(kLowestRaw), static_cast<int16_t>(kHighestRaw));
}

// A text written under one type, rewritten under another with the same raw
// value; left as it is when it does not convert.
QString Converted(const QString& text, const ValueType& from, const ValueType& to) {
  if (text.trimmed().isEmpty() || SameValueType(from, to)) return text;
  try {
    return FormatValue16(to, ParseValue16(from, text), false);
  } catch (const Exception&) {
    return text;
  }
}

std::optional<int16_t> RawOf(const QString& text, const ValueType& type) {
  if (text.trimmed().isEmpty()) return std::nullopt;
  try {
    return ParseValue16(type, text);
  } catch (const Exception&) {
    return std::nullopt;
  }
}

}  // namespace

TableEditor::TableEditor(Table2DModel& table) : table_(table) {
  Restart();
}

void TableEditor::Select(const TableRange& range) {
  selection_ = {std::min(range.top, range.bottom), std::min(range.left, range.right),
                std::max(range.top, range.bottom), std::max(range.left, range.right)};
  ClampSelection();
}

void TableEditor::ClampSelection() {
  const int lastRow = table_.RowCount() - 1;
  selection_.top = std::clamp(selection_.top, 0, lastRow);
  selection_.bottom = std::clamp(selection_.bottom, selection_.top, lastRow);
  selection_.left = std::clamp(selection_.left, 0, kColumns - 1);
  selection_.right = std::clamp(selection_.right, selection_.left, kColumns - 1);
}

TableSnapshot TableEditor::Snapshot() const {
  TableSnapshot snapshot;
  snapshot.texts.reserve(static_cast<std::size_t>(table_.RowCount()));
  for (int row = 0; row < table_.RowCount(); ++row)
    snapshot.texts.push_back({table_.Cell(kInputColumn, row), table_.Cell(kOutputColumn, row)});
  snapshot.types[kInputColumn] = table_.ColumnType(kInputColumn);
  snapshot.types[kOutputColumn] = table_.ColumnType(kOutputColumn);
  snapshot.current = table_.Current();
  return snapshot;
}

void TableEditor::Restore(const TableSnapshot& snapshot) {
  // The decimals or unit of a column may have changed since the snapshot
  // was taken: the raw values come back, shown as the column shows them now.
  for (int row = 0; row < table_.RowCount(); ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const auto index = static_cast<std::size_t>(row);
      const QString text = index < snapshot.texts.size() ? snapshot.texts[index].value(column) : QString();
      table_.SetCell(column, row, Converted(text, snapshot.types[column], table_.ColumnType(column)));
    }
  }
  table_.SetCurrent(snapshot.current);
  selection_ = {table_.Current().row, table_.Current().column, table_.Current().row, table_.Current().column};
}

bool TableEditor::SameTexts(const TableSnapshot& a, const TableSnapshot& b) const {
  return a.texts == b.texts;
}

void TableEditor::Restart() {
  undo_.clear();
  redo_.clear();
  baseline_ = Snapshot();
  ClampSelection();
}

bool TableEditor::AtBaseline() const {
  for (int row = 0; row < table_.RowCount(); ++row) {
    const auto index = static_cast<std::size_t>(row);
    for (int column = 0; column < kColumns; ++column) {
      const QString text = index < baseline_.texts.size() ? baseline_.texts[index].value(column) : QString();
      if (Converted(text, baseline_.types[column], table_.ColumnType(column)) != table_.Cell(column, row))
        return false;
    }
  }
  return true;
}

bool TableEditor::Record(const TableSnapshot& before) {
  if (SameTexts(before, Snapshot())) return false;
  undo_.push_back(before);
  redo_.clear();
  return true;
}

void TableEditor::Amend(const TableSnapshot& before) {
  if (SameTexts(before, Snapshot())) return;
  if (undo_.empty()) undo_.push_back(before);
}

void TableEditor::RecordCheck(const TableSnapshot& before) {
  bool sameValues = true;
  for (int row = 0; row < table_.RowCount() && sameValues; ++row) {
    const auto index = static_cast<std::size_t>(row);
    for (int column = 0; column < kColumns && sameValues; ++column) {
      const QString old = index < before.texts.size() ? before.texts[index].value(column) : QString();
      const QString now = table_.Cell(column, row);
      if (old == now) continue;
      const auto oldRaw = RawOf(old, before.types[column]);
      sameValues = oldRaw && oldRaw == RawOf(now, table_.ColumnType(column));
    }
  }
  if (sameValues) {
    Amend(before);
  } else {
    Record(before);
  }
}

bool TableEditor::StepAcross(std::vector<TableSnapshot>& from, std::vector<TableSnapshot>& to) {
  if (from.empty()) return false;
  to.push_back(Snapshot());
  const TableSnapshot target = from.back();
  from.pop_back();
  Restore(target);
  return true;
}

bool TableEditor::Undo() {
  return StepAcross(undo_, redo_);
}

bool TableEditor::Redo() {
  return StepAcross(redo_, undo_);
}

bool TableEditor::Revert() {
  const TableSnapshot before = Snapshot();
  TableSnapshot target = baseline_;
  target.current = table_.Current();
  Restore(target);
  return Record(before);
}

void TableEditor::TypeCell(int column, int row, const QString& text) {
  const TableSnapshot before = Snapshot();
  table_.SetCell(column, row, text);
  Record(before);
}

void TableEditor::ClearSelection() {
  const TableSnapshot before = Snapshot();
  for (int row = selection_.top; row <= selection_.bottom; ++row) {
    for (int column = selection_.left; column <= selection_.right; ++column) table_.SetCell(column, row, QString());
  }
  Record(before);
}

QString TableEditor::CopySelection() const {
  std::vector<QStringList> rows;
  for (int row = selection_.top; row <= selection_.bottom; ++row) {
    QStringList cells;
    for (int column = selection_.left; column <= selection_.right; ++column)
      cells.append(table_.Cell(column, row).trimmed());
    rows.push_back(cells);
  }
  return FormatClipboardBlock(rows);
}

QString TableEditor::CutSelection() {
  const QString text = CopySelection();
  ClearSelection();
  return text;
}

std::optional<QString> TableEditor::Paste(const QString& text, const QLocale& locale) {
  QString refusal;
  const std::optional<ClipboardBlock> block = ParseClipboardBlock(text, locale, refusal);
  if (!block) return refusal;
  const int rows = static_cast<int>(block->rows.size());
  const int columns = block->Columns();
  const TableSnapshot before = Snapshot();
  if (rows == 1 && columns == 1) {
    const QString value = block->rows.front().value(0);
    for (int row = selection_.top; row <= selection_.bottom; ++row) {
      for (int column = selection_.left; column <= selection_.right; ++column) table_.SetCell(column, row, value);
    }
    table_.SetCurrent({selection_.left, selection_.top});
    Record(before);
    return std::nullopt;
  }
  const int top = selection_.top;
  const int left = selection_.left;
  if (left + columns > kColumns) {
    return QStringLiteral("The clipboard holds %1 columns, but the table has only %2 from the selected cell.\nNothing was pasted.")
        .arg(columns)
        .arg(kColumns - left);
  }
  if (top + rows > table_.RowCount()) {
    return QStringLiteral("The clipboard holds %1 rows, but the table has only %2 from row %3.\nNothing was pasted.")
        .arg(rows)
        .arg(table_.RowCount() - top)
        .arg(top + 1);
  }
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c)
      table_.SetCell(left + c, top + r, block->rows[static_cast<std::size_t>(r)].value(c));
  }
  selection_ = {top, left, top + rows - 1, left + columns - 1};
  table_.SetCurrent({left, top});
  Record(before);
  return std::nullopt;
}

std::optional<QString> TableEditor::InsertRow() {
  const int last = table_.RowCount() - 1;
  if (!table_.IsRowBlank(last)) {
    return QStringLiteral("The last row of the table holds a value, so no row can be inserted.\nDelete or clear a row at the end first.");
  }
  const TableSnapshot before = Snapshot();
  const int at = table_.Current().row;
  for (int row = last; row > at; --row) table_.ExchangeRows(row, row - 1);
  table_.SetCell(kInputColumn, at, QString());
  table_.SetCell(kOutputColumn, at, QString());
  selection_ = {at, table_.Current().column, at, table_.Current().column};
  Record(before);
  return std::nullopt;
}

void TableEditor::DeleteRows() {
  const TableSnapshot before = Snapshot();
  const int count = selection_.Rows();
  const int last = table_.RowCount() - 1;
  for (int row = selection_.top; row <= last; ++row) {
    const int from = row + count;
    table_.SetCell(kInputColumn, row, from <= last ? table_.Cell(kInputColumn, from) : QString());
    table_.SetCell(kOutputColumn, row, from <= last ? table_.Cell(kOutputColumn, from) : QString());
  }
  table_.SetCurrent({table_.Current().column, selection_.top});
  selection_ = {selection_.top, table_.Current().column, selection_.top, table_.Current().column};
  Record(before);
}

std::optional<QString> TableEditor::Interpolate() {
  if (selection_.Rows() < 3)
    return QStringLiteral("Select three or more rows to interpolate.\nThe outputs between the first and the last selected row are set on the line between them.");
  const int first = selection_.top;
  const int last = selection_.bottom;
  const auto x1 = table_.CellValue(kInputColumn, first);
  const auto y1 = table_.CellValue(kOutputColumn, first);
  const auto x2 = table_.CellValue(kInputColumn, last);
  const auto y2 = table_.CellValue(kOutputColumn, last);
  if (!x1 || !y1 || !x2 || !y2)
    return QStringLiteral("The first and the last selected row must both hold a point to interpolate between.");
  if (*x1 == *x2)
    return QStringLiteral("The first and the last selected row have the same input: there is no line between them.");
  std::vector<std::pair<int, int16_t>> results;
  for (int row = first + 1; row < last; ++row) {
    const auto x = table_.CellValue(kInputColumn, row);
    if (!x || !table_.CellValue(kOutputColumn, row)) continue;
    int64_t numerator = (int64_t{*y2} - *y1) * (int64_t{*x} - *x1);
    int64_t denominator = int64_t{*x2} - *x1;
    if (denominator < 0) {
      numerator = -numerator;
      denominator = -denominator;
    }
    const int64_t y = *y1 + DivideRounded(numerator, denominator);
    if (y < kLowestRaw || y > kHighestRaw) return RangeMessage(table_.ColumnType(kOutputColumn), y, row);
    results.emplace_back(row, static_cast<int16_t>(y));
  }
  const TableSnapshot before = Snapshot();
  for (const auto& [row, y] : results)
    table_.SetCell(kOutputColumn, row, FormatValue16(table_.ColumnType(kOutputColumn), y, false));
  Record(before);
  return std::nullopt;
}

std::optional<QString> TableEditor::Compute(const QString& factorText, const QString& offsetText,
                                            std::vector<Adjusted>& results) const {
  const std::optional<Factor> factor = ParseFactor(factorText);
  if (!factor) return NotValidEntryLine(factorText.trimmed(), QStringLiteral("the factor")) + QStringLiteral("\nPlease enter a number such as 1.5 or -2.");
  const int64_t scale = PowerOfTen(factor->decimals);
  for (int column = selection_.left; column <= selection_.right; ++column) {
    const ValueType& type = table_.ColumnType(column);
    int64_t offset = 0;
    if (!offsetText.trimmed().isEmpty()) {
      try {
        offset = ParseValue16(type, offsetText);
      } catch (const Exception&) {
        return NotValidEntryLine(offsetText.trimmed(), QStringLiteral("the offset")) + QLatin1Char('\n') +
               ScaledRangeLine(type, static_cast<int16_t>(kLowestRaw), static_cast<int16_t>(kHighestRaw));
      }
    }
    for (int row = selection_.top; row <= selection_.bottom; ++row) {
      if (table_.IsCellBlank(column, row)) continue;
      const auto raw = table_.CellValue(column, row);
      if (!raw) continue;  // left for the cell check to point out
      const int64_t result = DivideRounded(int64_t{*raw} * factor->mantissa, scale) + offset;
      if (result < kLowestRaw || result > kHighestRaw) return RangeMessage(type, result, row);
      results.push_back({column, row, FormatValue16(type, static_cast<int16_t>(result), false)});
    }
  }
  return std::nullopt;
}

std::optional<QString> TableEditor::AdjustPreview(const QString& factor, const QString& offset, QString& first,
                                                  QString& last) const {
  std::vector<Adjusted> results;
  if (auto refusal = Compute(factor, offset, results)) return refusal;
  first = results.empty() ? QString() : results.front().text;
  last = results.empty() ? QString() : results.back().text;
  return std::nullopt;
}

std::optional<QString> TableEditor::Adjust(const QString& factor, const QString& offset) {
  std::vector<Adjusted> results;
  if (auto refusal = Compute(factor, offset, results)) return refusal;
  const TableSnapshot before = Snapshot();
  for (const Adjusted& result : results) table_.SetCell(result.column, result.row, result.text);
  Record(before);
  return std::nullopt;
}
