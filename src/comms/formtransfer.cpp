#include "comms/formtransfer.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "comms/formsendreview.h"
#include "platform/sleeper.h"

namespace {
constexpr int kClientWidth = 280;
constexpr int kClientHeight = 40;
// A window system that never reports the window as exposed must not keep
// the transfer from running for ever.
constexpr int kExposeWaitLimitMs = 2000;
}  // namespace

TFormTransferProgress::TFormTransferProgress(const QString& caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(caption);
  setModal(true);
  setFixedSize(kClientWidth, kClientHeight);
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setAlignment(Qt::AlignCenter);
  Label1->hide();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
}

void TFormTransferProgress::Status(const QString& text) {
  Label1->setText(text);
  Label1->show();
  // The next step blocks the event loop: paint the text now (showing the
  // label has already given it its place in the window).
  repaint();
}

void TFormTransferProgress::RethrowFailure() const {
  if (failure_) std::rethrow_exception(failure_);
}

void TFormTransferProgress::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  if (const QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  // The procedure blocks the event loop from its first transfer on. It
  // starts only once the window system has exposed the window (which paints
  // it): a repaint asked for before that is dropped, and the window would
  // stay blank until the transfer ends.
  QWindow* window = windowHandle();
  if (window && window->isExposed()) {
    StartProcedure();
    return;
  }
  if (window) window->installEventFilter(this);
  QTimer::singleShot(kExposeWaitLimitMs, this, &TFormTransferProgress::StartProcedure);
}

bool TFormTransferProgress::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed())
    // Queued: the window paints itself while this expose is handled.
    StartProcedure();
  return QDialog::eventFilter(watched, event);
}

void TFormTransferProgress::StartProcedure() {
  if (procedureQueued_) return;
  procedureQueued_ = true;
  if (QWindow* window = windowHandle()) window->removeEventFilter(this);
  QMetaObject::invokeMethod(this, &TFormTransferProgress::RunProcedure, Qt::QueuedConnection);
}

void TFormTransferProgress::RunProcedure() {
  int result = kResultCancelled;
  try {
    result = Procedure();
  } catch (...) {
    // Qt must not see an exception; the caller raises it once closed.
    failure_ = std::current_exception();
    result = kResultCancelled;
  }
  finished_ = true;
  done(result);
}

void TFormTransferProgress::closeEvent(QCloseEvent* event) {
  if (finished_)
    QDialog::closeEvent(event);
  else
    event->ignore();
}

void TFormTransferProgress::reject() {
  // Escape does not stop a transfer half way.
  if (finished_) QDialog::reject();
}

TFormRetrieveQVAConfig::TFormRetrieveQVAConfig(QVASerialComms& comms, QWidget* parent, Prompter& prompter,
                                               Sleeper& sleeper)
    : TFormTransferProgress(kRetrieveCaption, parent), comms_(comms), prompter_(prompter), sleeper_(sleeper) {
  setObjectName(QStringLiteral("FormRetrieveQVAConfig"));
}

std::optional<QVA_CONFIG_DATA> TFormRetrieveQVAConfig::TakeConfig() {
  std::optional<QVA_CONFIG_DATA> config = std::move(outcome_.config);
  outcome_.config.reset();
  return config;
}

int TFormRetrieveQVAConfig::Procedure() {
  outcome_ = RunGetProcedure(comms_, *this, prompter_, sleeper_);
  return outcome_.result == GetOutcome::Result::VersionMismatch ? kResultCancelled : kResultFinished;
}

TFormSendQVAConfig::TFormSendQVAConfig(const QVA_CONFIG_DATA& config, QWidget* parent, QVASerialComms& comms,
                                       Prompter& prompter, Sleeper& sleeper, const SendChecks& checks,
                                       ConfigComparer compare)
    : TFormTransferProgress(kSendCaption, parent),
      config_(config),
      comms_(comms),
      prompter_(prompter),
      sleeper_(sleeper),
      checks_(checks),
      compare_(compare) {
  setObjectName(QStringLiteral("FormSendQVAConfig"));
}

int TFormSendQVAConfig::Procedure() {
  TransferOptions options;
  options.verify = checks_.verify;
  if (checks_.review)
    options.review = [this](const SendReview& review) { return RunSendReviewDialog(this, review, compare_); };
  outcome_ = RunSendProcedure(comms_, config_, *this, prompter_, sleeper_, options);
  return *outcome_ == SendOutcome::Sent ? kResultFinished : kResultCancelled;
}

GetOutcome RunGetConfigurationWindow(QWidget* parent, QVASerialComms& comms, Prompter& prompter) {
  return RunGetConfigurationWindow(parent, comms, prompter, DefaultSleeper());
}

GetOutcome RunGetConfigurationWindow(QWidget* parent, QVASerialComms& comms, Prompter& prompter,
                                     Sleeper& sleeper) {
  TFormRetrieveQVAConfig form(comms, parent, prompter, sleeper);
  form.exec();
  form.RethrowFailure();
  GetOutcome outcome;
  outcome.result = form.Outcome().result;
  outcome.config = form.TakeConfig();
  return outcome;
}

SendOutcome RunSendConfigurationWindow(QWidget* parent, QVASerialComms& comms, const QVA_CONFIG_DATA& config,
                                       Prompter& prompter, const SendChecks& checks, ConfigComparer compare) {
  return RunSendConfigurationWindow(parent, comms, config, prompter, DefaultSleeper(), checks, compare);
}

SendOutcome RunSendConfigurationWindow(QWidget* parent, QVASerialComms& comms, const QVA_CONFIG_DATA& config,
                                       Prompter& prompter, Sleeper& sleeper, const SendChecks& checks,
                                       ConfigComparer compare) {
  TFormSendQVAConfig form(config, parent, comms, prompter, sleeper, checks, compare);
  form.exec();
  form.RethrowFailure();
  // Without a failure the procedure always ends with an outcome.
  return form.Outcome().value_or(SendOutcome::VersionMismatch);
}
