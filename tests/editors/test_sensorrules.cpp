// The sensor editor's rules: the gain tables and their interpolations, the
// ranges of the calibration value page and the texts built from a record.

#include <optional>

#include <gtest/gtest.h>

#include "config/qvaconfig.h"
#include "editors/gaintable.h"
#include "editors/sensorrules.h"

namespace {

constexpr int kNtk = 1;
constexpr int kLsu4 = 2;
constexpr int kLsu42 = 3;

const GainTable& Table(int sensorType) {
  return *GainTableFor(sensorType);
}

TEST(GainTable, OnlyTheThreeSensorTypesHaveATable) {
  EXPECT_EQ(GainTableFor(0), nullptr);
  EXPECT_EQ(GainTableFor(4), nullptr);
  EXPECT_EQ(GainTableFor(-1), nullptr);
  EXPECT_EQ(Table(kNtk).front(), 457);
  EXPECT_EQ(Table(kLsu4)[15], 1364);
  EXPECT_EQ(Table(kLsu42).back(), 1676);
}

TEST(GainTable, ResistorToGainInterpolatesAndTruncates) {
  struct Case {
    int sensor;
    uint32_t resistor;
    int16_t gain;
  };
  const Case cases[] = {
      {kNtk, 0, 457},
      {kNtk, 1500, 878},
      {kNtk, 2600, 882},
      {kLsu4, 1500, 1364},
      {kLsu42, 1500, 1433},
      {kLsu4, 3000, 1590},
      {kLsu42, 3000, 1676},
      {kLsu4, 1550, 1376},
      {kLsu4, 50, 152},
      {kLsu4, 199, 498},            // 304 + 196 * 99 / 100 = 498.04
      {kLsu4, 3100, 1600},          // past the table: the last step goes on
      {kLsu4, 4294967295u, 32767},  // saturates
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResistorToGain(c.resistor, Table(c.sensor)), c.gain) << c.sensor << " " << c.resistor;
}

TEST(GainTable, GainToResistorInsideTheTableOnly) {
  struct Case {
    int sensor;
    int64_t gain;
    std::optional<uint32_t> resistor;
  };
  const Case cases[] = {
      {kLsu4, 1562, 2710}, {kNtk, 457, 0},      {kNtk, 882, 2600}, {kLsu4, 1590, 3000}, {kLsu42, 1676, 3000},
      {kLsu4, 0, 0},       {kLsu4, 1376, 1550}, {kNtk, 878, 1500}, {kNtk, 456, {}},     {kNtk, 883, {}},
      {kLsu4, 1591, {}},   {kLsu4, -1, {}},     {kNtk, 2500, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GainToResistor(c.gain, Table(c.sensor)), c.resistor) << c.sensor << " " << c.gain;
}

TEST(SensorRules, CalibrationValueRangesFollowTheSensorType) {
  const std::tuple<int, uint32_t, uint32_t, uint32_t> cases[] = {
      {0, 4294967295u, 0, 0},
      {kNtk, 2600, 457, 882},
      {kLsu4, 3000, 0, 1590},
      {kLsu42, 3000, 0, 1676},
  };
  for (const auto& [sensor, resistorHigh, gainLow, gainHigh] : cases) {
    EXPECT_EQ(ResistorRange(sensor).low, 0u);
    EXPECT_EQ(ResistorRange(sensor).high, resistorHigh) << sensor;
    EXPECT_EQ(GainRange(sensor).low, gainLow) << sensor;
    EXPECT_EQ(GainRange(sensor).high, gainHigh) << sensor;
  }
}

TEST(SensorRules, CurrentCalibrationTextNamesTheResistorOrWhyThereIsNone) {
  const std::tuple<int, int16_t, QString> cases[] = {
      {kLsu4, 1562,
       "Existing calibration values\n   Gain factor calibration : 1562 \n"
       "   Equivalent resistor calibration : 2710 "},
      {kNtk, 2500,
       "Existing calibration values\n   Gain factor calibration : 2500 \n"
       "   Equivalent resistor calibration : Equivalent resistor cannot be calculated"},
      {0, 900,
       "Existing calibration values\n   Gain factor calibration : 900 \n"
       "   Equivalent resistor calibration : Equivalent resistor cannot be calculated without a sensor type"},
      // A measured gain above 32767 is kept as the unsigned 16 bits it is.
      {kLsu4, -1,
       "Existing calibration values\n   Gain factor calibration : 65535 \n"
       "   Equivalent resistor calibration : Equivalent resistor cannot be calculated"},
  };
  for (const auto& [sensor, gain, text] : cases) {
    QVA_CONFIG_DATA record = MakeBlankConfig();
    record.sensor_type = static_cast<uint8_t>(sensor);
    record.user_gain_factor = gain;
    EXPECT_EQ(CurrentCalibrationText(record), text);
  }
}

TEST(SensorRules, AtLeastTwoCalibrationPoints) {
  EXPECT_EQ(CalibrationPointsMessage(0),
            "No calibration points have been entered.\n"
            "You should enter at least two points in the calibration table to proceed.");
  EXPECT_EQ(CalibrationPointsMessage(1),
            "Only one calibration point has been entered.\n"
            "You should enter at least two points in the calibration table to proceed.");
  EXPECT_TRUE(CalibrationPointsMessage(2).isEmpty());
}

}  // namespace
