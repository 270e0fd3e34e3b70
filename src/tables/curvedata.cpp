#include "tables/curvedata.h"

#include <algorithm>
#include <array>
#include <limits>
#include <tuple>
#include <utility>

#include <QRegularExpression>

#include "platform/prompter.h"
#include "platform/qvaerrors.h"

namespace {

constexpr int kInputColumn = 0;
constexpr int kOutputColumn = 1;
// Fewer ticks than this cannot span a range that crosses zero.
constexpr int kMinTicks = 3;
// An empty axis spans ten display units, at most this many raw steps.
constexpr int kDefaultDisplayUnits = 10;
constexpr int64_t kMaxDefaultSpan = 10000;
// Steps up to this size cover any span of 16-bit values.
constexpr int64_t kMaxStep = 1000000;
constexpr std::array<int64_t, 3> kStepFactors = {1, 2, 5};
// A single value is shown with a tenth of its size either side.
constexpr int64_t kSingleValuePadDivisor = 10;
constexpr int64_t kLowestRaw = std::numeric_limits<int16_t>::min();
constexpr int64_t kHighestRaw = std::numeric_limits<int16_t>::max();

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t quotient = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
}

int64_t CeilDiv(int64_t a, int64_t b) {
  return -FloorDiv(-a, b);
}

int64_t PowerOfTen(int exponent) {
  int64_t value = 1;
  for (int i = 0; i < exponent && value < kMaxStep; ++i) value *= 10;
  return value;
}

// Where the decimal point of the type's text stands: raw r reads r * 10^i.
int DisplayExponent(const ValueType& type) {
  return type.rawExponent + type.unit.exponent;
}

int64_t DefaultSpan(const ValueType& type) {
  const int64_t unitRaw = PowerOfTen(std::max(0, -DisplayExponent(type)));
  return std::min(unitRaw * kDefaultDisplayUnits, kMaxDefaultSpan);
}

int64_t SingleValuePad(int64_t value, const ValueType& type) {
  if (value == 0) return DefaultSpan(type) / kDefaultDisplayUnits;
  return std::max<int64_t>(1, (value < 0 ? -value : value) / kSingleValuePadDivisor);
}

int TrailingZeros(int64_t step) {
  int zeros = 0;
  for (; step % 10 == 0; step /= 10) ++zeros;
  return zeros;
}

// The ends of an axis over low..high: whole steps beyond them, but never
// past the 16-bit range, where no value can lie.
std::pair<int64_t, int64_t> AxisEnds(int64_t low, int64_t high, int64_t step) {
  return {std::max(FloorDiv(low, step) * step, kLowestRaw),
          std::min(CeilDiv(high, step) * step, kHighestRaw)};
}

int64_t TickCount(int64_t low, int64_t high, int64_t step) {
  const auto [first, last] = AxisEnds(low, high, step);
  return FloorDiv(last, step) - CeilDiv(first, step) + 1;
}

// The smallest step of 1, 2 or 5 times a power of ten that puts at most
// maxTicks ticks on the axis.
int64_t RoundStep(int64_t low, int64_t high, int maxTicks) {
  for (int64_t power = 1; power < kMaxStep; power *= 10) {
    for (const int64_t factor : kStepFactors) {
      const int64_t step = factor * power;
      if (TickCount(low, high, step) <= maxTicks) return step;
    }
  }
  return kMaxStep;
}

// The type's text of a tick without the decimals that are zero on every
// tick of the step (2.000 mA ticks two apart read 2).
QString TickLabel(const ValueType& type, int16_t raw, int64_t step) {
  QString text;
  try {
    text = FormatValue16(type, raw, false);
  } catch (const Exception&) {
    return QString::number(raw);
  }
  const QString separator = DecimalSeparator();
  const qsizetype point = text.lastIndexOf(separator);
  if (separator.isEmpty() || point < 0) return text;
  qsizetype drop = std::min<qsizetype>(TrailingZeros(step), text.size() - point - separator.size());
  for (; drop > 0 && text.endsWith(QLatin1Char('0')); --drop) text.chop(1);
  if (text.endsWith(separator)) text.chop(separator.size());
  return text;
}

std::vector<int16_t> Column(const std::vector<TablePoint>& points, int column) {
  std::vector<int16_t> values;
  values.reserve(points.size());
  for (const TablePoint& point : points) values.push_back(column == kInputColumn ? point.x : point.y);
  return values;
}

// The row of each point: the first row not yet taken that holds it.
std::vector<int> RowsOfPoints(const Table2DModel& table, const std::vector<TablePoint>& points) {
  std::vector<bool> taken(static_cast<std::size_t>(table.RowCount()), false);
  std::vector<int> rows;
  for (const TablePoint& point : points) {
    int found = -1;
    for (int row = 0; row < table.RowCount() && found < 0; ++row) {
      if (taken[static_cast<std::size_t>(row)]) continue;
      if (table.CellValue(kInputColumn, row) == point.x && table.CellValue(kOutputColumn, row) == point.y)
        found = row;
    }
    if (found >= 0) taken[static_cast<std::size_t>(found)] = true;
    rows.push_back(found);
  }
  return rows;
}

}  // namespace

