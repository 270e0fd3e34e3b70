// The O2 calibration measurement tick by tick against a meter on the fake
// line, and what a stored reading makes of the gain.

#include <gtest/gtest.h>

#include "comms/devicecommands.h"
#include "editors/o2calibration.h"
#include "o2testmeter.h"
#include "support/scriptedprompter.h"

namespace {

constexpr uint8_t kRun = 0;
constexpr uint8_t kPumpWait = 2;
constexpr uint8_t kWarmUp = 3;

const QString kWaitingForRun = QStringLiteral("Waiting for QVA to enter RUN state ");
const QString kSettling = QStringLiteral("Waiting for QVA reading to stabilise");
const QString kStable = QStringLiteral("QVA Reading stable. Press Store to save the reading.");
const QString kNotCompleted = QStringLiteral("Calibration not completed.");

class O2CalibrationTest : public ::testing::Test {
 protected:
  O2CalibrationTest() { meter.Attach(link); }

  // Ticks `count` times in the current meter state; every tick must go on.
  void TickOn(int count) {
    for (int i = 0; i < count; ++i) ASSERT_EQ(calibration.Tick(), TickResult::Continue) << "tick " << i + 1;
  }
  void ExpectEnding(const QString& text) {
    EXPECT_EQ(calibration.View().line1, text);
    EXPECT_EQ(calibration.View().line2, kNotCompleted);
    EXPECT_TRUE(calibration.View().line1Visible);
    EXPECT_TRUE(calibration.View().line2Visible);
    EXPECT_EQ(calibration.View().colour, StatusColour::WindowText);
    EXPECT_FALSE(calibration.View().storeEnabled);
    EXPECT_TRUE(calibration.Finished());
  }

