#pragma once

#include <cstdint>
#include <vector>

#include <QString>

#include "config/qvaconfig.h"
#include "tables/table2dmodel.h"
#include "ui/qvavalues.h"

// One labelled mark on a curve axis: a raw value and its text.
struct CurveTick {
  int16_t raw = 0;
  QString label;
  bool operator==(const CurveTick&) const = default;
};

// The raw range an axis spans and its ticks. The ends are whole multiples
// of the tick step, or the ends of the 16-bit range.
struct CurveAxis {
  int64_t low = 0;
  int64_t high = 0;
  std::vector<CurveTick> ticks;
};

// What the curve beside a table shows, computed without widgets from the
// table model: the points that ReadPoints would store, in its order.
//
// Rows still being typed (a half-filled row, a cell that does not parse)
// are left out. When the remaining rows break a table rule (a duplicate
// input, outputs running both ways) ReadPoints would store nothing: the
// points are then the sorted rows and `storable` is false.
class TableCurve {
 public:
  TableCurve() = default;
  static TableCurve FromTable(const Table2DModel& table, const QString& inputTitle,
                              const QString& outputTitle);

  const std::vector<TablePoint>& Points() const { return points_; }
  // The table row each point stands in, point by point.
  const std::vector<int>& Rows() const { return rows_; }
  bool Storable() const { return storable_; }
  const ValueType& InputType() const { return inputType_; }
  const ValueType& OutputType() const { return outputType_; }

  // The output a point dragged towards `wanted` (raw) may take: within 16
  // bits and, while the table can be stored, between its neighbours'
  // outputs, so the outputs keep running one way.
  int16_t DraggedOutput(std::size_t point, int64_t wanted) const;

  // At most maxTicks (2 or more) ticks on round steps of the value type.
  CurveAxis InputAxis(int maxTicks) const;
  CurveAxis OutputAxis(int maxTicks) const;
  const QString& InputTitle() const { return inputTitle_; }
  const QString& OutputTitle() const { return outputTitle_; }

 private:
  std::vector<TablePoint> points_;
  std::vector<int> rows_;
  bool storable_ = true;
  ValueType inputType_ = PlainNumberType;
  ValueType outputType_ = PlainNumberType;
  QString inputTitle_;
  QString outputTitle_;
};

// The axis over raw values shown in `type`: from 0 to ten display units
// when there are none, widened around a single value, ticks on whole steps
// of 1, 2 or 5 times a power of ten raw, tick labels in the type's text form
// with no more decimals than the step needs.
CurveAxis MakeCurveAxis(const std::vector<int16_t>& values, const ValueType& type, int maxTicks);

// The column title, followed by the spaced unit caption when the title
// does not name the unit already; the caption alone for a blank title.
QString CurveAxisTitle(const QString& columnTitle, const ValueType& type);
