// What a live trace keeps and the value range it shows.

#include <gtest/gtest.h>

#include "ui/tracedata.h"

namespace {

TEST(TraceData, KeepsTheLastSpanAndScrollsInFromTheRight) {
  TraceData trace(60000, 2.0);
  EXPECT_EQ(trace.EndMs(), 60000);
  EXPECT_EQ(trace.StartMs(), 0);
  for (int64_t t = 0; t <= 90000; t += 250) trace.Add({t, 1000.0, 1000.0});
  EXPECT_EQ(trace.Points().front().timeMs, 30000);
  EXPECT_EQ(trace.Points().size(), 241u);
  EXPECT_EQ(trace.EndMs(), 90000);
  EXPECT_EQ(trace.StartMs(), 30000);
  trace.Add({1000, 5.0, {}});  // back in time: ignored
  EXPECT_EQ(trace.Points().back().timeMs, 90000);
}

TEST(TraceData, ValueRangeCoversReadingsAndTheBandPadded) {
  TraceData trace(60000, 2.0);
  trace.Add({0, 3000.0, 3200.0});  // band 3136..3264
  trace.Add({250, 3300.0, 3200.0});
  const TraceData::Range range = trace.ValueRange(10);
  EXPECT_DOUBLE_EQ(range.low, 3000.0 - 15.0);  // 300 wide, padded by a twentieth
  EXPECT_DOUBLE_EQ(range.high, 3300.0 + 15.0);
  EXPECT_DOUBLE_EQ(trace.BandHalfWidth(-3200.0), 64.0);
}

TEST(TraceData, ASteadyReadingIsShownAtLeastTheMinimumWidth) {
  TraceData trace(60000, 0);
  trace.Add({0, 500.0, {}});
  const TraceData::Range range = trace.ValueRange(100);
  EXPECT_DOUBLE_EQ(range.low, 450.0 - 5.0);
  EXPECT_DOUBLE_EQ(range.high, 550.0 + 5.0);
}

TEST(TraceData, ARangeReachingPastTheLimitsIsMovedBackInside) {
  struct Case {
    double reading;
    double low, high;
  };
  // A steady reading, at least 100 wide and padded by 5: 110 wide.
  const Case cases[] = {
      {0.0, -55.0, 55.0},              // well inside: unchanged
      {32767.0, 32657.0, 32767.0},     // at the top: moved down, same width
      {-32768.0, -32768.0, -32658.0},  // at the bottom: moved up
  };
  for (const Case& c : cases) {
    TraceData trace(60000, 0);
    trace.Add({0, c.reading, {}});
    const TraceData::Range range = trace.ValueRange(100, TraceData::Range{-32768.0, 32767.0});
    EXPECT_DOUBLE_EQ(range.low, c.low) << c.reading;
    EXPECT_DOUBLE_EQ(range.high, c.high) << c.reading;
  }
  // Limits narrower than the range: the range is the limits.
  TraceData trace(60000, 0);
  trace.Add({0, 5.0, {}});
  const TraceData::Range range = trace.ValueRange(100, TraceData::Range{0.0, 10.0});
  EXPECT_DOUBLE_EQ(range.low, 0.0);
  EXPECT_DOUBLE_EQ(range.high, 10.0);
}

}  // namespace
