#pragma once

#include <QString>

#include "platform/prompter.h"

// The save-or-discard questions: a standard box whose push buttons carry
// other labels ("&Save", "&Lose") while answering as the standard buttons
// would, so that callers test Yes/No/OK/Cancel as usual. An empty label
// keeps the platform's caption for that button.
//
// autoPressButton / autoPressTime are accepted for the callers' sake; no
// caller presses a button automatically, and a prompt is never answered
// without the user, so nonzero values are ignored.
MessageResult CustomMessageBox(Prompter& prompter, const QString& message, const QString& caption,
                               MessageButtons buttons, MessageIcon icon, const QString& button1,
                               const QString& button2, const QString& button3, int autoPressButton = 0,
                               int autoPressTime = 0);

inline const QString kSaveButtonLabel = QStringLiteral("&Save");
inline const QString kLoseButtonLabel = QStringLiteral("&Lose");

// Yes/No/Cancel with the exclamation icon, Yes reading "&Save" and No "&Lose".
MessageResult AskSaveLoseCancel(Prompter& prompter, const QString& message, const QString& caption);
// OK/Cancel with the exclamation icon, OK reading "&Save".
MessageResult AskSaveCancel(Prompter& prompter, const QString& message, const QString& caption);
