#pragma once

#include "platform/prompter.h"

// Runs the real desktop program headless: instead of showing a box, each
// message is written to standard error as "QVA-PROMPT: <caption>|<text>"
// and answered with the box's first button; an error box is written as
// "QVA-ERROR: <message>"; file and folder dialogs are answered with a cancel.
class AutoAnswerPrompter : public Prompter {
 public:
  MessageResult Message(const MessageRequest& request) override;
  std::optional<QString> OpenFile(const FileDialogRequest& request) override;
  std::optional<QString> SaveFile(const FileDialogRequest& request) override;
  std::optional<QString> ChooseFolder(const QString& title, const QString& startFolder) override;
  void ShowError(const QString& message) override;
};
