#pragma once

#include <memory>

#include <QString>

#include "editors/o2calibration.h"
#include "ui/setupdialog.h"

class QWidget;

namespace Ui {
class TFormSensorSetup;
}

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
  class CalibrationDisplay;

  void ComboBoxCalMethodChange();
  void RadioUserCalibrationClick();
  void ButtonLoadClick();
  void ButtonSaveAsClick();
  void ButtonCalibrateClick();
  // Every page laid out once, so that the dialog keeps the size of the
  // largest and its buttons stay where they are whatever the method.
  void FitWidestPage();

  // The value page and the existing-calibration text, from the work copy.
  void FillValuePage();
  void FillCurrentCalibration();
  int SelectedSensorType() const;
  bool TableMethodChosen() const;
  // The "Enter calibration value" step of OK: the typed resistor or gain.
  bool StoreCalValue(QVA_CONFIG_DATA& candidate);

  std::unique_ptr<Ui::TFormSensorSetup> ui_;
  QString portName_;
  CalibrationAccess access_;
};
