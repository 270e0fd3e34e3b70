#pragma once

#include <functional>
#include <memory>

#include "ui/setupdialog.h"

namespace Ui {
class TFormOutputTableSetup;
}

struct QVA_OUTPUT_CAL_TABLE;

// "Output Table Setup": both output tables on the tabs "Table 1" and
// "Table 2", each with its name, the decimal places of its output and its
// points, loaded from and saved to table files. Opened by the Display, CAN
// and Analog Output dialogs on their own work copy: OK writes the tables
// back into `config` and the index of the tab shown last into `tableIndex`
// (an index that names no table opens Table 1); Cancel writes nothing.
//   TFormOutputTableSetup::Execute(prompter, config, owner, tableIndex)
class TFormOutputTableSetup : public TSetupDialogOf<TFormOutputTableSetup> {
  Q_OBJECT

 public:
  TFormOutputTableSetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner, int& tableIndex);
  ~TFormOutputTableSetup() override;

  // The table on screen (0-based).
  int CurrentIndex() const { return current_; }

  // Opens the dialog over owner on config for a list refilled after it
  // (FieldBinding::RefillAfter): the code is the table shown first and,
  // after OK, the one shown last.
  static std::function<bool(int& tableIndex)> Opener(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner) {
    return [&prompter, &config, owner](int& tableIndex) { return Execute(prompter, config, owner, tableIndex); };
  }

 private:
  QVA_OUTPUT_CAL_TABLE& CurrentTable();
  // Shows the current table of the work copy: name, decimal places, points.
  void ShowPage();
  // Checks the page and writes it into the work copy; false keeps the
  // user on it with the message shown.
  bool StorePage();

  void TabControl1Change(int index);
  void EditDecimalPlacesChange(const QString& text);
  void ButtonLoadClick();
  void ButtonSaveAsClick();

  std::unique_ptr<Ui::TFormOutputTableSetup> ui_;
  int& tableIndex_;
  int current_ = 0;
};
