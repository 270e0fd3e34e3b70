#include "tables/curveview.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>

#include "tables/table2deditframe.h"

namespace {

constexpr int kColumnInput = 0;
constexpr int kColumnOutput = 1;
// The frame's own default size, so both stand side by side evenly.
constexpr int kPreferredWidth = 219;
constexpr int kPreferredHeight = 178;
constexpr int kMinimumWidth = 120;
constexpr int kMinimumHeight = 90;
// A press this many marker radii from a point takes it.
constexpr qreal kGrabRadii = 2.5;
// clang-format off
const QString kNotStorableTip = QStringLiteral("The table cannot be stored yet: an input occurs twice, or the outputs rise and fall.");
// clang-format on

// The values of the point under the mouse, in a box beside it.
void DrawReadOut(QPainter& painter, const CurveLayout& layout, const CurvePlotMapping& map, const TableCurve& curve,
                 int point, const QPalette& palette, const QFontMetrics& metrics) {
  if (point < 0 || point >= static_cast<int>(curve.Points().size())) return;
  const TablePoint& value = curve.Points()[static_cast<std::size_t>(point)];
  const QString text = FormatValue16(curve.InputType(), value.x, !UnitAbbreviation(curve.InputType()).isEmpty()) +
                       QStringLiteral(", ") +
                       FormatValue16(curve.OutputType(), value.y, !UnitAbbreviation(curve.OutputType()).isEmpty());
  QRectF box(QPointF(0, 0),
             QSizeF(metrics.horizontalAdvance(text) + 2 * kCurvePadding, metrics.height() + kCurvePadding));
  const QPointF at = map.Point(value);
  box.moveBottomLeft(at + QPointF(kCurvePadding, -kCurvePadding));
  if (box.right() > layout.area.right()) box.moveRight(at.x() - kCurvePadding);
  if (box.top() < layout.area.top()) box.moveTop(at.y() + kCurvePadding);
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
  return dragLayout_ ? *dragLayout_ : LayOutCurve(curve_, contentsRect(), fontMetrics());
}

int TCurveView::CurrentRow() const {
  if (!frame_) return -1;
  const QModelIndex current = frame_->Grid()->currentIndex();
  return current.isValid() ? current.row() : -1;
}

QPointF TCurveView::PointPosition(std::size_t point) const {
  if (point >= curve_.Points().size()) return {};
  const CurveLayout layout = CurrentLayout();
  return CurvePlotMapping(layout.plot, layout.x, layout.y).Point(curve_.Points()[point]);
}

int TCurveView::PointAt(const QPointF& pos) const {
  const CurveLayout layout = CurrentLayout();
  const CurvePlotMapping map(layout.plot, layout.x, layout.y);
  const qreal reach = CurveMarkerRadius(fontMetrics().height()) * kGrabRadii;
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
    const CurvePlotMapping map(dragLayout_->plot, dragLayout_->x, dragLayout_->y);
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
  const CurveLayout layout = CurrentLayout();
  if (layout.plot.width() < 1 || layout.plot.height() < 1) return;
  QPainter painter(this);
  PaintTableCurve(painter, curve_, layout, palette(), metrics, CurrentRow());
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const CurvePlotMapping map(layout.plot, layout.x, layout.y);
  DrawReadOut(painter, layout, map, curve_, hover_, palette(), metrics);
}
