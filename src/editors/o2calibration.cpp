#include "editors/o2calibration.h"

#include <cmath>

#include "comms/devicecommands.h"
#include "comms/qvaserialcomms.h"
#include "editors/gaintable.h"
#include "editors/sensorrules.h"
#include "platform/prompter.h"
#include "platform/qvaerrors.h"
#include "ui/qvavalues.h"

namespace {

constexpr uint8_t kStateRun = 0;
// The time limits of the measurement, in milliseconds.
constexpr int kRunWaitMs = 120000;    // for the meter to reach RUN at all
constexpr int kStateLimitMs = 30000;  // in any one state other than RUN
constexpr int kRunLimitMs = 600000;   // in RUN without a store
constexpr int kFilterTimeMs = 5000;   // time constant of the Ip filter
constexpr int kStableTimeMs = 15000;  // within the tolerance before Store
constexpr double kStableTolerancePercent = 2.0;

// The gain at 20.94 % O2 is 5e6 / Ip in microamps.
constexpr double kGainAtAir = 5.0e6;
constexpr double kAirO2 = 2094.0;
constexpr int64_t kMaxGain = 0xFFFF;

const QString kCalibrationNotCompleted = QStringLiteral("Calibration not completed.");
const QString kCalibrationNotPossible = QStringLiteral("The calibration could not be completed.");

QString IpText(int ip) {
  return QString::asprintf("%.3lf mA", ip / 1000.0);
}

}  // namespace

O2Calibration::O2Calibration(QVASerialComms& link, Prompter& prompter, int intervalMs)
    : link_(link),
      prompter_(prompter),
      intervalMs_(intervalMs),
      runWait_(kRunWaitMs / intervalMs),
      filterLength_(kFilterTimeMs / intervalMs),
      stableTicks_(kStableTimeMs / intervalMs) {
  view_.line1 = QStringLiteral("Reading QVA status.");
  view_.line1Visible = true;
  view_.colour = StatusColour::ButtonFace;
}

TickResult O2Calibration::Tick() {
  if (finished_) return TickResult::Ended;
  lastReading_.reset();
  try {
    const DeviceStatusBlock status = ReadStatusBlock(link_);
    const uint8_t state = status.State();
    if (state != kStateRun) {
      view_.line2 = QStringLiteral("Current QVA state : ") + DeviceStateName(state);
      view_.line2Visible = true;
      if (previousState_ == kStateRun) return End(QStringLiteral("Error: QVA has left RUN state."));
      view_.line1 = QStringLiteral("Waiting for QVA to enter RUN state ");
      if (stateCountdown_ != 0)
        view_.line1 += QStringLiteral("(timeout in %1 seconds)").arg(stateCountdown_ * intervalMs_ / 1000);
      view_.line1Visible = true;
      view_.colour = StatusColour::WindowText;
      if (--runWait_ <= 0) return End(QStringLiteral("Error: Timeout waiting for RUN state"));
    } else if (MeasurementStep()) {
      deviceSensorType_ = status.SensorType();
      finished_ = true;
      return TickResult::Stored;
    }
    if (previousState_ == state) {
      if (--stateCountdown_ <= 0) return End(QStringLiteral("Error: Operation timed out."));
    } else {
      stateCountdown_ = (state == kStateRun ? kRunLimitMs : kStateLimitMs) / intervalMs_;
    }
    previousState_ = state;
    return TickResult::Continue;
  } catch (const Exception& failure) {
    prompter_.ShowError(failure.Message());
    return End(QStringLiteral("Error while performing calibration"));
  }
}

bool O2Calibration::MeasurementStep() {
  const int32_t ip = ReadLiveData(link_).ip;
  QString text = QString::asprintf("Ip reading : %.3lf mA ", ip / 1000.0);
  const O2Reading reading{ip, filterStarted_ ? filteredIp_ : ip};
  if (filterStarted_) {
    const int32_t deviation = ip - filteredIp_;
    text += QString::asprintf("(filtered : %.3lf mA,", filteredIp_ / 1000.0);
    if (filteredIp_ == 0) {
      // No percentage of nothing: a filtered Ip of 0 never counts as stable.
      text += QStringLiteral(" difference : --- %)");
      stableCountdown_ = stableTicks_;
    } else {
      const double percent = std::fabs(deviation * 100.0 / filteredIp_);
      text += QString::asprintf(" difference : %.1lf %%)", percent);
      if (percent >= kStableTolerancePercent)
        stableCountdown_ = stableTicks_;
      else if (stableCountdown_ > 0)
        --stableCountdown_;
    }
    // The sum holds N times the filtered value; each reading moves it by
    // its deviation: a first-order low-pass with a time constant of N ticks.
    filterSum_ += deviation;
    filteredIp_ = filterSum_ / filterLength_;
  } else {
    filteredIp_ = ip;
    filterSum_ = ip * filterLength_;
    filterStarted_ = true;
    stableCountdown_ = stableTicks_;
    storeRequested_ = false;
  }
  lastReading_ = reading;
  view_.line2 = text;
  view_.line2Visible = true;
  view_.line1Visible = true;
  if (stableCountdown_ > 0) {
    view_.storeEnabled = false;
    view_.line1 = QStringLiteral("Waiting for QVA reading to stabilise");
    view_.colour = StatusColour::Settling;
    return false;
  }
  view_.storeEnabled = true;
  view_.line1 = QStringLiteral("QVA Reading stable. Press Store to save the reading.");
  view_.colour = StatusColour::Stable;
  if (!storeRequested_) return false;
  storedIp_ = static_cast<int16_t>(filteredIp_);
  return true;
}

