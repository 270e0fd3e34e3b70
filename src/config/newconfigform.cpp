#include "config/newconfigform.h"

#include <QListWidget>

#include <QLayout>

#include "platform/errorhandler.h"
#include "platform/prompter.h"
#include "platform/registeredfilepath.h"
#include "ui_newconfigform.h"

namespace {

const QString kNewConfigCaption = QStringLiteral("New Configuration");

}  // namespace

TFormNewConfig::TFormNewConfig(Prompter& prompter, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TFormNewConfig>()), prompter_(prompter) {
  ui_->setupUi(this);
  setWindowTitle(kNewConfigCaption);
  // A fixed dialog border with the system menu only.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  // A dialog border: the size follows the contents, the user cannot drag it.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  folder_ = GetFolder(FileType::FileTemplates);
  entries_ = ListTemplates(folder_);
  for (const TemplateEntry& entry : entries_) ui_->ListBoxFiles->addItem(entry.title);
  ui_->ListBoxFiles->setCurrentRow(0);
  connect(ui_->ButtonOk, &QPushButton::clicked, this, Guarded(prompter_, [this] { ButtonOkClick(); }));
  connect(ui_->ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ui_->ButtonHelp, &QPushButton::clicked, this, &TFormNewConfig::ButtonHelpClick);
  connect(ui_->ListBoxFiles, &QListWidget::itemDoubleClicked, this, Guarded(prompter_, [this] { ButtonOkClick(); }));
}

TFormNewConfig::~TFormNewConfig() = default;

std::optional<QString> TFormNewConfig::Execute(Prompter& prompter, QWidget* owner) {
  TFormNewConfig dialog(prompter, owner);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.ResultPath();
}

void TFormNewConfig::ButtonOkClick() {
  const QList<QListWidgetItem*> selected = ui_->ListBoxFiles->selectedItems();
  const int row = selected.isEmpty() ? -1 : ui_->ListBoxFiles->row(selected.first());
  if (row < 0 || static_cast<std::size_t>(row) >= entries_.size()) {
    ShowInformation(prompter_, QStringLiteral("You should select a template to continue."), windowTitle());
    ui_->ListBoxFiles->setFocus();
    return;
  }
  resultPath_ = TemplatePath(folder_, entries_[static_cast<std::size_t>(row)]);
  accept();
}

void TFormNewConfig::ButtonHelpClick() {
  emit HelpRequested();
}
