#include "platform/prompter.h"

void ShowInformation(Prompter& prompter, const QString& text, const QString& caption) {
  MessageRequest request;
  request.text = text;
  request.caption = caption;
  request.buttons = MessageButtons::Ok;
  request.icon = MessageIcon::Information;
  prompter.Message(request);
}

QString MessageDisplayText(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  return shown;
}
