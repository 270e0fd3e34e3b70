#include "tables/curvepainter.h"

#include <algorithm>

#include <QPainterPath>

namespace {

constexpr int kMaxTicks = 9;
constexpr int kTickGap = 4;
constexpr int kGridAlpha = 55;
constexpr qreal kLineWidth = 1.8;
constexpr qreal kMarkerOutline = 1.4;
constexpr qreal kMinMarkerRadius = 2.5;
constexpr qreal kMarkerRadiusDivisor = 5.0;  // of the text line height
// The point of the grid's current row is drawn larger and filled.
constexpr qreal kCurrentMarkerScale = 1.5;
// A table that breaks a rule (it would not be stored) is drawn dashed in
// this colour.
const QColor kUnstorableColour(200, 95, 20);

int WidestLabel(const CurveAxis& axis, const QFontMetrics& metrics) {
  int widest = 0;
  for (const CurveTick& tick : axis.ticks) widest = std::max(widest, metrics.horizontalAdvance(tick.label));
  return widest;
}

// As many ticks as the labels leave room for, side by side with a gap of
// two characters.
CurveAxis FitInputAxis(const TableCurve& curve, int width, const QFontMetrics& metrics) {
  const int gap = 2 * metrics.averageCharWidth();
  CurveAxis axis;
  for (int ticks = kMaxTicks; ticks >= 2; --ticks) {
    axis = curve.InputAxis(ticks);
    const auto count = static_cast<int>(axis.ticks.size());
    if (count * (WidestLabel(axis, metrics) + gap) <= width) break;
  }
  return axis;
}

// A light grid at the ticks, a firmer frame around the plot.
void DrawGrid(QPainter& painter, const CurveLayout& layout, const CurvePlotMapping& map,
              const QPalette& palette) {
  const QRectF& plot = layout.plot;
  QColor gridColour = palette.color(QPalette::Text);
  gridColour.setAlpha(kGridAlpha);
  painter.setPen(QPen(gridColour, 1));
  for (const CurveTick& tick : layout.x.ticks)
    painter.drawLine(QPointF(map.X(tick.raw), plot.top()), QPointF(map.X(tick.raw), plot.bottom()));
  for (const CurveTick& tick : layout.y.ticks)
    painter.drawLine(QPointF(plot.left(), map.Y(tick.raw)), QPointF(plot.right(), map.Y(tick.raw)));
  painter.setPen(QPen(palette.color(QPalette::Mid), 1));
  painter.drawRect(plot);
}

// Tick labels under and left of the plot; the input title below, the
// output title turned up along the left edge.
void DrawLabels(QPainter& painter, const CurveLayout& layout, const CurvePlotMapping& map,
                const TableCurve& curve, const QPalette& palette, const QFontMetrics& metrics) {
  const QRectF& plot = layout.plot;
  const QRect& area = layout.area;
  const int lineHeight = metrics.height();
  painter.setPen(palette.color(QPalette::Text));
  for (const CurveTick& tick : layout.x.ticks) {
    const QRectF box(map.X(tick.raw) - plot.width() / 2, plot.bottom() + kTickGap / 2, plot.width(),
                     lineHeight);
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, tick.label);
  }
  for (const CurveTick& tick : layout.y.ticks) {
    const QRectF box(area.left(), map.Y(tick.raw) - lineHeight / 2.0, plot.left() - kTickGap - area.left(),
                     lineHeight);
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, tick.label);
  }
  const QRectF xTitle(plot.left(), area.bottom() - lineHeight, plot.width(), lineHeight);
  painter.drawText(xTitle, Qt::AlignCenter,
                   metrics.elidedText(curve.InputTitle(), Qt::ElideRight, static_cast<int>(xTitle.width())));
  painter.save();
  painter.translate(area.left(), plot.bottom());
  painter.rotate(-90);
  const QRectF yTitle(0, 0, plot.height(), lineHeight);
  painter.drawText(yTitle, Qt::AlignCenter,
                   metrics.elidedText(curve.OutputTitle(), Qt::ElideRight, static_cast<int>(yTitle.width())));
  painter.restore();
}

