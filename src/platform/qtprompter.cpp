#include "platform/qtprompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "platform/appinfo.h"
#include "platform/fileattributes.h"

namespace {

struct ButtonSet {
  QMessageBox::StandardButton buttons[3];
  MessageResult results[3];
  int count;
};

ButtonSet ButtonsOf(MessageButtons buttons) {
  using B = QMessageBox;
  using R = MessageResult;
  switch (buttons) {
    case MessageButtons::OkCancel:
      return {{B::Ok, B::Cancel, B::NoButton}, {R::Ok, R::Cancel, R::Cancel}, 2};
    case MessageButtons::YesNo:
      return {{B::Yes, B::No, B::NoButton}, {R::Yes, R::No, R::No}, 2};
    case MessageButtons::YesNoCancel:
      return {{B::Yes, B::No, B::Cancel}, {R::Yes, R::No, R::Cancel}, 3};
    case MessageButtons::RetryCancel:
      return {{B::Retry, B::Cancel, B::NoButton}, {R::Retry, R::Cancel, R::Cancel}, 2};
    case MessageButtons::Ok:
    default:
      return {{B::Ok, B::NoButton, B::NoButton}, {R::Ok, R::Ok, R::Ok}, 1};
  }
}

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::None:
    default:
      return QMessageBox::NoIcon;
  }
}

// The answer when the box is closed without a button: Cancel where there
// is one, else what the only button means.
MessageResult EscapeResult(const ButtonSet& set) {
  for (int i = 0; i < set.count; ++i)
    if (set.buttons[i] == QMessageBox::Cancel) return MessageResult::Cancel;
  return set.count == 2 && set.buttons[1] == QMessageBox::No ? MessageResult::No : set.results[0];
}

}  // namespace

QWidget* PromptParent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

QStringList NameFiltersFromFilter(const QString& filter) {
  QStringList result;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    QString patterns = parts[i + 1].trimmed();
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns.isEmpty()) continue;  // nothing a file could match
    if (!description.contains(QLatin1Char('(')))
      description += QStringLiteral(" (") + patterns + QLatin1Char(')');
    else if (!description.contains(patterns))
      // Qt reads the patterns from the parentheses; make sure they are the real ones.
      description = description.left(description.indexOf(QLatin1Char('('))).trimmed() + QStringLiteral(" (") +
                    patterns + QLatin1Char(')');
    result.append(description);
  }
  return result;
}

MessageResult QtPrompter::Message(const MessageRequest& request) {
  const ButtonSet set = ButtonsOf(request.buttons);
  QMessageBox box(IconOf(request.icon), request.caption, MessageDisplayText(request.text), QMessageBox::NoButton,
                  PromptParent());
  QAbstractButton* pressed[3] = {nullptr, nullptr, nullptr};
  for (int i = 0; i < set.count; ++i) {
    pressed[i] = box.addButton(set.buttons[i]);
    if (!request.labels[i].isEmpty()) pressed[i]->setText(request.labels[i]);
  }
  box.setDefaultButton(qobject_cast<QPushButton*>(pressed[0]));
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (int i = 0; i < set.count; ++i)
    if (clicked == pressed[i]) return set.results[i];
  return EscapeResult(set);
}

std::optional<QString> QtPrompter::RunFileDialog(const FileDialogRequest& request, bool save) {
  QFileDialog dialog(PromptParent(), request.title);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = NameFiltersFromFilter(request.filter);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
  dialog.setDefaultSuffix(request.defaultExtension);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  if (!request.initialDir.isEmpty()) dialog.setDirectory(request.initialDir);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  for (;;) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().first();
    if (!(save && request.rejectReadOnly && QFileInfo::exists(chosen) && IsReadOnlyFile(chosen)))
      return chosen;
    // A backup is read-only; it must never be chosen as the file to write.
    QMessageBox::warning(
        &dialog, dialog.windowTitle().isEmpty() ? kApplicationTitle : dialog.windowTitle(),
        chosen + QStringLiteral("\nThis file is set to read-only.\nTry again with a different "
                                "file name."));
  }
}

std::optional<QString> QtPrompter::OpenFile(const FileDialogRequest& request) {
  return RunFileDialog(request, false);
}

std::optional<QString> QtPrompter::SaveFile(const FileDialogRequest& request) {
  return RunFileDialog(request, true);
}

std::optional<QString> QtPrompter::ChooseFolder(const QString& title, const QString& startFolder) {
  const QString chosen = QFileDialog::getExistingDirectory(PromptParent(), title, startFolder);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen;
}

void QtPrompter::ShowError(const QString& message) {
  QMessageBox::critical(PromptParent(), kApplicationTitle, MessageDisplayText(message));
}

void QtPrompter::Beep() {
  QApplication::beep();
}
