#pragma once

#include <cstdint>

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QRect>
#include <QRectF>

#include "tables/curvedata.h"

// How a table's curve is drawn: the curve view beside a table frame and the
// printed setup sheet both draw with it, so the two always agree.

// The space between the rectangle's edge and what is drawn in it.
constexpr int kCurvePadding = 5;

// Where the plot of a curve lies inside its rectangle and the axes that fit it.
struct CurveLayout {
  QRect area;
  QRectF plot;
  CurveAxis x;
  CurveAxis y;
};

// Positions of raw values inside the plot rectangle of a layout. It holds
// references to the axes: the layout must outlive it.
class CurvePlotMapping {
 public:
  CurvePlotMapping(const QRectF& plot, const CurveAxis& x, const CurveAxis& y) : plot_(plot), x_(x), y_(y) {}
  qreal X(int64_t raw) const { return plot_.left() + Fraction(raw, x_) * plot_.width(); }
  qreal Y(int64_t raw) const { return plot_.bottom() - Fraction(raw, y_) * plot_.height(); }
  // The raw output at a height, rounded to the raw step.
  int64_t RawAtY(qreal y) const {
    if (plot_.height() <= 0) return y_.low;
    const qreal fraction = (plot_.bottom() - y) / plot_.height();
    return y_.low + qRound64(fraction * static_cast<qreal>(y_.high - y_.low));
  }
  QPointF Point(const TablePoint& point) const { return {X(point.x), Y(point.y)}; }

 private:
  static qreal Fraction(int64_t raw, const CurveAxis& axis) {
    const int64_t span = axis.high - axis.low;
    return span > 0 ? static_cast<qreal>(raw - axis.low) / static_cast<qreal>(span) : 0.5;
  }
  QRectF plot_;
  const CurveAxis& x_;
  const CurveAxis& y_;
};

// The plot rectangle inside `contents` and the axes that fit it, for text
// of these metrics: output ticks first, since their labels set the left
// margin, then as many input ticks as their labels leave room for.
CurveLayout LayOutCurve(const TableCurve& curve, const QRect& contents, const QFontMetrics& metrics);

// The radius of a point's marker for a text line height.
qreal CurveMarkerRadius(int lineHeight);

// A light grid at the ticks, tick labels in the columns' value types, the
// axis titles, and the points joined in input order (dashed in orange when
// the table could not be stored); the point of currentRow (a grid row; -1
// for none) larger and filled. The painter's state is left as it was.
void PaintTableCurve(QPainter& painter, const TableCurve& curve, const CurveLayout& layout,
                     const QPalette& palette, const QFontMetrics& metrics, int currentRow);
// The same, laid out in `area` with the painter's font.
void PaintTableCurve(QPainter& painter, const TableCurve& curve, const QRect& area, const QPalette& palette);
