#pragma once

#include <QString>

#include "platform/prompter.h"
#include "comms/transferprocedures.h"

class CliOutput;

// Status texts to stderr as they happen; a text repeated at once (the
// copy's "Waiting for result." before every poll) is shown only once.
class StderrProgress : public TransferProgress {
 public:
  explicit StderrProgress(CliOutput& output) : output_(output) {}
  void Status(const QString& text) override;

 private:
  CliOutput& output_;
  QString last_;
};

// Answers the procedures' questions without a user: every message goes to
// stderr; the failed-copy question (Retry/Cancel) is answered Retry as
// often as allowed, then Cancel; any other question gets its cautious
// answer (OK for a notice, otherwise Cancel or No); file and folder
// dialogs are cancelled.
class NonInteractivePrompter : public Prompter {
 public:
  NonInteractivePrompter(CliOutput& output, int retries)
      : output_(output), retriesAllowed_(retries), retriesLeft_(retries) {}
  MessageResult Message(const MessageRequest& request) override;
  std::optional<QString> OpenFile(const FileDialogRequest& request) override;
  std::optional<QString> SaveFile(const FileDialogRequest& request) override;
  std::optional<QString> ChooseFolder(const QString& title, const QString& startFolder) override;
  void ShowError(const QString& message) override;

  // Whether a Retry/Cancel question was answered Cancel.
  bool GaveUp() const { return gaveUp_; }
  int RetriesUsed() const { return retriesUsed_; }

 private:
  CliOutput& output_;
  int retriesAllowed_;
  int retriesLeft_;
  int retriesUsed_ = 0;
  bool gaveUp_ = false;
};
