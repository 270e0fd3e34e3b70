#pragma once

#include <deque>
#include <optional>
#include <vector>

#include <QString>

#include "platform/prompter.h"

// A Prompter for tests: every prompt must have been announced, in order,
// with its answer. A prompt that was not expected, or of another kind or
// text than expected, fails the test; so does an expectation left over when
// the prompter is destroyed.
class ScriptedPrompter : public Prompter {
 public:
  ~ScriptedPrompter() override;

  // A message box with exactly this text, answered with `answer`.
  ScriptedPrompter& ExpectMessage(const QString& text, MessageResult answer = MessageResult::Ok);
  // An open/save file dialog, answered with a path or a cancel (nullopt).
  ScriptedPrompter& ExpectOpenFile(std::optional<QString> answer);
  ScriptedPrompter& ExpectSaveFile(std::optional<QString> answer);
  ScriptedPrompter& ExpectFolder(std::optional<QString> answer);
  // The top-level error box with exactly this message.
  ScriptedPrompter& ExpectError(const QString& message);

  MessageResult Message(const MessageRequest& request) override;
  std::optional<QString> OpenFile(const FileDialogRequest& request) override;
  std::optional<QString> SaveFile(const FileDialogRequest& request) override;
  std::optional<QString> ChooseFolder(const QString& title, const QString& startFolder) override;
  void ShowError(const QString& message) override;

  // Everything asked so far, for checks of captions, icons, labels, filters.
  const std::vector<MessageRequest>& Messages() const { return messages_; }
  const std::vector<FileDialogRequest>& FileDialogs() const { return fileDialogs_; }
  const std::vector<QString>& Errors() const { return errors_; }
  const std::vector<QString>& FolderStarts() const { return folderStarts_; }
  bool AllAnswered() const { return script_.empty(); }

 private:
  enum class Kind { Message, OpenFile, SaveFile, Folder, Error };
  struct Step {
    Kind kind;
    QString text;
    MessageResult answer = MessageResult::Ok;
    std::optional<QString> path;
  };
  std::optional<Step> Next(Kind kind, const QString& what);

  std::deque<Step> script_;
  std::vector<MessageRequest> messages_;
  std::vector<FileDialogRequest> fileDialogs_;
  std::vector<QString> errors_;
  std::vector<QString> folderStarts_;
};
