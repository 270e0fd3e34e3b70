#include "support/autoanswerprompter.h"

#include <cstdio>

namespace {

MessageResult FirstButton(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
      return MessageResult::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
      return MessageResult::Yes;
    case MessageButtons::RetryCancel:
      return MessageResult::Retry;
  }
  return MessageResult::Ok;
}

}  // namespace

MessageResult AutoAnswerPrompter::Message(const MessageRequest& request) {
  std::fprintf(stderr, "QVA-PROMPT: %s|%s\n", qPrintable(request.caption), qPrintable(request.text));
  std::fflush(stderr);
  return FirstButton(request.buttons);
}

std::optional<QString> AutoAnswerPrompter::OpenFile(const FileDialogRequest&) {
  return std::nullopt;
}

std::optional<QString> AutoAnswerPrompter::SaveFile(const FileDialogRequest&) {
  return std::nullopt;
}

std::optional<QString> AutoAnswerPrompter::ChooseFolder(const QString&, const QString&) {
  return std::nullopt;
}

void AutoAnswerPrompter::ShowError(const QString& message) {
  std::fprintf(stderr, "QVA-ERROR: %s\n", qPrintable(message));
  std::fflush(stderr);
}
