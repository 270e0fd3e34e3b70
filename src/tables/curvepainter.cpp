#include "tables/curvepainter.h"

#include <algorithm>

#include <QPainterPath>

namespace {

constexpr int kMaxTicks = 9;
constexpr int kPadding = 5;
constexpr int kTickGap = 4;
constexpr int kGridAlpha = 55;
constexpr qreal kLineWidth = 1.8;
constexpr qreal kMarkerOutline = 1.4;
constexpr qreal kMinMarkerRadius = 2.5;
constexpr qreal kMarkerRadiusDivisor = 5.0;  // of the text line height
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

// Positions of raw values inside the plot rectangle.
class PlotMapping {
 public:
  PlotMapping(const QRectF& plot, const CurveAxis& x, const CurveAxis& y) : plot_(plot), x_(x), y_(y) {}
  qreal X(int64_t raw) const { return plot_.left() + Fraction(raw, x_) * plot_.width(); }
  qreal Y(int64_t raw) const { return plot_.bottom() - Fraction(raw, y_) * plot_.height(); }
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

// The plot rectangle inside the frame and the axes that fit it: output
// ticks first, since their labels set the left margin.
struct PlotLayout {
  QRect area;
  QRectF plot;
  CurveAxis x;
  CurveAxis y;
};

PlotLayout LayOut(const TableCurve& curve, const QRect& contents, const QFontMetrics& metrics) {
  PlotLayout layout;
  const int lineHeight = metrics.height();
  layout.area = contents.adjusted(kPadding, kPadding, -kPadding, -kPadding);
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

// A light grid at the ticks, a firmer frame around the plot.
void DrawGrid(QPainter& painter, const PlotLayout& layout, const PlotMapping& map, const QPalette& palette) {
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
void DrawLabels(QPainter& painter, const PlotLayout& layout, const PlotMapping& map, const TableCurve& curve,
                const QPalette& palette, const QFontMetrics& metrics) {
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
void DrawCurve(QPainter& painter, const PlotLayout& layout, const PlotMapping& map, const TableCurve& curve,
               const QPalette& palette, int lineHeight) {
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
  const qreal radius = std::max(kMinMarkerRadius, lineHeight / kMarkerRadiusDivisor);
  painter.setPen(QPen(colour, kMarkerOutline));
  painter.setBrush(palette.color(QPalette::Base));
  for (const TablePoint& point : points) painter.drawEllipse(map.Point(point), radius, radius);
}

}  // namespace

void PaintTableCurve(QPainter& painter, const TableCurve& curve, const QRect& area, const QPalette& palette) {
  const QFontMetrics metrics = painter.fontMetrics();
  const PlotLayout layout = LayOut(curve, area, metrics);
  if (layout.plot.width() < 1 || layout.plot.height() < 1) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const PlotMapping map(layout.plot, layout.x, layout.y);
  DrawGrid(painter, layout, map, palette);
  DrawLabels(painter, layout, map, curve, palette, metrics);
  DrawCurve(painter, layout, map, curve, palette, metrics.height());
  painter.restore();
}
