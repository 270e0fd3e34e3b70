#pragma once

#include <optional>

#include <QString>

// Every message box, question, error box and file or folder dialog of the
// system goes through one Prompter, so that the rules that ask the user can
// run headless: the desktop program shows real boxes, tests script answers.

enum class MessageIcon { None, Information, Exclamation, Question, Error };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageResult { Ok, Cancel, Yes, No, Retry };

struct MessageRequest {
  QString text;
  QString caption;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::None;
  // New labels for the first, second and third push button of the box, in
  // the order the buttons stand; an empty label keeps the platform's.
  QString labels[3];
};

struct FileDialogRequest {
  QString title;
  QString filter;            // "description|pattern|description|pattern..."
  int filterIndex = 1;       // 1-based entry preselected
  QString defaultExtension;  // without the dot; appended to a name typed without one
  QString initialDir;
  QString fileName;              // preset name, without folder
  bool overwritePrompt = false;  // save: ask before replacing an existing file
  bool rejectReadOnly = false;   // save: a file without write permission is not accepted
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual MessageResult Message(const MessageRequest& request) = 0;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<QString> OpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<QString> SaveFile(const FileDialogRequest& request) = 0;
  virtual std::optional<QString> ChooseFolder(const QString& title, const QString& startFolder) = 0;
  // The standard error box of the top-level handler: the exception's message.
  virtual void ShowError(const QString& message) = 0;
  // A dialog's Help button asks for its help context. The program ships no
  // help pages, so by default nothing is shown.
  virtual void RequestHelp(int helpContext) { (void)helpContext; }
  // The system's default beep, the only answer to a value refused in
  // place (the configuration viewer). Silent unless the platform has one.
  virtual void Beep() {}
};

// A message as a box or a terminal shows it. The version mismatch texts
// part their paragraphs with "\n\n\r": a line feed followed by a carriage
// return means one line break, so they show one blank line, not two.
QString MessageDisplayText(const QString& text);

// A prompter that asks nobody: messages answer OK, dialogs cancel, errors
// vanish. For running the rules where a user is not asked, such as a trial
// run of the table rules while the user is still typing.
class SilentPrompter : public Prompter {
 public:
  MessageResult Message(const MessageRequest&) override { return MessageResult::Ok; }
  std::optional<QString> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<QString> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<QString> ChooseFolder(const QString&, const QString&) override { return std::nullopt; }
  void ShowError(const QString&) override {}
};

// A notice with one OK button and the information icon.
void ShowInformation(Prompter& prompter, const QString& text, const QString& caption);
