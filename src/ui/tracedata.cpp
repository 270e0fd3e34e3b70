#include "ui/tracedata.h"

#include <algorithm>
#include <cmath>

TraceData::TraceData(int64_t spanMs, double bandPercent) : spanMs_(spanMs), bandPercent_(bandPercent) {}

void TraceData::Add(const TracePoint& point) {
  if (!points_.empty() && point.timeMs < points_.back().timeMs) return;
  points_.push_back(point);
  while (points_.front().timeMs < point.timeMs - spanMs_) points_.pop_front();
}

int64_t TraceData::EndMs() const {
  return points_.empty() ? spanMs_ : points_.back().timeMs;
}

double TraceData::BandHalfWidth(double reference) const {
  return std::fabs(reference) * bandPercent_ / 100.0;
}

TraceData::Range TraceData::ValueRange(double minimumWidth, const std::optional<Range>& limits) const {
  Range range = PaddedRange(minimumWidth);
  if (!limits) return range;
  if (range.high > limits->high) {
    range.low -= range.high - limits->high;
    range.high = limits->high;
  }
  if (range.low < limits->low) {
    range.high = std::min(limits->high, range.high + (limits->low - range.low));
    range.low = limits->low;
  }
  return range;
}

TraceData::Range TraceData::PaddedRange(double minimumWidth) const {
  if (points_.empty()) return {0, std::max(minimumWidth, 1.0)};
  double low = points_.front().value;
  double high = low;
  for (const TracePoint& point : points_) {
    low = std::min(low, point.value);
    high = std::max(high, point.value);
    if (point.reference) {
      const double band = BandHalfWidth(*point.reference);
      low = std::min(low, *point.reference - band);
      high = std::max(high, *point.reference + band);
    }
  }
  if (high - low < minimumWidth) {
    const double middle = (low + high) / 2;
    low = middle - minimumWidth / 2;
    high = middle + minimumWidth / 2;
  }
  const double pad = (high - low) / 20;
  return {low - pad, high + pad};
}

double RoundTickStep(double width, int maxIntervals) {
  if (!(width > 0) || !std::isfinite(width) || maxIntervals < 1) return 1;
  const double least = width / maxIntervals;
  double power = std::pow(10.0, std::floor(std::log10(least)));
  // log10 rounds: the power found may be a decade off either way.
  if (power > least) power /= 10;
  for (;;) {
    for (const double factor : {1.0, 2.0, 5.0}) {
      if (factor * power >= least) return factor * power;
    }
    power *= 10;
  }
}

std::vector<double> RoundTicks(const TraceData::Range& range, int maxIntervals) {
  std::vector<double> ticks;
  const double step = RoundTickStep(range.high - range.low, maxIntervals);
  // A hair of tolerance, so that an end a rounding error off a multiple
  // still gets its label.
  const double tolerance = step * 1e-9;
  const double first = std::ceil((range.low - tolerance) / step);
  const double last = std::floor((range.high + tolerance) / step);
  for (double k = first; k <= last; ++k) ticks.push_back(k * step);
  return ticks;
}
