// The O2 calibration measurement tick by tick against a meter on the fake
// line, and what a stored reading makes of the gain.

#include <cstring>

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

// ---- The whole procedure: link, status check, measurement, result --------

namespace {

// Runs the measurement as the window would, tick by tick: presses Store
// once it is enabled, or cancels after cancelAfter ticks. Records what the
// procedure showed, and whether the port was open meanwhile.
class FakeCalibrationDisplay : public O2CalibrationDisplay {
 public:
  explicit FakeCalibrationDisplay(const FakeSerialPort::State& line) : line_(line) {}
  bool Measure(O2Calibration& calibration) override {
    ++measured;
    openWhileMeasuring = !line_.closed;
    for (int tick = 0; tick < 1000; ++tick) {
      if (tick == cancelAfter) calibration.Cancel();
      if (calibration.View().storeEnabled) calibration.RequestStore();
      const TickResult result = calibration.Tick();
      if (result != TickResult::Continue) return result == TickResult::Stored;
    }
    ADD_FAILURE() << "the measurement did not end";
    return false;
  }
  void ShowResult(const QString& text) override {
    results.push_back(text);
    closedAtResult = line_.closed;
  }

  int cancelAfter = -1;
  int measured = 0;
  bool openWhileMeasuring = false;
  bool closedAtResult = false;
  std::vector<QString> results;

 private:
  const FakeSerialPort::State& line_;
};

// The procedure on the fake line, with a fresh meter, display and record.
struct ProcedureBench {
  ProcedureBench() {
    line->responder = [this](const QByteArray& request) { return meter.Answer(request); };
    access.openLink = [this](const QString& port) {
      openedPorts.push_back(port);
      return std::make_unique<QVASerialComms>(port, std::make_unique<FakeSerialPort>(line), sleeper);
    };
    record = MakeBlankConfig();
    record.user_cal_resistor = 1500;
    record.user_gain_factor = 1200;
  }
  O2CalibrationOutcome Run(int selectedSensorType) {
    return RunO2CalibrationProcedure({QStringLiteral("COM3"), 2094, selectedSensorType}, access, display, prompter,
                                     QStringLiteral("Sensor Setup"), record);
  }

  std::shared_ptr<FakeSerialPort::State> line = std::make_shared<FakeSerialPort::State>();
  RecordingSleeper sleeper;
  O2TestMeter meter;
  CalibrationAccess access;
  std::vector<QString> openedPorts;
  FakeCalibrationDisplay display{*line};
  ScriptedPrompter prompter;
  QVA_CONFIG_DATA record{};
};

const QString kCompleted = QStringLiteral(
    "Calibration completed successfully.\n"
    "You should send the configuration to the QVA for the new calibration to take effect.");

TEST(O2CalibrationProcedureTest, EachEndingLeavesTheRecordAsItsOutcomeSays) {
  struct Case {
    const char* name;
    int selectedType;  // the meter has sensor type 2
    int16_t ip;
    int cancelAfter;
    O2CalibrationOutcome outcome;
    QString message;  // empty: none
    int measured;
    int gain;  // the record's gain afterwards
  };
  const Case cases[] = {
      {"stored", 2, 3200, -1, O2CalibrationOutcome::Calibrated, kCompleted, 1, 1562},
      {"other sensor", 1, 3200, -1, O2CalibrationOutcome::SensorMismatch,
       QStringLiteral("The sensor type in the QVA is different to the sensor type selected. This calibration "
                      "cannot be performed until the current configuration is sent to the QVA."),
       0, 1200},
      {"cancelled", 2, 3200, 5, O2CalibrationOutcome::NotStored, QString(), 1, 1200},
      {"gain too large", 2, 50, -1, O2CalibrationOutcome::Refused,
       QStringLiteral("The calculated gain factor (100000) is out of range.\nThe calibration could not be completed."),
       1, 1200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProcedureBench bench;
    bench.meter.sensorType = 2;
    bench.meter.ip = c.ip;
    bench.display.cancelAfter = c.cancelAfter;
    if (!c.message.isEmpty()) bench.prompter.ExpectMessage(c.message);

    EXPECT_EQ(bench.Run(c.selectedType), c.outcome);
    EXPECT_TRUE(bench.prompter.AllAnswered());
    if (!c.message.isEmpty()) {
      EXPECT_EQ(bench.prompter.Messages().back().caption, QStringLiteral("Sensor Setup"));
    }
    EXPECT_EQ(bench.display.measured, c.measured);
    EXPECT_EQ(+bench.record.user_gain_factor, c.gain);
    // Only a calibration clears the resistor and shows a result.
    const bool calibrated = c.outcome == O2CalibrationOutcome::Calibrated;
    EXPECT_EQ(+bench.record.user_cal_resistor, calibrated ? 0 : 1500);
    EXPECT_EQ(bench.display.results.size(), calibrated ? 1u : 0u);
    // The port is held only while the meter is read.
    EXPECT_EQ(bench.openedPorts, std::vector<QString>{QStringLiteral("COM3")});
    EXPECT_EQ(bench.display.openWhileMeasuring, c.measured == 1);
    EXPECT_EQ(bench.display.closedAtResult, calibrated);
    EXPECT_TRUE(bench.line->closed);
  }
}

TEST(O2CalibrationProcedureTest, ALinkFailureBeforeTheMeasurementRaisesAndChangesNothing) {
  ProcedureBench bench;
  bench.meter.failing = true;
  const QVA_CONFIG_DATA before = bench.record;
  EXPECT_THROW(bench.Run(2), ESerialCommunications);
  EXPECT_EQ(bench.display.measured, 0);
  EXPECT_EQ(std::memcmp(&before, &bench.record, sizeof before), 0);
  EXPECT_TRUE(bench.line->closed);
}

}  // namespace
