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

namespace {

struct StepCase {
  double width;
  int maxIntervals;
  double step;
};

class TraceAxisStep : public testing::TestWithParam<StepCase> {};

TEST_P(TraceAxisStep, IsTheSmallestOneTwoOrFiveTimesAPowerOfTenThatFits) {
  EXPECT_DOUBLE_EQ(RoundTickStep(GetParam().width, GetParam().maxIntervals), GetParam().step)
      << GetParam().width << " / " << GetParam().maxIntervals;
}

INSTANTIATE_TEST_SUITE_P(
    Widths, TraceAxisStep,
    testing::Values(StepCase{110, 5, 50},   // a steady Ip: 110 uA wide
                    StepCase{100, 5, 20},   // exactly five steps of 20
                    StepCase{101, 5, 50},   // just over: the next round step
                    StepCase{260, 5, 100},  // labelled 3.380, 3.315, 3.250... before
                    StepCase{330, 5, 100},  // 66 a step at least
                    StepCase{65535, 5, 20000}, StepCase{9, 5, 2}, StepCase{1, 4, 0.5},
                    StepCase{0.03, 5, 0.01}, StepCase{7000, 7, 1000}, StepCase{1e6, 5, 200000},
                    StepCase{0, 5, 1},     // no width: any step
                    StepCase{-20, 5, 1},   // an upside-down range
                    StepCase{50, 0, 1}));  // no room for a step

TEST(TraceAxisTicks, AreTheRoundValuesWithinTheRange) {
  struct Case {
    double low, high;
    std::vector<double> ticks;
  };
  const Case cases[] = {
      {3185.0, 3315.0, {3200.0, 3250.0, 3300.0}},
      {445.0, 555.0, {450.0, 500.0, 550.0}},
      {-55.0, 55.0, {-50.0, 0.0, 50.0}},
      {3000.0, 3300.0, {3000.0, 3100.0, 3200.0, 3300.0}},  // ends on multiples are labelled
      {-32768.0, 32767.0, {-20000.0, 0.0, 20000.0}},
      {0.1, 0.4, {0.1, 0.2, 0.3, 0.4}},  // 0.1 steps that binary cannot hold exactly
  };
  for (const Case& c : cases) {
    const std::vector<double> ticks = RoundTicks(TraceData::Range{c.low, c.high}, 5);
    ASSERT_EQ(ticks.size(), c.ticks.size()) << c.low << ".." << c.high;
    for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_NEAR(ticks[i], c.ticks[i], 1e-9) << c.low;
  }
}

}  // namespace
