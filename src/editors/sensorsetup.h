#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "ui/setupdialog.h"

class QVASerialComms;
class QWidget;

namespace Ui {
class TFormSensorSetup;
}

class Sleeper;

// How the O2 calibration reaches the meter: openLink opens the link on a
// port name (raising ESerialCommunications when it cannot), sleeper waits
// while an ending stays on screen. Empty: the real serial link and wait.
struct CalibrationAccess {
  std::function<std::unique_ptr<QVASerialComms>(const QString& portName)> openLink;
  Sleeper* sleeper = nullptr;
};

// "Sensor Setup": the sensor type, the calibration method with its value,
// O2 calibration or table, the NTK heater voltage and the sensor timeout.
// Works on a copy of the whole record, so that a calibration run while the
// dialog is open lands in the copy and Cancel still discards everything.
class TFormSensorSetup : public TSetupDialogOf<TFormSensorSetup> {
  Q_OBJECT

 public:
  // portName is the port the O2 calibration talks to.
  TFormSensorSetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner, const QString& portName,
                   CalibrationAccess access = {});
  ~TFormSensorSetup() override;

 private:
  void ComboBoxCalMethodChange();
  void RadioUserCalibrationClick();
  void FrameUserCalTableExit(QWidget* newFocus);
  void ButtonLoadClick();
  void ButtonSaveAsClick();
  void ButtonCalibrateClick();
  void Calibrate(int o2Percent);

  // The value page and the existing-calibration text, from the work copy.
  void FillValuePage();
  void FillCurrentCalibration();
  int SelectedSensorType() const;
  // The "Enter calibration value" step of OK: the typed resistor or gain.
  bool StoreCalValue(QVA_CONFIG_DATA& candidate);
  // The table read of OK: at least two points.
  bool StoreCalTable(QVA_CONFIG_DATA& candidate);

  std::unique_ptr<Ui::TFormSensorSetup> ui_;
  QString portName_;
  CalibrationAccess access_;
};
