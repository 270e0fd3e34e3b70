#pragma once

#include <memory>

#include "ui/setupdialog.h"

namespace Ui {
class TFormAnalogOutputSetup;
}

// "Analog Output Setup": what the analog output follows, its calibration
// table from that value to the output voltage and its default voltage,
// loaded from and saved to table files. Works on a copy of the record,
// which its Output Tables button edits too: everything reaches the record
// only with OK.
class TFormAnalogOutputSetup : public TSetupDialogOf<TFormAnalogOutputSetup> {
  Q_OBJECT

 public:
  TFormAnalogOutputSetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner = nullptr);
  ~TFormAnalogOutputSetup() override;

 private:
  // The button and the input column follow the chosen function.
  void ComboBoxOutputFunctionClick();
  void ButtonLoadClick();
  void ButtonSaveAsClick();

  std::unique_ptr<Ui::TFormAnalogOutputSetup> ui_;
};