TableCurve TableCurve::FromTable(const Table2DModel& table, const QString& inputTitle,
                                 const QString& outputTitle) {
  TableCurve curve;
  curve.inputType_ = table.ColumnType(kInputColumn);
  curve.outputType_ = table.ColumnType(kOutputColumn);
  curve.inputTitle_ = CurveAxisTitle(inputTitle, curve.inputType_);
  curve.outputTitle_ = CurveAxisTitle(outputTitle, curve.outputType_);

  // Rows still being typed are left out; what remains goes through the
  // same ReadPoints as a Store.
  Table2DModel rows = table;
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (rows.CellValue(kInputColumn, row) && rows.CellValue(kOutputColumn, row)) continue;
    rows.SetCell(kInputColumn, row, QString());
    rows.SetCell(kOutputColumn, row, QString());
  }
  // The rules' notices belong to the user's Store, not to every keystroke.
  SilentPrompter quiet;
  std::vector<TablePoint> read(kMaxTablePoints);
  int count = 0;
  if (rows.ReadPoints(quiet, QString(), QString(), read.data(), kMaxTablePoints, count)) {
    read.resize(static_cast<std::size_t>(count));
    curve.points_ = std::move(read);
  } else {
    curve.storable_ = false;
    rows.SortByInput();
    curve.points_ = rows.FullRowPoints(kMaxTablePoints).value_or(std::vector<TablePoint>());
  }
  curve.rows_ = RowsOfPoints(table, curve.points_);
  return curve;
}

int16_t TableCurve::DraggedOutput(std::size_t point, int64_t wanted) const {
  int64_t low = kLowestRaw;
  int64_t high = kHighestRaw;
  if (storable_ && point < points_.size()) {
    // The direction the other points run in; a point between two others
    // stays between them whatever it is.
    int direction = 0;
    for (std::size_t i = 0; i + 1 < points_.size() && direction == 0; ++i) {
      if (i == point || i + 1 == point) continue;
      if (points_[i].y != points_[i + 1].y) direction = points_[i + 1].y > points_[i].y ? 1 : -1;
    }
    std::vector<int64_t> bounds;
    if (point > 0) bounds.push_back(points_[point - 1].y);
    if (point + 1 < points_.size()) bounds.push_back(points_[point + 1].y);
    if (bounds.size() == 2) {
      low = std::min(bounds[0], bounds[1]);
      high = std::max(bounds[0], bounds[1]);
    } else if (bounds.size() == 1 && direction != 0) {
      const bool neighbourAbove = (point == 0) == (direction > 0);
      (neighbourAbove ? high : low) = bounds[0];
    }
  }
  return static_cast<int16_t>(std::clamp(wanted, low, high));
}

CurveAxis TableCurve::InputAxis(int maxTicks) const {
  return MakeCurveAxis(Column(points_, kInputColumn), inputType_, maxTicks);
}

CurveAxis TableCurve::OutputAxis(int maxTicks) const {
  return MakeCurveAxis(Column(points_, kOutputColumn), outputType_, maxTicks);
}

CurveAxis MakeCurveAxis(const std::vector<int16_t>& values, const ValueType& type, int maxTicks) {
  int64_t low = 0;
  int64_t high = DefaultSpan(type);
  if (!values.empty()) {
    const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
    low = *lowest;
    high = *highest;
    if (low == high) {
      const int64_t pad = SingleValuePad(low, type);
      low = std::max(low - pad, kLowestRaw);
      high = std::min(high + pad, kHighestRaw);
    }
  }
  const int64_t step = RoundStep(low, high, std::max(maxTicks, kMinTicks));
  CurveAxis axis;
  std::tie(axis.low, axis.high) = AxisEnds(low, high, step);
  for (int64_t raw = CeilDiv(axis.low, step) * step; raw <= axis.high; raw += step) {
    const auto tick = static_cast<int16_t>(raw);
    axis.ticks.push_back({tick, TickLabel(type, tick, step)});
  }
  return axis;
}

QString CurveAxisTitle(const QString& columnTitle, const ValueType& type) {
  const QString title = columnTitle.trimmed();
  const QString caption = UnitCaption(type, true);
  if (title.isEmpty()) return caption;
  const QString abbreviation = UnitAbbreviation(type);
  static const QRegularExpression kWordBreaks(QStringLiteral("[\\s()\\[\\]/,]+"));
  if (abbreviation.isEmpty() || title.split(kWordBreaks).contains(abbreviation)) return title;
  return title + QLatin1Char(' ') + caption;
}
