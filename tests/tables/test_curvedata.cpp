#include <array>
#include <vector>

#include <QStringList>

#include <gtest/gtest.h>

#include "support/qtprinters.h"
#include "support/scriptedprompter.h"
#include "tables/curvedata.h"
#include "tablepointtesting.h"

namespace {

struct Row {
  const char* input;
  const char* output;
};

Table2DModel MakeTable(const ValueType& inputType, const ValueType& outputType,
                       const std::vector<Row>& rows) {
  Table2DModel table;
  table.Setup(kMaxTablePoints, inputType, outputType);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    table.SetCell(0, static_cast<int>(i), QString::fromUtf8(rows[i].input));
    table.SetCell(1, static_cast<int>(i), QString::fromUtf8(rows[i].output));
  }
  return table;
}

std::vector<TablePoint> StoredPoints(Table2DModel table) {
  ScriptedPrompter prompter;
  std::array<TablePoint, kMaxTablePoints> points{};
  int count = 0;
  EXPECT_TRUE(table.ReadPoints(prompter, "Output Tables", "", points.data(), kMaxTablePoints, count));
  return {points.begin(), points.begin() + count};
}

QStringList Labels(const CurveAxis& axis) {
  QStringList labels;
  for (const CurveTick& tick : axis.ticks) labels << tick.label;
  return labels;
}

struct PlotCase {
  const char* name;
  std::vector<Row> rows;
  std::vector<TablePoint> plotted;
  bool storable;
  bool validAsTyped;  // ReadPoints of the table as it stands succeeds
};

class CurvePoints : public ::testing::TestWithParam<PlotCase> {};

TEST_P(CurvePoints, PlotsWhatReadPointsStoresAndLeavesOutRowsStillBeingTyped) {
  const PlotCase& c = GetParam();
  const Table2DModel table = MakeTable(IpType, PlainNumberType, c.rows);
  const TableCurve curve = TableCurve::FromTable(table, "Ipn ( mA )", "Output");
  EXPECT_EQ(curve.Points(), c.plotted);
  EXPECT_EQ(curve.Storable(), c.storable);
  if (c.validAsTyped) {
    EXPECT_EQ(curve.Points(), StoredPoints(table));
  }
  // The table itself is neither sorted nor rewritten by the curve.
  for (std::size_t i = 0; i < c.rows.size(); ++i)
    EXPECT_EQ(table.Cell(0, static_cast<int>(i)), c.rows[i].input);
}

