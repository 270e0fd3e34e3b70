#pragma once

#include <memory>

#include "ui/setupdialog.h"

namespace Ui {
class TFormDigitalInputsSetup;
}

// "Digital Inputs Setup": the modes of the two digital inputs, the RPM
// pulses per revolution of input 1 and the device activation. Keeps no
// copy: OK writes its four fields straight into the record, Cancel nothing.
class TFormDigitalInputsSetup : public TSetupDialogOf<TFormDigitalInputsSetup> {
  Q_OBJECT

 public:
  TFormDigitalInputsSetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner = nullptr);
  ~TFormDigitalInputsSetup() override;

 private:
  // The pulses rule: the pulses controls are in use only while input 1
  // measures RPM.
  void ComboBoxInput1ModeChange();

  std::unique_ptr<Ui::TFormDigitalInputsSetup> ui_;
};
