#include "ui/traceview.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "ui/qvavalues.h"

namespace {

constexpr int kTimeTickMs = 10000;
// The steps between the value labels: as many as the height allows, within
// these.
constexpr int kMinValueIntervals = 2;
constexpr int kMaxValueIntervals = 8;
constexpr int kMargin = 4;
const QColor kValueColour(200, 0, 0);
const QColor kReferenceColour(0, 90, 170);
const QColor kBandColour(0, 128, 0, 50);
// Noise on a steady Ip stays small on an axis at least this wide.
constexpr double kIpMinimumWidthUa = 100;

}  // namespace

TTraceView::TTraceView(QWidget* parent)
    : QFrame(parent), data_(60000, 0), format_([](double value) { return QString::number(value); }) {
  setFrameShape(QFrame::StyledPanel);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TTraceView::SetTrace(const TraceData& trace) {
  data_ = trace;
  data_.Clear();
  update();
}

void TTraceView::AddPoint(const TracePoint& point) {
  data_.Add(point);
  update();
}

void TTraceView::ShowData(const TraceData& trace) {
  data_ = trace;
  update();
}

void TTraceView::SetTitle(const QString& title) {
  title_ = title;
  update();
}

void TTraceView::SetValueFormat(std::function<QString(double)> format, const QString& title) {
  format_ = std::move(format);
  title_ = title;
  update();
}

QSize TTraceView::sizeHint() const {
  return {400, 160};
}

QSize TTraceView::minimumSizeHint() const {
  return {200, 100};
}

void TTraceView::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics metrics = fontMetrics();
  const TraceData::Range range = data_.ValueRange(minimumWidth_, limits_);

  // Room for the value labels on the left, the time labels below and the
  // title above. The title sits above the top value label, which is
  // centred on the top grid line.
  const QRect inner = contentsRect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
  const int top = metrics.height() + metrics.ascent() / 2 + kMargin;
  const int bottom = metrics.height() + kMargin;
  // As many value labels as stand apart by a line and a quarter.
  const int room = (inner.height() - top - bottom) / (metrics.height() + metrics.height() / 4);
  const std::vector<double> ticks = RoundTicks(range, std::clamp(room, kMinValueIntervals, kMaxValueIntervals));
  int labelWidth = 0;
  for (const double value : ticks)
    labelWidth = std::max(labelWidth, metrics.horizontalAdvance(format_(value)));
  const QRect plot = inner.adjusted(labelWidth + kMargin, top, -metrics.horizontalAdvance('0'), -bottom);
  if (plot.width() < 10 || plot.height() < 10) return;

  const double startMs = static_cast<double>(data_.StartMs());
  const double spanMs = static_cast<double>(data_.SpanMs());
  auto x = [&](int64_t timeMs) { return plot.left() + (timeMs - startMs) * plot.width() / spanMs; };
  auto y = [&](double value) {
    return plot.bottom() - (value - range.low) * plot.height() / (range.high - range.low);
  };

  painter.fillRect(plot, palette().base());
  painter.setPen(palette().color(QPalette::Text));
  painter.drawText(inner.left(), inner.top() + metrics.ascent(), title_);

  // Grid and labels.
  QPen gridPen(palette().color(QPalette::Mid));
  gridPen.setStyle(Qt::DotLine);
  for (const double value : ticks) {
    const double yy = y(value);
    painter.setPen(gridPen);
    painter.drawLine(QPointF(plot.left(), yy), QPointF(plot.right(), yy));
    painter.setPen(palette().color(QPalette::Text));
    const QString label = format_(value);
    painter.drawText(
        QPointF(plot.left() - kMargin - metrics.horizontalAdvance(label), yy + metrics.ascent() / 2.0),
        label);
  }
  for (int64_t ago = 0; ago <= data_.SpanMs(); ago += kTimeTickMs) {
    const double xx = x(data_.EndMs() - ago);
    painter.setPen(gridPen);
    painter.drawLine(QPointF(xx, plot.top()), QPointF(xx, plot.bottom()));
    painter.setPen(palette().color(QPalette::Text));
    const QString label = ago == 0 ? QStringLiteral("0 s") : QStringLiteral("-%1 s").arg(ago / 1000);
    painter.drawText(
        QPointF(xx - metrics.horizontalAdvance(label) / 2.0, plot.bottom() + kMargin + metrics.ascent()),
        label);
  }

  painter.save();
  painter.setClipRect(plot);
  // The band: along the upper edge forward, back along the lower edge.
  QPolygonF band;
  QPolygonF lower;
  QPainterPath reference;
  QPainterPath values;
  for (const TracePoint& point : data_.Points()) {
    const double xx = x(point.timeMs);
    const QPointF here(xx, y(point.value));
    if (values.elementCount() == 0)
      values.moveTo(here);
    else
      values.lineTo(here);
    if (!point.reference) continue;
    const double half = data_.BandHalfWidth(*point.reference);
    band << QPointF(xx, y(*point.reference + half));
    lower.prepend(QPointF(xx, y(*point.reference - half)));
    const QPointF ref(xx, y(*point.reference));
    if (reference.elementCount() == 0)
      reference.moveTo(ref);
    else
      reference.lineTo(ref);
  }
  band << lower;
  if (band.size() > 2) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBandColour);
    painter.drawPolygon(band);
  }
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kReferenceColour, 2));
  painter.drawPath(reference);
  painter.setPen(QPen(kValueColour, 1));
  painter.drawPath(values);
  painter.restore();
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(plot);
}

void SetUpIpTrace(TTraceView& view, const TraceData& trace) {
  view.SetTrace(trace);
  view.SetValueFormat(
      [](double ua) {
        // Rounded, not cut: a label of 3199.9999 uA reads 3.200.
        const long rounded = std::clamp(std::lround(ua), long{INT16_MIN}, long{INT16_MAX});
        return FormatValue16(IpType, static_cast<int16_t>(rounded), false);
      },
                      QStringLiteral("Ip ") + UnitCaption(IpType, false));
  view.SetMinimumValueWidth(kIpMinimumWidthUa);
  view.SetValueLimits(INT16_MIN, INT16_MAX);
}
