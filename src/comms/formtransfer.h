#pragma once

#include <exception>
#include <optional>

#include <QDialog>

#include "comms/sendchecks.h"
#include "comms/transferprocedures.h"

class QLabel;
class Prompter;
class QVASerialComms;
class Sleeper;

// A progress window of an Online command: a status line and no way to
// close it. The procedure starts once the modal window is on screen (the
// window system has exposed and painted it); each status text is painted
// before the step that follows it blocks the event loop. The window
// closes itself when it ends, with result 1 (finished) or 2
// (refused or failed). An exception of the procedure is kept and raised
// again by the Run... functions below after the window has closed.
class TFormTransferProgress : public QDialog, public TransferProgress {
  Q_OBJECT

 public:
  static constexpr int kResultFinished = 1;
  static constexpr int kResultCancelled = 2;

  void Status(const QString& text) override;
  // The failure that ended the procedure, if any.
  std::exception_ptr Failure() const { return failure_; }
  // Raises the kept failure.
  void RethrowFailure() const;

 protected:
  TFormTransferProgress(const QString& caption, QWidget* parent);
  // Runs the procedure; returns the window's result.
  virtual int Procedure() = 0;

  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Queues the procedure (once).
  void StartProcedure();
  void RunProcedure();

  QLabel* Label1;
  bool started_ = false;
  bool procedureQueued_ = false;
  bool finished_ = false;
  std::exception_ptr failure_;
};

// "Retrieving Configuration from QVA".
class TFormRetrieveQVAConfig : public TFormTransferProgress {
  Q_OBJECT

 public:
  TFormRetrieveQVAConfig(QVASerialComms& comms, QWidget* parent, Prompter& prompter, Sleeper& sleeper);
  const GetOutcome& Outcome() const { return outcome_; }
  // Hands the received record over; the window keeps none.
  std::optional<QVA_CONFIG_DATA> TakeConfig();

 protected:
  int Procedure() override;

 private:
  QVASerialComms& comms_;
  Prompter& prompter_;
  Sleeper& sleeper_;
  GetOutcome outcome_;
};

// "Sending Configuration  to QVA".
class TFormSendQVAConfig : public TFormTransferProgress {
  Q_OBJECT

 public:
  TFormSendQVAConfig(const QVA_CONFIG_DATA& config, QWidget* parent, QVASerialComms& comms,
                     Prompter& prompter, Sleeper& sleeper, const SendChecks& checks = {},
                     ConfigComparer compare = nullptr);
  std::optional<SendOutcome> Outcome() const { return outcome_; }

 protected:
  int Procedure() override;

 private:
  const QVA_CONFIG_DATA& config_;
  QVASerialComms& comms_;
  Prompter& prompter_;
  Sleeper& sleeper_;
  SendChecks checks_;
  ConfigComparer compare_;
  std::optional<SendOutcome> outcome_;
};

// Get Configuration: runs the progress window modally and returns what the
// procedure found. A link failure (ESerialCommunications) is raised after
// the window closed.
GetOutcome RunGetConfigurationWindow(QWidget* parent, QVASerialComms& comms, Prompter& prompter);
GetOutcome RunGetConfigurationWindow(QWidget* parent, QVASerialComms& comms, Prompter& prompter,
                                     Sleeper& sleeper);

// Send Configuration: runs the progress window modally, with the review
// (over the progress window) and the verify the checks ask for. A link
// failure (ESerialCommunications) or a cancelled retry (EAbort) is raised
// after the window closed. The review shows what compare builds; a review
// without it raises.
SendOutcome RunSendConfigurationWindow(QWidget* parent, QVASerialComms& comms, const QVA_CONFIG_DATA& config,
                                       Prompter& prompter, const SendChecks& checks = {},
                                       ConfigComparer compare = nullptr);
SendOutcome RunSendConfigurationWindow(QWidget* parent, QVASerialComms& comms, const QVA_CONFIG_DATA& config,
                                       Prompter& prompter, Sleeper& sleeper, const SendChecks& checks = {},
                                       ConfigComparer compare = nullptr);
