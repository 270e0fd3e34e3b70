#pragma once

#include <utility>

#include <QDialog>
#include <QString>

#include "config/qvaconfig.h"
#include "ui/fieldbinding.h"

class Prompter;

// What every setup dialog shares: modal, a fixed border, ButtonOk (the
// default), ButtonCancel and ButtonHelp of its Designer form, the field
// bindings that fill the controls on opening and store them on OK, and the
// caller's record, written only by an OK whose checks all passed.
//
// Most dialogs edit a work copy of the whole 672 bytes and copy it back on
// OK, so that sub-editors (output tables, a calibration) can change the
// copy and Cancel still discards everything; a few write their fields
// straight into the caller's record on OK.
class TSetupDialog : public QDialog {
  Q_OBJECT

 public:
  enum class WriteBack { WorkCopy, Direct };

  Prompter& GetPrompter() const { return prompter_; }
  // The number Help asks for; no dialog assigns one, so it is 0.
  int HelpContext() const { return helpContext_; }

 protected:
  TSetupDialog(Prompter& prompter, QVA_CONFIG_DATA& record, WriteBack writeBack, QWidget* owner);

  // Called by the dialog's constructor after its setupUi and its bindings:
  // caption, border and buttons, then the bindings load the record.
  void FinishSetup(const QString& caption);
  FieldBindings& Bindings() { return bindings_; }
  // The record the dialog edits: its work copy, or the caller's record.
  QVA_CONFIG_DATA& Edited() { return writeBack_ == WriteBack::WorkCopy ? work_ : record_; }

  void ButtonOkClick();
  void ButtonHelpClick();

 private:
  Prompter& prompter_;
  QVA_CONFIG_DATA& record_;
  QVA_CONFIG_DATA work_;
  WriteBack writeBack_;
  FieldBindings bindings_;
  int helpContext_ = 0;
};

// The base with the static Execute of dialog class Self: builds it over
// the owner, runs it modally, and tells whether it closed with OK.
template <class Self>
class TSetupDialogOf : public TSetupDialog {
 public:
  template <class... Args>
  static bool Execute(Args&&... args) {
    Self dialog(std::forward<Args>(args)...);
    return dialog.exec() == QDialog::Accepted;
  }

 protected:
  using TSetupDialog::TSetupDialog;
};
