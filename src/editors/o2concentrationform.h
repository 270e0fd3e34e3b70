#pragma once

#include <memory>

#include <QDialog>
#include <QElapsedTimer>

#include "editors/o2calibration.h"

class QTimer;
class Sleeper;

namespace Ui {
class TFormO2Concentration;
}

// "O2 Concentration Calibration ": the measurement window. Its Timer1
// drives the caller's O2Calibration tick by tick and the window shows the two status
// lines, the Store button and a trace of the last minute of Ip readings
// with the filtered Ip and its 2 % band. Closes with Accepted once a
// reading is stored, else with Rejected after showing the ending.
class TFormO2Concentration : public QDialog {
  Q_OBJECT

 public:
  // sleeper: the 2000 ms the ending stays on screen.
  TFormO2Concentration(O2Calibration& calibration, QWidget* owner, Sleeper& sleeper);
  ~TFormO2Concentration() override;

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Timer1Timer();
  void ButtonOkClick();
  void ButtonCancelClick();
  void ShowView();
  // Leaves the ending readable, then closes with Rejected.
  void ShowEnding();

  std::unique_ptr<Ui::TFormO2Concentration> ui_;
  O2Calibration& calibration_;
  Sleeper& sleeper_;
  QTimer* Timer1;
  QElapsedTimer clock_;
  bool closing_ = false;
  bool placed_ = false;
};
