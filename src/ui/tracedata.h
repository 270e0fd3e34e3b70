#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

// The readings of a live trace over a fixed span of time: each point is a
// reading and, optionally, a reference value (a filtered reading) with a
// tolerance band around it. Points older than the span before the newest
// one are dropped. Widget-free, so that what a trace shows can be tested.
struct TracePoint {
  int64_t timeMs = 0;
  double value = 0;
  std::optional<double> reference;
};

class TraceData {
 public:
  explicit TraceData(int64_t spanMs = 60000, double bandPercent = 0);

  // Times must not go back; a point older than the newest is ignored.
  void Add(const TracePoint& point);
  void Clear() { points_.clear(); }

  const std::deque<TracePoint>& Points() const { return points_; }
  int64_t SpanMs() const { return spanMs_; }
  double BandPercent() const { return bandPercent_; }
  // The time at the right edge: the newest point's (the trace scrolls in
  // from the right), or the span for an empty trace.
  int64_t EndMs() const;
  int64_t StartMs() const { return EndMs() - spanMs_; }

  // Half the band's width around a reference value.
  double BandHalfWidth(double reference) const;

  // The value range to show: every value, reference and band edge, widened
  // to at least minimumWidth and padded by a twentieth on both sides.
  struct Range {
    double low = 0;
    double high = 1;
  };
  // With limits (the values a reading can take), a range reaching past one
  // limit is moved back inside, keeping its width where the limits allow,
  // so the axis shows no values that cannot occur.
  Range ValueRange(double minimumWidth, const std::optional<Range>& limits = std::nullopt) const;

 private:
  Range PaddedRange(double minimumWidth) const;

  int64_t spanMs_;
  double bandPercent_;
  std::deque<TracePoint> points_;
};

// The step between labelled values on an axis width wide: the smallest
// 1, 2 or 5 times a power of ten that parts the width into at most
// maxIntervals steps, so that the labels read as round numbers (3.300,
// 3.400...). A width that is not positive gets a step of 1.
double RoundTickStep(double width, int maxIntervals);
// The multiples of RoundTickStep(high - low) from low to high, both ends
// included when they are multiples, lowest first.
std::vector<double> RoundTicks(const TraceData::Range& range, int maxIntervals);
