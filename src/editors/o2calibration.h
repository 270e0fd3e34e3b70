#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QString>

#include "config/qvaconfig.h"

class Prompter;
class QVASerialComms;
class Sleeper;

// The timed measurement of the O2 calibration: the meter runs in gas of
// known O2 concentration, its pump current Ip is read once a tick and
// filtered until it is stable, and the user stores the filtered value. The
// window's timer calls Tick; everything else happens here, so the whole
// measurement runs tick by tick without a timer.

inline const QString kO2CalibrationCaption = QStringLiteral("O2 Concentration Calibration ");
constexpr int kO2TickIntervalMs = 250;
// How long an ending stays readable before the window closes.
constexpr int kO2EndingDisplayMs = 2000;

// The colour of status line 1, as the system names them.
enum class StatusColour {
  ButtonFace,  // the first text, before the meter answered
  WindowText,  // waiting for RUN, and the endings
  Settling,    // red: the reading is not stable yet
  Stable,      // green: Store may be pressed
};

// What the window shows after a tick.
struct O2CalibrationView {
  QString line1;
  QString line2;
  bool line1Visible = false;
  bool line2Visible = false;
  StatusColour colour = StatusColour::ButtonFace;
  bool storeEnabled = false;
};

// One reading in RUN, for the trace: the Ip and the filtered Ip it was
// compared with (both in microamps).
struct O2Reading {
  int ip = 0;
  int filtered = 0;
};

enum class TickResult {
  Continue,  // start the timer again
  Stored,    // close with OK: StoredIp and DeviceSensorType hold the result
  Ended,     // the ending is shown: display it, then close with cancel
};

class O2Calibration {
 public:
  // All counters are in ticks of intervalMs. Link failures during a tick
  // are shown through prompter's error box before the ending.
  O2Calibration(QVASerialComms& link, Prompter& prompter, int intervalMs = kO2TickIntervalMs);

  // One tick: reads the status block, and in RUN the live data.
  TickResult Tick();
  // The Store button: the next stable tick stores.
  void RequestStore() { storeRequested_ = true; }
  // The Cancel button: ends with "Calibration cancelled.".
  void Cancel();

  const O2CalibrationView& View() const { return view_; }
  // The reading of the last tick, when it was in RUN.
  const std::optional<O2Reading>& LastReading() const { return lastReading_; }
  int16_t StoredIp() const { return storedIp_; }
  uint8_t DeviceSensorType() const { return deviceSensorType_; }
  bool Finished() const { return finished_; }

 private:
  bool MeasurementStep();
  TickResult End(const QString& text);

  QVASerialComms& link_;
  Prompter& prompter_;
  int intervalMs_;
  int runWait_;
  int stateCountdown_ = 0;
  std::optional<uint8_t> previousState_;
  int filterLength_;
  int32_t filterSum_ = 0;
  int32_t filteredIp_ = 0;
  bool filterStarted_ = false;
  int stableTicks_;
  int stableCountdown_ = 0;
  bool storeRequested_ = false;
  int16_t storedIp_ = 0;
  uint8_t deviceSensorType_ = 0;
  bool finished_ = false;
  O2CalibrationView view_;
  std::optional<O2Reading> lastReading_;
};

// What ButtonCalibrateClick makes of a stored reading.
struct O2CalibrationResult {
  // Non-empty: the calibration is refused with this notice and nothing
  // is stored.
  QString refusal;
  uint16_t gain = 0;
  // "New calibration values", for the result label.
  QString resultText;
};

// The gain of a stored Ip at an O2 concentration (0.01 %): K / Ip with
// K = O2 * 5e6 / 2094. The equivalent resistor is shown from the table of
// deviceSensorType when the gain lies in the table of selectedSensorType.
// Refused: an Ip below 1 uA, a gain that does not fit 16 bits, a device
// sensor type without a table.
O2CalibrationResult EvaluateO2Calibration(int o2Percent, int16_t storedIp, int deviceSensorType,
                                          int selectedSensorType);

inline const QString kSensorTypeMismatchMessage = QStringLiteral(
    "The sensor type in the QVA is different to the sensor type selected. This calibration cannot be performed until the current configuration is sent to the QVA.");
inline const QString kCalibrationCompletedMessage = QStringLiteral(
    "Calibration completed successfully.\nYou should send the configuration to the QVA for the new calibration to take effect.");

// How the O2 calibration reaches the meter: openLink opens the link on a
// port name (raising ESerialCommunications when it cannot), sleeper waits
// while an ending stays on screen. Empty: the real serial link and wait.
struct CalibrationAccess {
  std::function<std::unique_ptr<QVASerialComms>(const QString& portName)> openLink;
  Sleeper* sleeper = nullptr;
};

// What shows an O2 calibration: the measurement window and the result.
class O2CalibrationDisplay {
 public:
  virtual ~O2CalibrationDisplay() = default;
  // Runs the calibration's ticks on screen until it stores a reading
  // (true) or ends (false).
  virtual bool Measure(O2Calibration& calibration) = 0;
  // "New calibration values", shown before the completion message.
  virtual void ShowResult(const QString& text) = 0;
};

// What a calibration is asked to do: the port, the O2 concentration of the
// gas (0.01 %) and the sensor type the configuration selects.
struct O2CalibrationRequest {
  QString portName;
  int o2Percent = 0;
  int selectedSensorType = 0;
};

enum class O2CalibrationOutcome {
  Calibrated,      // record holds the new gain; the completion message was shown
  SensorMismatch,  // the meter has another sensor type; the message was shown
  NotStored,       // the measurement ended without a stored reading
  Refused,         // the reading gives no usable gain; the message was shown
};

// The whole O2 calibration: opens the link (the port is held only while
// the meter is read), checks that the meter's sensor type is the one
// selected, has display run the measurement, and from a stored reading
// writes the gain into record (the resistor cleared). Messages go through
// prompter titled with caption; link failures before the measurement raise
// ESerialCommunications, those during it end the measurement.
O2CalibrationOutcome RunO2CalibrationProcedure(const O2CalibrationRequest& request, const CalibrationAccess& access,
                                               O2CalibrationDisplay& display, Prompter& prompter,
                                               const QString& caption, QVA_CONFIG_DATA& record);