// A line through the points in input order, each point marked.
void DrawCurve(QPainter& painter, const CurveLayout& layout, const CurvePlotMapping& map,
               const TableCurve& curve, const QPalette& palette, int lineHeight, int currentRow) {
  const std::vector<TablePoint>& points = curve.Points();
  if (points.empty()) return;
  const QColor colour = curve.Storable() ? palette.color(QPalette::Highlight) : kUnstorableColour;
  painter.setClipRect(layout.plot.adjusted(-lineHeight, -lineHeight, lineHeight, lineHeight));
  if (points.size() > 1) {
    QPainterPath path(map.Point(points.front()));
    for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(map.Point(points[i]));
    painter.setPen(QPen(colour, kLineWidth, curve.Storable() ? Qt::SolidLine : Qt::DashLine, Qt::RoundCap,
                        Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
  }
  const qreal radius = CurveMarkerRadius(lineHeight);
  painter.setPen(QPen(colour, kMarkerOutline));
  for (std::size_t i = 0; i < points.size(); ++i) {
    const bool current = i < curve.Rows().size() && curve.Rows()[i] == currentRow;
    painter.setBrush(current ? QBrush(colour) : palette.brush(QPalette::Base));
    const qreal r = current ? radius * kCurrentMarkerScale : radius;
    painter.drawEllipse(map.Point(points[i]), r, r);
  }
}

}  // namespace

qreal CurveMarkerRadius(int lineHeight) {
  return std::max(kMinMarkerRadius, lineHeight / kMarkerRadiusDivisor);
}

// The plot rectangle inside the frame and the axes that fit it: output
// ticks first, since their labels set the left margin.
CurveLayout LayOutCurve(const TableCurve& curve, const QRect& contents, const QFontMetrics& metrics) {
  CurveLayout layout;
  const int lineHeight = metrics.height();
  layout.area = contents.adjusted(kCurvePadding, kCurvePadding, -kCurvePadding, -kCurvePadding);
  const QRect& area = layout.area;
  const int plotHeightGuess = area.height() - 2 * lineHeight - kTickGap - lineHeight / 2;
  layout.y = curve.OutputAxis(std::clamp(plotHeightGuess * 2 / (3 * lineHeight), 2, kMaxTicks));
  const int left = area.left() + lineHeight + kTickGap + WidestLabel(layout.y, metrics) + kTickGap;
  const int rightGuess = area.right() - metrics.horizontalAdvance(QStringLiteral("-0.00")) / 2;
  layout.x = FitInputAxis(curve, rightGuess - left, metrics);
  const int lastHalf =
      layout.x.ticks.empty() ? 0 : metrics.horizontalAdvance(layout.x.ticks.back().label) / 2;
  layout.plot = QRectF(QPointF(left, area.top() + lineHeight / 2),
                       QPointF(area.right() - lastHalf, area.bottom() - 2 * lineHeight - kTickGap));
  return layout;
}

void PaintTableCurve(QPainter& painter, const TableCurve& curve, const CurveLayout& layout,
                     const QPalette& palette, const QFontMetrics& metrics, int currentRow) {
  if (layout.plot.width() < 1 || layout.plot.height() < 1) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const CurvePlotMapping map(layout.plot, layout.x, layout.y);
  DrawGrid(painter, layout, map, palette);
  DrawLabels(painter, layout, map, curve, palette, metrics);
  DrawCurve(painter, layout, map, curve, palette, metrics.height(), currentRow);
  painter.restore();
}

void PaintTableCurve(QPainter& painter, const TableCurve& curve, const QRect& area, const QPalette& palette) {
  const QFontMetrics metrics = painter.fontMetrics();
  PaintTableCurve(painter, curve, LayOutCurve(curve, area, metrics), palette, metrics, -1);
}
