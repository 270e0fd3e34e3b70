#include "tables/curveview.h"

#include <QPainter>

#include "tables/curvepainter.h"
#include "tables/table2deditframe.h"

namespace {

constexpr int kColumnInput = 0;
constexpr int kColumnOutput = 1;
// The frame's own default size, so both stand side by side evenly.
constexpr int kPreferredWidth = 219;
constexpr int kPreferredHeight = 178;
constexpr int kMinimumWidth = 120;
constexpr int kMinimumHeight = 90;
// clang-format off
const QString kNotStorableTip = QStringLiteral("The table cannot be stored yet: an input occurs twice, or the outputs rise and fall.");
// clang-format on

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
  frame_ = frame;
  if (frame != nullptr)
    changed_ = connect(frame, &TFrameTable2DEdit::TableChanged, this, &TCurveView::Refresh);
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

void TCurveView::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  PaintTableCurve(painter, curve_, contentsRect(), palette());
}
