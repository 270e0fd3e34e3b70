#include "app/custommessagebox.h"

MessageResult CustomMessageBox(Prompter& prompter, const QString& message, const QString& caption,
                               MessageButtons buttons, MessageIcon icon, const QString& button1,
                               const QString& button2, const QString& button3, int autoPressButton,
                               int autoPressTime) {
  Q_UNUSED(autoPressButton);
  Q_UNUSED(autoPressTime);
  MessageRequest request;
  request.text = message;
  request.caption = caption;
  request.buttons = buttons;
  request.icon = icon;
  request.labels[0] = button1;
  request.labels[1] = button2;
  request.labels[2] = button3;
  return prompter.Message(request);
}

MessageResult AskSaveLoseCancel(Prompter& prompter, const QString& message, const QString& caption) {
  return CustomMessageBox(prompter, message, caption, MessageButtons::YesNoCancel, MessageIcon::Exclamation,
                          kSaveButtonLabel, kLoseButtonLabel, QString());
}

MessageResult AskSaveCancel(Prompter& prompter, const QString& message, const QString& caption) {
  return CustomMessageBox(prompter, message, caption, MessageButtons::OkCancel, MessageIcon::Exclamation,
                          kSaveButtonLabel, QString(), QString());
}
