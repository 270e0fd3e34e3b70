#pragma once

#include <memory>

#include "editors/canidentifiers.h"
#include "ui/setupdialog.h"

namespace Ui {
class TFormCANSetup;
}

// "CAN Message Setup": the bus bit rate (always 1 Mbps), the output table
// whose value is sent, and on five tabs the four messages and the Collect
// Master exchange. Works on a copy of the whole record, so that the output
// tables edited from here and the tabs already left reach the caller only
// with OK. Only the tab on screen is checked: the others were checked and
// stored when the user left them.
class TFormCANSetup : public TSetupDialogOf<TFormCANSetup> {
  Q_OBJECT

 public:
  TFormCANSetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner = nullptr);
  ~TFormCANSetup() override;

 private:
  // The tab may change only when the one on screen passes and is stored.
  bool TabControlMessagesChanging();
  void TabControlMessagesChange(int tab);
  void ShowTab();
  // Checks the edits of the tab on screen and writes its block into record.
  bool StoreTab(QVA_CONFIG_DATA& record);
  void ComboBoxMessageRateChange();
  CanIdFormat CheckedFormat() const;
  // The read-only identifier and register bytes of what the tab would store.
  void ShowBusView();

  std::unique_ptr<Ui::TFormCANSetup> ui_;
  int currentTab_ = 0;
};