void O2Calibration::Cancel() {
  if (!finished_) End(QStringLiteral("Calibration cancelled."));
}

TickResult O2Calibration::End(const QString& text) {
  finished_ = true;
  view_.line1 = text;
  view_.line2 = kCalibrationNotCompleted;
  view_.line1Visible = view_.line2Visible = true;
  view_.colour = StatusColour::WindowText;
  view_.storeEnabled = false;
  return TickResult::Ended;
}

O2CalibrationResult EvaluateO2Calibration(int o2Percent, int16_t storedIp, int deviceSensorType,
                                          int selectedSensorType) {
  O2CalibrationResult result;
  const QString ipText = IpText(storedIp);
  if (storedIp < 1) {
    result.refusal = QStringLiteral("The Ip reading (") + ipText + QStringLiteral(") is out of range.\n") +
                     kCalibrationNotPossible;
    return result;
  }
  const double k = o2Percent * kGainAtAir / kAirO2;
  const auto gain = static_cast<int64_t>(k / storedIp);
  // user_gain_factor holds 16 bits: a larger gain would be stored cut.
  if (gain > kMaxGain) {
    result.refusal = QStringLiteral("The calculated gain factor (") + QString::number(gain) +
                     QStringLiteral(") is out of range.\n") + kCalibrationNotPossible;
    return result;
  }
  const GainTable* deviceTable = GainTableFor(deviceSensorType);
  if (deviceTable == nullptr) {
    result.refusal = QStringLiteral("The sensor type could not be determined.\n") + kCalibrationNotPossible;
    return result;
  }
  result.gain = static_cast<uint16_t>(gain);
  const GainTable* selectedTable = GainTableFor(selectedSensorType);
  QString resistorText = kResistorNotCalculable;
  if (selectedTable != nullptr && GainInTable(gain, *selectedTable)) {
    // The selected type decides whether the gain is in range, the device's
    // table gives the resistor (the two agree once a calibration may run).
    if (const std::optional<uint32_t> resistor = GainToResistor(gain, *deviceTable))
      resistorText = FormatValue32(PlainNumberType, *resistor, true);
  }
  result.resultText = QStringLiteral("New calibration values\n") + QStringLiteral("   Measured Ip : ") +
                      ipText + QStringLiteral("\n") +
                      QStringLiteral("   Calculated gain factor calibration : ") +
                      FormatValue32(PlainNumberType, result.gain, true) + QStringLiteral("\n") +
                      QStringLiteral("   Calculated equivalent resistor calibration : ") + resistorText;
  return result;
}

O2CalibrationOutcome RunO2CalibrationProcedure(const O2CalibrationRequest& request, const CalibrationAccess& access,
                                               O2CalibrationDisplay& display, Prompter& prompter,
                                               const QString& caption, QVA_CONFIG_DATA& record) {
  int16_t storedIp = 0;
  uint8_t deviceSensorType = 0;
  {
    // The port is held only while the meter is read.
    const std::unique_ptr<QVASerialComms> link =
        access.openLink ? access.openLink(request.portName) : std::make_unique<QVASerialComms>(request.portName);
    // A gain measured with another sensor than the configuration's would
    // be wrong for it: the meter must hold this configuration first.
    if (ReadStatusBlock(*link).SensorType() != request.selectedSensorType) {
      ShowInformation(prompter, kSensorTypeMismatchMessage, caption);
      return O2CalibrationOutcome::SensorMismatch;
    }
    O2Calibration calibration(*link, prompter);
    if (!display.Measure(calibration)) return O2CalibrationOutcome::NotStored;
    storedIp = calibration.StoredIp();
    deviceSensorType = calibration.DeviceSensorType();
  }
  const O2CalibrationResult result =
      EvaluateO2Calibration(request.o2Percent, storedIp, deviceSensorType, request.selectedSensorType);
  if (!result.refusal.isEmpty()) {
    ShowInformation(prompter, result.refusal, caption);
    return O2CalibrationOutcome::Refused;
  }
  display.ShowResult(result.resultText);
  record.user_cal_resistor = 0;
  record.user_gain_factor = static_cast<int16_t>(result.gain);
  MessageRequest done;
  done.text = kCalibrationCompletedMessage;
  done.caption = caption;
  prompter.Message(done);
  return O2CalibrationOutcome::Calibrated;
}
