#include "app/qvaconfigfilelocationform.h"

#include <QLayout>

#include "platform/errorhandler.h"
#include "app/configfilelocation.h"
#include "platform/prompter.h"
#include "platform/registeredfilepath.h"
#include "platform/qvaerrors.h"
#include "ui_qvaconfigfilelocationform.h"

TFormQVAConfigFileLocation::TFormQVAConfigFileLocation(Prompter& prompter, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TFormQVAConfigFileLocation>()), prompter_(prompter) {
  ui_->setupUi(this);
  setWindowTitle(kConfigLocationCaption);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  // A dialog border: the size follows the contents, the user cannot drag it.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  ui_->EditLocation->setText(GetFolder(FileType::ConfigFiles));
  connect(ui_->ButtonBrowse, &QPushButton::clicked, this, Guarded(prompter_, [this] { ButtonBrowseClick(); }));
  connect(ui_->ButtonOk, &QPushButton::clicked, this, Guarded(prompter_, [this] { ButtonOkClick(); }));
  connect(ui_->ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ui_->ButtonHelp, &QPushButton::clicked, this, &TFormQVAConfigFileLocation::ButtonHelpClick);
}

TFormQVAConfigFileLocation::~TFormQVAConfigFileLocation() = default;

bool TFormQVAConfigFileLocation::Execute(Prompter& prompter, QWidget* owner) {
  TFormQVAConfigFileLocation dialog(prompter, owner);
  return dialog.exec() == QDialog::Accepted;
}

void TFormQVAConfigFileLocation::ButtonBrowseClick() {
  const std::optional<QString> chosen =
      prompter_.ChooseFolder(kConfigLocationBrowseTitle, ui_->EditLocation->text());
  if (chosen) ui_->EditLocation->setText(*chosen);
}

void TFormQVAConfigFileLocation::ButtonOkClick() {
  const QString path = ConfigLocationPath(ui_->EditLocation->text());
  ui_->EditLocation->setText(path);
  try {
    if (!AcceptConfigFileLocation(path, prompter_, windowTitle())) {
      ui_->EditLocation->setFocus();
      return;
    }
  } catch (const EAbort&) {
    return;  // a silent abort ends the command without a message
  } catch (const Exception& error) {
    // A folder that cannot be made: say why and let the user try another.
    prompter_.ShowError(error.Message());
    ui_->EditLocation->setFocus();
    return;
  }
  location_ = path;
  accept();
}

void TFormQVAConfigFileLocation::ButtonHelpClick() {
  emit HelpRequested();
}
