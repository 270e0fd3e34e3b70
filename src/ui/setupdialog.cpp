#include "ui/setupdialog.h"

#include <QLayout>
#include <QPushButton>

#include "platform/errorhandler.h"
#include "platform/prompter.h"

TSetupDialog::TSetupDialog(Prompter& prompter, QVA_CONFIG_DATA& record, WriteBack writeBack, QWidget* owner)
    : QDialog(owner), prompter_(prompter), record_(record), work_(record), writeBack_(writeBack),
      bindings_(prompter, this, writeBack == WriteBack::WorkCopy ? &work_ : &record) {
  setModal(true);
}

void TSetupDialog::FinishSetup(const QString& caption) {
  setWindowTitle(caption);
  // A fixed dialog border with the system menu only: no resizing, no
  // context-help button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  if (layout() != nullptr) layout()->setSizeConstraint(QLayout::SetFixedSize);
  if (auto* ok = findChild<QPushButton*>(QStringLiteral("ButtonOk"))) {
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, Guarded(prompter_, [this] { ButtonOkClick(); }));
  }
  if (auto* cancel = findChild<QPushButton*>(QStringLiteral("ButtonCancel"))) {
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  }
  if (auto* help = findChild<QPushButton*>(QStringLiteral("ButtonHelp"))) {
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, &TSetupDialog::ButtonHelpClick);
  }
  bindings_.Load(Edited());
}

void TSetupDialog::ButtonOkClick() {
  if (!bindings_.Store(Edited())) return;
  if (writeBack_ == WriteBack::WorkCopy) record_ = work_;
  accept();
}

void TSetupDialog::ButtonHelpClick() {
  prompter_.RequestHelp(helpContext_);
}