  FakeLink link;
  O2TestMeter meter;
  ScriptedPrompter prompter;
  O2Calibration calibration{*link.comms, prompter};
};

TEST_F(O2CalibrationTest, StartsReadingTheStatusWithStoreDisabled) {
  EXPECT_EQ(calibration.View().line1, QStringLiteral("Reading QVA status."));
  EXPECT_EQ(calibration.View().colour, StatusColour::ButtonFace);
  EXPECT_FALSE(calibration.View().line2Visible);
  EXPECT_FALSE(calibration.View().storeEnabled);
  EXPECT_EQ(meter.statusReads, 0);
}

TEST_F(O2CalibrationTest, WarmUpCountsDownThenRunStartsTheReadings) {
  meter.state = kWarmUp;
  TickOn(1);
  EXPECT_EQ(calibration.View().line2, QStringLiteral("Current QVA state : WARM_UP"));
  EXPECT_EQ(calibration.View().line1, kWaitingForRun);  // no count-down before the second tick
  EXPECT_EQ(calibration.View().colour, StatusColour::WindowText);
  TickOn(1);
  EXPECT_EQ(calibration.View().line1, kWaitingForRun + QStringLiteral("(timeout in 30 seconds)"));
  TickOn(1);
  EXPECT_EQ(calibration.View().line1, kWaitingForRun + QStringLiteral("(timeout in 29 seconds)"));
  EXPECT_EQ(meter.liveReads, 0);
  meter.state = kRun;
  meter.ip = 3200;
  TickOn(1);
  EXPECT_EQ(meter.liveReads, 1);
  EXPECT_EQ(calibration.View().line2, QStringLiteral("Ip reading : 3.200 mA "));
  EXPECT_EQ(calibration.View().line1, kSettling);
  EXPECT_EQ(calibration.View().colour, StatusColour::Settling);
  EXPECT_FALSE(calibration.View().storeEnabled);
}

TEST_F(O2CalibrationTest, OneNonRunStateTimesOutAfter120Ticks) {
  meter.state = kPumpWait;
  TickOn(120);
  EXPECT_EQ(calibration.Tick(), TickResult::Ended);
  ExpectEnding(QStringLiteral("Error: Operation timed out."));
  // A finished calibration does not talk to the meter again.
  const int reads = meter.statusReads;
  EXPECT_EQ(calibration.Tick(), TickResult::Ended);
  EXPECT_EQ(meter.statusReads, reads);
}

TEST_F(O2CalibrationTest, ChangingNonRunStatesGiveUpAfter480Ticks) {
  for (int i = 0; i < 479; ++i) {
    meter.state = i % 2 == 0 ? kWarmUp : kPumpWait;
    ASSERT_EQ(calibration.Tick(), TickResult::Continue) << i + 1;
  }
  meter.state = kWarmUp;
  EXPECT_EQ(calibration.Tick(), TickResult::Ended);
  ExpectEnding(QStringLiteral("Error: Timeout waiting for RUN state"));
}

TEST_F(O2CalibrationTest, LeavingRunEndsTheCalibration) {
  meter.state = kRun;
  meter.ip = 3200;
  TickOn(5);
  meter.state = kWarmUp;
  EXPECT_EQ(calibration.Tick(), TickResult::Ended);
  ExpectEnding(QStringLiteral("Error: QVA has left RUN state."));
}

TEST_F(O2CalibrationTest, TenMinutesInRunWithoutAStoreTimeOut) {
  meter.state = kRun;
  meter.ip = 3200;
  TickOn(2400);
  EXPECT_TRUE(calibration.View().storeEnabled);
  EXPECT_EQ(calibration.Tick(), TickResult::Ended);
  ExpectEnding(QStringLiteral("Error: Operation timed out."));
}

TEST_F(O2CalibrationTest, SixtySteadyTicksEnableStoreAndATwoPercentReadingRestartsThem) {
  meter.state = kRun;
  meter.ip = 3200;
  TickOn(60);  // the first reading starts the filter, 59 more within 2 %
  EXPECT_FALSE(calibration.View().storeEnabled);
  TickOn(1);
  EXPECT_TRUE(calibration.View().storeEnabled);
  EXPECT_EQ(calibration.View().line1, kStable);
  EXPECT_EQ(calibration.View().colour, StatusColour::Stable);
  EXPECT_EQ(calibration.View().line2,
            QStringLiteral("Ip reading : 3.200 mA (filtered : 3.200 mA, difference : 0.0 %)"));

  meter.ip = 3263;  // 1.97 % off: still stable
  TickOn(1);
  EXPECT_TRUE(calibration.View().storeEnabled);
  meter.ip = 3200;
  TickOn(1);
  meter.ip = 3264;  // 1.9 % above the filtered 3.203 mA
  TickOn(1);
  EXPECT_TRUE(calibration.View().storeEnabled);
  meter.ip = 3140;  // 2.1 % below the filtered 3.206 mA
  TickOn(1);
  EXPECT_EQ(calibration.View().line2,
            QStringLiteral("Ip reading : 3.140 mA (filtered : 3.206 mA, difference : 2.1 %)"));
  EXPECT_FALSE(calibration.View().storeEnabled);
  EXPECT_EQ(calibration.View().colour, StatusColour::Settling);
  meter.ip = 3200;
  TickOn(59);
  EXPECT_FALSE(calibration.View().storeEnabled);
  TickOn(1);
  EXPECT_TRUE(calibration.View().storeEnabled);
}

TEST_F(O2CalibrationTest, TheFilterFollowsAStepWithATimeConstantOfTwentyTicks) {
  meter.state = kRun;
  meter.ip = 3200;
  TickOn(1);
  meter.ip = 3300;
  TickOn(1);
  EXPECT_EQ(calibration.View().line2,
            QStringLiteral("Ip reading : 3.300 mA (filtered : 3.200 mA, difference : 3.1 %)"));
  TickOn(1);
  // 20 * 3200 + 100 = 64100: 3205 uA.
  EXPECT_EQ(calibration.View().line2,
            QStringLiteral("Ip reading : 3.300 mA (filtered : 3.205 mA, difference : 3.0 %)"));
  ASSERT_TRUE(calibration.LastReading().has_value());
  EXPECT_EQ(calibration.LastReading()->ip, 3300);
  EXPECT_EQ(calibration.LastReading()->filtered, 3205);
}

TEST_F(O2CalibrationTest, StoreTakesTheFilteredIpAndTheSensorTypeOfThatTick) {
  meter.state = kRun;
  meter.ip = 3200;
  TickOn(40);
  meter.ip = 3210;
  TickOn(21);
  ASSERT_TRUE(calibration.View().storeEnabled);
  calibration.RequestStore();
  meter.sensorType = 3;
  EXPECT_EQ(calibration.Tick(), TickResult::Stored);
  EXPECT_EQ(calibration.StoredIp(), 3207);  // 3210 filtered for 22 readings
  EXPECT_EQ(calibration.DeviceSensorType(), 3);
}

TEST_F(O2CalibrationTest, AStoreRequestWaitsForTheNextStableTick) {
  meter.state = kRun;
  meter.ip = 3200;
  TickOn(61);
  calibration.RequestStore();
  meter.ip = 3500;  // this tick is not stable: nothing is stored
  TickOn(1);
  meter.ip = 3300;
  TickOn(59);
  EXPECT_FALSE(calibration.View().storeEnabled);
  // Stable again: the request still stands.
  TickResult result = TickResult::Continue;
  for (int i = 0; i < 100 && result == TickResult::Continue; ++i) result = calibration.Tick();
  EXPECT_EQ(result, TickResult::Stored);
}

TEST_F(O2CalibrationTest, AFilteredIpOfZeroNeverCountsAsStable) {
  meter.state = kRun;
  meter.ip = 0;
  TickOn(200);
  EXPECT_FALSE(calibration.View().storeEnabled);
  EXPECT_EQ(calibration.View().line2,
            QStringLiteral("Ip reading : 0.000 mA (filtered : 0.000 mA, difference : --- %)"));
}

TEST_F(O2CalibrationTest, ALinkFailureIsShownThenEndsTheCalibration) {
  meter.state = kRun;
  meter.ip = 3200;
  TickOn(3);
  meter.failing = true;
  prompter.ExpectError(
      QStringLiteral("There was an error communicating with the device.\n"
                     "You should check that the device is properly connected and powered on.\n\n"
                     "If the problem persists, you should contact your Ulmora dealer for advice.\n"
                     "Error Type: NAK received, error = Examine Memory Fail"));
  EXPECT_EQ(calibration.Tick(), TickResult::Ended);
  ExpectEnding(QStringLiteral("Error while performing calibration"));
}

TEST_F(O2CalibrationTest, CancelEndsWithItsText) {
  meter.state = kWarmUp;
  TickOn(2);
  calibration.Cancel();
  ExpectEnding(QStringLiteral("Calibration cancelled."));
}

TEST(O2CalibrationResultTest, GainResistorAndRefusals) {
  const QString notCompleted = QStringLiteral("\nThe calibration could not be completed.");
  struct Case {
    int o2;
    int16_t ip;
    int deviceType;
    int selectedType;
    uint16_t gain;
    QString resistorOrRefusal;
  };
  const Case cases[] = {
      {2094, 3200, 2, 2, 1562, "2710 "},
      {2094, 2000, 1, 1, 2500, "Equivalent resistor cannot be calculated"},
      {2094, 5000, 3, 3, 1000, "598 "},
      {1000, 3200, 2, 2, 746, "375 "},  // 10 %: K = 2387774.6
      {2094, 1562, 2, 0, 3201, "Equivalent resistor cannot be calculated"},
      {2094, 0, 2, 2, 0, "The Ip reading (0.000 mA) is out of range." + notCompleted},
      {2094, -5, 2, 2, 0, "The Ip reading (-0.005 mA) is out of range." + notCompleted},
      {2094, 76, 2, 2, 0, "The calculated gain factor (65789) is out of range." + notCompleted},
      {2094, 77, 2, 2, 64935, "Equivalent resistor cannot be calculated"},
      {2094, 3200, 9, 2, 0, "The sensor type could not be determined." + notCompleted},
  };
  for (const Case& c : cases) {
    const O2CalibrationResult result = EvaluateO2Calibration(c.o2, c.ip, c.deviceType, c.selectedType);
    if (c.resistorOrRefusal.endsWith(notCompleted)) {
      EXPECT_EQ(result.refusal, c.resistorOrRefusal);
      EXPECT_TRUE(result.resultText.isEmpty());
      continue;
    }
    EXPECT_TRUE(result.refusal.isEmpty()) << result.refusal.toStdString();
    EXPECT_EQ(result.gain, c.gain) << c.ip;
    EXPECT_TRUE(result.resultText.endsWith(" : " + c.resistorOrRefusal)) << result.resultText.toStdString();
  }
}

TEST(O2CalibrationResultTest, TheResultTextInFull) {
  EXPECT_EQ(EvaluateO2Calibration(2094, 3200, 2, 2).resultText,
            "New calibration values\n"
            "   Measured Ip : 3.200 mA\n"
            "   Calculated gain factor calibration : 1562 \n"
            "   Calculated equivalent resistor calibration : 2710 ");
}

}  // namespace
