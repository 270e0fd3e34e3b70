#include "editors/o2concentrationform.h"

#include <QScreen>
#include <QTimer>

#include "platform/sleeper.h"
#include "ui/traceview.h"
#include "ui_o2concentrationform.h"

namespace {

constexpr int kClientWidth = 400;
constexpr int kTraceSpanMs = 60000;
constexpr double kTraceBandPercent = 2.0;

QColor LineColour(StatusColour colour, const QPalette& palette) {
  switch (colour) {
    case StatusColour::ButtonFace:
      return palette.color(QPalette::Button);
    case StatusColour::WindowText:
      return palette.color(QPalette::WindowText);
    case StatusColour::Settling:
      return QColor(255, 0, 0);
    case StatusColour::Stable:
      return QColor(0, 128, 0);
  }
  return palette.color(QPalette::WindowText);
}

}  // namespace

TFormO2Concentration::TFormO2Concentration(O2Calibration& calibration, QWidget* owner, Sleeper& sleeper)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::TFormO2Concentration>()),
      calibration_(calibration),
      sleeper_(sleeper) {
  ui_->setupUi(this);
  setWindowTitle(kO2CalibrationCaption);
  setModal(true);
  setFixedWidth(kClientWidth);
  SetUpIpTrace(*ui_->TraceIp, TraceData(kTraceSpanMs, kTraceBandPercent));
  ui_->LabelStatusLine2->hide();
  connect(ui_->ButtonOk, &QPushButton::clicked, this, &TFormO2Concentration::ButtonOkClick);
  connect(ui_->ButtonCancel, &QPushButton::clicked, this, &TFormO2Concentration::ButtonCancelClick);
  ShowView();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kO2TickIntervalMs);
  connect(Timer1, &QTimer::timeout, this, &TFormO2Concentration::Timer1Timer);
  Timer1->start();
  clock_.start();
}

TFormO2Concentration::~TFormO2Concentration() = default;

void TFormO2Concentration::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (placed_) return;
  placed_ = true;
  if (const QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void TFormO2Concentration::ShowView() {
  const O2CalibrationView& view = calibration_.View();
  ui_->LabelStatusLine1->setText(view.line1);
  ui_->LabelStatusLine1->setVisible(view.line1Visible);
  QPalette palette = ui_->LabelStatusLine1->palette();
  palette.setColor(QPalette::WindowText, LineColour(view.colour, this->palette()));
  ui_->LabelStatusLine1->setPalette(palette);
  ui_->LabelStatusLine2->setText(view.line2);
  ui_->LabelStatusLine2->setVisible(view.line2Visible);
  ui_->ButtonOk->setEnabled(view.storeEnabled);
}

void TFormO2Concentration::Timer1Timer() {
  // No tick overlaps the transfers of another.
  Timer1->stop();
  if (closing_) return;
  const TickResult result = calibration_.Tick();
  ShowView();
  // The trace runs on the wall clock: a tick lasts its interval plus its
  // transfers.
  if (const std::optional<O2Reading>& reading = calibration_.LastReading())
    ui_->TraceIp->AddPoint(
        {clock_.elapsed(), static_cast<double>(reading->ip), static_cast<double>(reading->filtered)});
  switch (result) {
    case TickResult::Continue:
      Timer1->start();
      return;
    case TickResult::Stored:
      closing_ = true;
      accept();
      return;
    case TickResult::Ended:
      ShowEnding();
      return;
  }
}

void TFormO2Concentration::ButtonOkClick() {
  calibration_.RequestStore();
}

void TFormO2Concentration::ButtonCancelClick() {
  if (closing_) return;
  Timer1->stop();
  calibration_.Cancel();
  ShowView();
  ShowEnding();
}

void TFormO2Concentration::ShowEnding() {
  closing_ = true;
  repaint();
  sleeper_.Sleep(kO2EndingDisplayMs);
  QDialog::reject();
}

void TFormO2Concentration::reject() {
  // Esc, and a close request of the window system, are Cancel; the ending
  // closes the window itself.
  ButtonCancelClick();
}
