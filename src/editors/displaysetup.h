#pragma once

#include <memory>

#include "ui/setupdialog.h"

namespace Ui {
class TFormDisplaySetup;
}

// "Display Setup": the output table the device's display shows, the
// display decimals of each table, the update rate, the filter time and the
// backlight. Works on a copy of the record, which its Output Tables button
// edits too: everything reaches the record only with OK.
class TFormDisplaySetup : public TSetupDialogOf<TFormDisplaySetup> {
  Q_OBJECT

 public:
  TFormDisplaySetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner = nullptr);
  ~TFormDisplaySetup() override;

 private:
  std::unique_ptr<Ui::TFormDisplaySetup> ui_;
};
