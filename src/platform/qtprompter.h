#pragma once

#include <QStringList>

#include "platform/prompter.h"

class QWidget;

// The desktop program's prompts: QMessageBox with the requested icon,
// buttons and button labels, QFileDialog for files and folders.
class QtPrompter : public Prompter {
 public:
  // autoAnswer: a test aid for running the real program headless. Instead of
  // showing a box, each message is written to standard error as
  // "QVA-PROMPT: <caption>|<text>" and answered with the box's first button;
  // file dialogs are answered with a cancel.
  explicit QtPrompter(bool autoAnswer = false) : autoAnswer_(autoAnswer) {}

  MessageResult Message(const MessageRequest& request) override;
  std::optional<QString> OpenFile(const FileDialogRequest& request) override;
  std::optional<QString> SaveFile(const FileDialogRequest& request) override;
  std::optional<QString> ChooseFolder(const QString& title, const QString& startFolder) override;
  void ShowError(const QString& message) override;

 private:
  std::optional<QString> RunFileDialog(const FileDialogRequest& request, bool save);
  bool autoAnswer_;
};

// "desc|pattern|desc|pattern" as QFileDialog name filters: a description
// that does not show its patterns gets them appended in parentheses, and
// ';'-separated patterns become space-separated.
QStringList NameFiltersFromFilter(const QString& filter);

// The widget a box should be modal to: the open modal dialog, else the
// active window.
QWidget* PromptParent();
