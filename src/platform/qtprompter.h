#pragma once

#include <QStringList>

#include "platform/prompter.h"

class QWidget;

// The desktop program's prompts: QMessageBox with the requested icon,
// buttons and button labels, QFileDialog for files and folders.
class QtPrompter : public Prompter {
 public:
  MessageResult Message(const MessageRequest& request) override;
  std::optional<QString> OpenFile(const FileDialogRequest& request) override;
  std::optional<QString> SaveFile(const FileDialogRequest& request) override;
  std::optional<QString> ChooseFolder(const QString& title, const QString& startFolder) override;
  void ShowError(const QString& message) override;
  void Beep() override;

 private:
  std::optional<QString> RunFileDialog(const FileDialogRequest& request, bool save);
};

// "desc|pattern|desc|pattern" as QFileDialog name filters: a description
// that does not show its patterns gets them appended in parentheses, and
// ';'-separated patterns become space-separated.
QStringList NameFiltersFromFilter(const QString& filter);

// The widget a box should be modal to: the open modal dialog, else the
// active window.
QWidget* PromptParent();