INSTANTIATE_TEST_SUITE_P(
    TableCurve, CurvePoints,
    ::testing::Values(
        PlotCase{"SortedByInput",
                 {{"2", "30"}, {"-1", "10"}, {" ", ""}, {"0.5", "20"}},
                 {{-1000, 10}, {500, 20}, {2000, 30}},
                 true,
                 true},
        PlotCase{"UnitsConverted", {{"0.0015 A", "7"}, {"1", " 5 "}}, {{1000, 5}, {1500, 7}}, true, true},
        PlotCase{"InvalidCellLeftOut",
                 {{"1", "10"}, {"abc", "20"}, {"3", "30"}},
                 {{1000, 10}, {3000, 30}},
                 true,
                 false},
        PlotCase{
            "BeyondRawRangeLeftOut", {{"40", "50"}, {"1", "1"}, {"2", "99999"}}, {{1000, 1}}, true, false},
        PlotCase{"HalfFilledRowsLeftOut", {{"1", "10"}, {"2", ""}, {"", "5"}}, {{1000, 10}}, true, false},
        PlotCase{"BlanksOnly", {{"  ", "  "}}, {}, true, true},
        PlotCase{"DuplicateInputsNotStorable",
                 {{"1", "10"}, {"0", "5"}, {"1", "20"}},
                 {{0, 5}, {1000, 10}, {1000, 20}},
                 false,
                 false},
        PlotCase{"BothDirectionsNotStorable",
                 {{"1", "10"}, {"3", "20"}, {"2", "30"}},
                 {{1000, 10}, {2000, 30}, {3000, 20}},
                 false,
                 false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(TableCurve, EmptyTableHasNoPointsAndTenUnitsOfAxis) {
  const TableCurve curve =
      TableCurve::FromTable(MakeTable(IpType, OutputVoltsType, {}), "Input ( mA )", "Aout ( V )");
  EXPECT_TRUE(curve.Points().empty());
  EXPECT_TRUE(curve.Storable());
  const CurveAxis input = curve.InputAxis(6);
  EXPECT_EQ(input.low, 0);
  EXPECT_EQ(input.high, 10000);
  EXPECT_EQ(Labels(input), QStringList({"0", "2", "4", "6", "8", "10"}));
  EXPECT_EQ(Labels(curve.OutputAxis(3)), QStringList({"0", "5", "10"}));

  const TableCurve none;
  EXPECT_TRUE(none.Points().empty());
  EXPECT_EQ(Labels(none.InputAxis(3)), QStringList({"0", "5", "10"}));
}

TEST(TableCurve, AxesFollowThePointsAndTheColumnTypes) {
  Table2DModel table = MakeTable(IpType, DecimalPlacesType(0), {{"-2", "147"}, {"1", "0"}});
  table.ChangeColumnFormat(1, DecimalPlacesType(2));
  const TableCurve curve = TableCurve::FromTable(table, "Ipn ( mA )", "Output");
  EXPECT_EQ(Labels(curve.InputAxis(4)), QStringList({"-2", "-1", "0", "1"}));
  EXPECT_EQ(Labels(curve.OutputAxis(4)), QStringList({"0.0", "0.5", "1.0", "1.5"}));
}

struct AxisCase {
  const char* name;
  std::vector<int16_t> values;
  ValueType type;
  int maxTicks;
  int64_t low;
  int64_t high;
  QStringList labels;
};

class CurveAxes : public ::testing::TestWithParam<AxisCase> {};

TEST_P(CurveAxes, TicksAreRoundNumbersInTheValueTypesText) {
  const AxisCase& c = GetParam();
  const CurveAxis axis = MakeCurveAxis(c.values, c.type, c.maxTicks);
  EXPECT_EQ(axis.low, c.low);
  EXPECT_EQ(axis.high, c.high);
  EXPECT_EQ(Labels(axis), c.labels);
}

INSTANTIATE_TEST_SUITE_P(
    TableCurve, CurveAxes,
    ::testing::Values(
        AxisCase{"SinglePoint", {1500}, IpType, 5, 1300, 1700, {"1.3", "1.4", "1.5", "1.6", "1.7"}},
        AxisCase{"EqualZeros", {0, 0}, PlainNumberType, 5, -1, 1, {"-1", "0", "1"}},
        AxisCase{"Negative", {-500, -2000}, IpType, 6, -2000, -500, {"-2.0", "-1.5", "-1.0", "-0.5"}},
        AxisCase{"FullRawRange",
                 {32767, -32768},
                 PlainNumberType,
                 7,
                 -32768,
                 32767,
                 {"-30000", "-20000", "-10000", "0", "10000", "20000", "30000"}},
        AxisCase{"SingleAtTheRangeEnd",
                 {32767},
                 PlainNumberType,
                 4,
                 29000,
                 32767,
                 {"29000", "30000", "31000", "32000"}},
        AxisCase{"DecimalPlaces", {0, 147}, DecimalPlacesType(2), 4, 0, 150, {"0.0", "0.5", "1.0", "1.5"}},
        AxisCase{"Percent", {2095}, O2PercentType, 5, 1800, 2400, {"18", "20", "22", "24"}},
        AxisCase{"Volts", {5000, 0}, OutputVoltsType, 6, 0, 5000, {"0", "1", "2", "3", "4", "5"}},
        AxisCase{"TooFewTicksStillSpanZero", {-4, 7}, PlainNumberType, 1, -10, 10, {"-10", "0", "10"}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

struct TitleCase {
  const char* name;
  const char* columnTitle;
  ValueType type;
  const char* axisTitle;
};

class CurveTitles : public ::testing::TestWithParam<TitleCase> {};

TEST_P(CurveTitles, AxisTitleIsTheColumnTitleWithItsUnit) {
  const TitleCase& c = GetParam();
  EXPECT_EQ(CurveAxisTitle(c.columnTitle, c.type), c.axisTitle);
}

INSTANTIATE_TEST_SUITE_P(TableCurve, CurveTitles,
                         ::testing::Values(TitleCase{"UnitNamed", "Ipn ( mA )", IpType, "Ipn ( mA )"},
                                           TitleCase{"Abbreviation", "mA", IpType, "mA"},
                                           TitleCase{"Unitless", "Output", DecimalPlacesType(2), "Output"},
                                           TitleCase{"UnitAdded", "Input ", IpType, "Input ( mA )"},
                                           TitleCase{"LetterInAWordIsNoUnit", "LEVEL", OutputVoltsType,
                                                     "LEVEL ( V )"},
                                           TitleCase{"BlankTitle", "", OutputVoltsType, "( V )"},
                                           TitleCase{"NothingAtAll", " ", PlainNumberType, ""}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace

namespace {

struct DragCase {
  const char* name;
  std::vector<Row> rows;
  std::size_t point;
  int64_t wanted;
  int16_t expected;
  std::vector<int> rowsOfPoints;
};

TEST(TableCurve, ADraggedPointStaysBetweenItsNeighboursAndMapsToItsRow) {
  const std::vector<DragCase> cases = {
      {"free between neighbours", {{"1", "10"}, {"2", "20"}, {"3", "30"}}, 1, 25, 25, {0, 1, 2}},
      {"held below the next output", {{"1", "10"}, {"2", "20"}, {"3", "30"}}, 1, 99, 30, {0, 1, 2}},
      {"held above the previous output", {{"1", "10"}, {"2", "20"}, {"3", "30"}}, 1, -5, 10, {0, 1, 2}},
      {"first point of a rising table", {{"1", "10"}, {"2", "20"}, {"3", "30"}}, 0, 50, 20, {0, 1, 2}},
      {"first point of a rising table, downwards", {{"1", "10"}, {"2", "20"}, {"3", "30"}}, 0, -500, -500, {0, 1, 2}},
      {"last point of a falling table", {{"1", "30"}, {"2", "20"}, {"3", "10"}}, 2, 40, 20, {0, 1, 2}},
      {"rows out of order map to their rows", {{"3", "30"}, {"1", "10"}, {"2", "20"}}, 0, 15, 15, {1, 2, 0}},
      {"two points move freely", {{"1", "10"}, {"2", "20"}}, 1, -40000, -32768, {0, 1}},
      {"a table that breaks a rule only keeps 16 bits", {{"1", "10"}, {"2", "30"}, {"3", "20"}}, 1, 40000, 32767, {0, 1, 2}},
  };
  for (const DragCase& c : cases) {
    const TableCurve curve =
        TableCurve::FromTable(MakeTable(PlainNumberType, PlainNumberType, c.rows), "Input", "Output");
    EXPECT_EQ(curve.DraggedOutput(c.point, c.wanted), c.expected) << c.name;
    EXPECT_EQ(curve.Rows(), c.rowsOfPoints) << c.name;
  }
}

}  // namespace
