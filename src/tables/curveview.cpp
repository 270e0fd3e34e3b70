#include "tables/curveview.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "tables/table2deditframe.h"

namespace {

constexpr int kColumnInput = 0;
constexpr int kColumnOutput = 1;
// The frame's own default size, so both stand side by side evenly.
constexpr int kPreferredWidth = 219;
constexpr int kPreferredHeight = 178;
constexpr int kMinimumWidth = 120;
constexpr int kMinimumHeight = 90;
constexpr int kMaxTicks = 9;
constexpr int kPadding = 5;
constexpr int kTickGap = 4;
constexpr int kGridAlpha = 55;
constexpr qreal kLineWidth = 1.8;
constexpr qreal kMarkerOutline = 1.4;
constexpr qreal kMinMarkerRadius = 2.5;
constexpr qreal kMarkerRadiusDivisor = 5.0;  // of the text line height
// The point of the grid's current row is drawn larger and filled.
constexpr qreal kCurrentMarkerScale = 1.5;
// A press this many marker radii from a point takes it.
constexpr qreal kGrabRadii = 2.5;
// A table that breaks a rule (it would not be stored) is drawn dashed in
// this colour.
const QColor kUnstorableColour(200, 95, 20);
// clang-format off
const QString kNotStorableTip = QStringLiteral("The table cannot be stored yet: an input occurs twice, or the outputs rise and fall.");
// clang-format on

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

qreal MarkerRadius(int lineHeight) {
  return std::max(kMinMarkerRadius, lineHeight / kMarkerRadiusDivisor);
}

// Positions of raw values inside the plot rectangle.
class PlotMapping {
 public:
  PlotMapping(const QRectF& plot, const CurveAxis& x, const CurveAxis& y) : plot_(plot), x_(x), y_(y) {}
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

using PlotLayout = CurveLayout;

// The plot rectangle inside the frame and the axes that fit it: output
// ticks first, since their labels set the left margin.
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
               const QPalette& palette, int lineHeight, int currentRow) {
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
  const qreal radius = MarkerRadius(lineHeight);
  painter.setPen(QPen(colour, kMarkerOutline));
  for (std::size_t i = 0; i < points.size(); ++i) {
    const bool current = i < curve.Rows().size() && curve.Rows()[i] == currentRow;
    painter.setBrush(current ? QBrush(colour) : palette.brush(QPalette::Base));
    const qreal r = current ? radius * kCurrentMarkerScale : radius;
    painter.drawEllipse(map.Point(points[i]), r, r);
  }
}

// The values of the point under the mouse, in a box beside it.
void DrawReadOut(QPainter& painter, const PlotLayout& layout, const PlotMapping& map, const TableCurve& curve,
                 int point, const QPalette& palette, const QFontMetrics& metrics) {
  if (point < 0 || point >= static_cast<int>(curve.Points().size())) return;
  const TablePoint& value = curve.Points()[static_cast<std::size_t>(point)];
  const QString text = FormatValue16(curve.InputType(), value.x, !UnitAbbreviation(curve.InputType()).isEmpty()) +
                       QStringLiteral(", ") +
                       FormatValue16(curve.OutputType(), value.y, !UnitAbbreviation(curve.OutputType()).isEmpty());
  QRectF box(QPointF(0, 0), QSizeF(metrics.horizontalAdvance(text) + 2 * kPadding, metrics.height() + kPadding));
  const QPointF at = map.Point(value);
  box.moveBottomLeft(at + QPointF(kPadding, -kPadding));
  if (box.right() > layout.area.right()) box.moveRight(at.x() - kPadding);
  if (box.top() < layout.area.top()) box.moveTop(at.y() + kPadding);
  painter.setClipping(false);
  painter.setPen(QPen(palette.color(QPalette::Mid), 1));
  painter.setBrush(palette.brush(QPalette::ToolTipBase));
  painter.drawRect(box);
  painter.setPen(palette.color(QPalette::ToolTipText));
  painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

TCurveView::TCurveView(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("CurveView"));
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  Refresh();
}

TCurveView::TCurveView(TFrameTable2DEdit* frame, QWidget* parent) : TCurveView(parent) {
  Attach(frame);
}

void TCurveView::Attach(TFrameTable2DEdit* frame) {
  disconnect(changed_);
  disconnect(moved_);
  frame_ = frame;
  if (frame != nullptr) {
    changed_ = connect(frame, &TFrameTable2DEdit::TableChanged, this, &TCurveView::Refresh);
    moved_ = connect(frame, &TFrameTable2DEdit::CurrentCellChanged, this, qOverload<>(&TCurveView::update));
  }
  setMouseTracking(frame != nullptr);
  Refresh();
}

void TCurveView::Refresh() {
  if (frame_) {
    curve_ = TableCurve::FromTable(frame_->Model(), frame_->ColumnTitle(kColumnInput),
                                   frame_->ColumnTitle(kColumnOutput));
  } else {
    curve_ = TableCurve();
  }
  setToolTip(curve_.Storable() ? QString() : kNotStorableTip);
  update();
}

QSize TCurveView::sizeHint() const {
  return {kPreferredWidth, kPreferredHeight};
}

QSize TCurveView::minimumSizeHint() const {
  return {kMinimumWidth, kMinimumHeight};
}

CurveLayout TCurveView::CurrentLayout() const {
  return dragLayout_ ? *dragLayout_ : LayOut(curve_, contentsRect(), fontMetrics());
}

int TCurveView::CurrentRow() const {
  if (!frame_) return -1;
  const QModelIndex current = frame_->Grid()->currentIndex();
  return current.isValid() ? current.row() : -1;
}

QPointF TCurveView::PointPosition(std::size_t point) const {
  if (point >= curve_.Points().size()) return {};
  const PlotLayout layout = CurrentLayout();
  return PlotMapping(layout.plot, layout.x, layout.y).Point(curve_.Points()[point]);
}

int TCurveView::PointAt(const QPointF& pos) const {
  const PlotLayout layout = CurrentLayout();
  const PlotMapping map(layout.plot, layout.x, layout.y);
  const qreal reach = MarkerRadius(fontMetrics().height()) * kGrabRadii;
  int nearest = -1;
  qreal best = reach * reach;
  for (std::size_t i = 0; i < curve_.Points().size(); ++i) {
    const QPointF offset = map.Point(curve_.Points()[i]) - pos;
    const qreal distance = QPointF::dotProduct(offset, offset);
    if (distance <= best) {
      best = distance;
      nearest = static_cast<int>(i);
    }
  }
  return nearest;
}

void TCurveView::mousePressEvent(QMouseEvent* event) {
  const int point = event->button() == Qt::LeftButton ? PointAt(event->position()) : -1;
  if (point < 0 || !frame_ || static_cast<std::size_t>(point) >= curve_.Rows().size()) {
    QFrame::mousePressEvent(event);
    return;
  }
  const int row = curve_.Rows()[static_cast<std::size_t>(point)];
  // The grid's cell check may refuse the move; then nothing is dragged.
  if (row < 0 || !frame_->GoToRow(row)) return;
  dragLayout_ = CurrentLayout();
  dragRow_ = row;
  frame_->BeginCurveDrag();
  event->accept();
}

void TCurveView::mouseMoveEvent(QMouseEvent* event) {
  if (dragRow_ >= 0 && frame_ && dragLayout_) {
    const PlotMapping map(dragLayout_->plot, dragLayout_->x, dragLayout_->y);
    const auto& rows = curve_.Rows();
    const auto found = std::find(rows.begin(), rows.end(), dragRow_);
    if (found != rows.end()) {
      const auto point = static_cast<std::size_t>(found - rows.begin());
      const int16_t raw = curve_.DraggedOutput(point, map.RawAtY(event->position().y()));
      if (raw != curve_.Points()[point].y) frame_->DragOutput(dragRow_, raw);
      hover_ = static_cast<int>(point);
    }
    event->accept();
    return;
  }
  const int point = PointAt(event->position());
  if (point != hover_) {
    hover_ = point;
    update();
  }
  QFrame::mouseMoveEvent(event);
}

void TCurveView::mouseReleaseEvent(QMouseEvent* event) {
  if (dragRow_ >= 0) {
    dragRow_ = -1;
    dragLayout_.reset();
    if (frame_) frame_->EndCurveDrag();
    update();
    event->accept();
    return;
  }
  QFrame::mouseReleaseEvent(event);
}

void TCurveView::leaveEvent(QEvent* event) {
  if (dragRow_ < 0 && hover_ >= 0) {
    hover_ = -1;
    update();
  }
  QFrame::leaveEvent(event);
}

void TCurveView::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  const QFontMetrics metrics = fontMetrics();
  const PlotLayout layout = CurrentLayout();
  if (layout.plot.width() < 1 || layout.plot.height() < 1) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const PlotMapping map(layout.plot, layout.x, layout.y);
  DrawGrid(painter, layout, map, palette());
  DrawLabels(painter, layout, map, curve_, palette(), metrics);
  DrawCurve(painter, layout, map, curve_, palette(), metrics.height(), CurrentRow());
  DrawReadOut(painter, layout, map, curve_, hover_, palette(), metrics);
}
