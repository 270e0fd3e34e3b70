#pragma once

#include <functional>

#include <QFrame>
#include <QString>

#include "ui/tracedata.h"

// A live trace: the readings as a line over the last span of time (newest
// at the right), the reference line and its tolerance band shaded behind
// them. The calibration window shows Ip and filtered Ip with the 2 % band;
// the live data window reuses it.
class TTraceView : public QFrame {
  Q_OBJECT
 public:
  explicit TTraceView(QWidget* parent = nullptr);

  TraceData& Data() { return data_; }
  const TraceData& Data() const { return data_; }
  // Replaces the trace settings (span, band); clears the points.
  void SetTrace(const TraceData& trace);
  // Adds a point and repaints.
  void AddPoint(const TracePoint& point);
  // Shows another trace as it is, points and all.
  void ShowData(const TraceData& trace);
  void SetTitle(const QString& title);

  // How the value axis labels its ticks (default: the number as it is),
  // and its title ("Ip (mA)").
  void SetValueFormat(std::function<QString(double)> format, const QString& title);
  // The smallest value range the axis shows, so that noise on a steady
  // reading is not blown up to the full height.
  void SetMinimumValueWidth(double width) { minimumWidth_ = width; }
  // The values a reading can take: the axis stays within them.
  void SetValueLimits(double low, double high) { limits_ = TraceData::Range{low, high}; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TraceData data_;
  std::function<QString(double)> format_;
  QString title_;
  double minimumWidth_ = 1;
  std::optional<TraceData::Range> limits_;
};

// Sets a view up for the pump current Ip in microamps: the trace (span and
// band), labels in the program's Ip format under "Ip (mA)", an axis at least
// 100 uA wide, and no labels beyond Ip's signed 16-bit range.
void SetUpIpTrace(TTraceView& view, const TraceData& trace);
