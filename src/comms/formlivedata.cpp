#include "comms/formlivedata.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include "comms/qvaserialcomms.h"
#include "platform/prompter.h"
#include "platform/qvaerrors.h"
#include "ui/traceview.h"
#include "ui_formlivedata.h"

namespace {

constexpr int kMinimumWidth = 480;
constexpr int kTraceSpanMs = 60000;
const QString kPauseText = QStringLiteral("Pause");
const QString kResumeText = QStringLiteral("Resume");
const QString kRecordText = QStringLiteral("Record to CSV...");
const QString kStopRecordingText = QStringLiteral("Stop Recording");
const QString kCsvExtension = QStringLiteral("csv");

}  // namespace

TFormLiveData::TFormLiveData(std::unique_ptr<QVASerialComms> link, Prompter& prompter, QWidget* owner)
    : QDialog(owner),
      ui_(std::make_unique<Ui::TFormLiveData>()),
      link_(std::move(link)),
      prompter_(prompter) {
  ui_->setupUi(this);
  setObjectName(QStringLiteral("FormLiveData"));
  setWindowTitle(kLiveDataCaption);
  setModal(true);
  setMinimumWidth(kMinimumWidth);
  SetUpIpTrace(*ui_->TraceLive, TraceData(kTraceSpanMs));
  connect(ui_->ButtonPause, &QPushButton::clicked, this, &TFormLiveData::ButtonPauseClick);
  connect(ui_->ButtonRecord, &QPushButton::clicked, this, &TFormLiveData::ButtonRecordClick);
  connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::reject);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setSingleShot(true);
  // A coarse timer may fire a little early, and the grid would then take a
  // second reading a few milliseconds later in the same slot.
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, &TFormLiveData::Timer1Timer);
  ShowStatus();
  clock_.start();
  // The first reading as soon as the window runs its event loop.
  Timer1->start(0);
}

TFormLiveData::~TFormLiveData() = default;

void TFormLiveData::Timer1Timer() {
  if (paused_ || !link_) return;
  LiveReading reading;
  try {
    reading = PollLiveData(*link_, clock_.elapsed());
  } catch (const Exception& failure) {
    LinkFailed(failure.Message());
    return;
  }
  ShowReading(reading);
  if (recorder_) {
    try {
      recorder_->Append(reading);
    } catch (const Exception& failure) {
      // The readings go on; what reached the file stays in it.
      const QString path = recorder_->Path();
      recorder_.reset();
      ui_->ButtonRecord->setText(kRecordText);
      ShowStatus();
      prompter_.ShowError(path + QStringLiteral(":\n") + failure.Message());
    }
  }
  ShowStatus();
  ScheduleTick();
}

void TFormLiveData::ScheduleTick() {
  if (paused_ || !link_) return;
  Timer1->start(static_cast<int>(LiveTickWait(clock_.elapsed(), kLiveTickIntervalMs)));
}

void TFormLiveData::ShowReading(const LiveReading& reading) {
  ui_->LabelState->setText(reading.StateName());
  ui_->LabelSensorType->setText(reading.SensorTypeText());
  ui_->LabelIp->setText(reading.IpText());
  ui_->TraceLive->AddPoint({reading.elapsedMs, static_cast<double>(reading.ip), std::nullopt});
}

void TFormLiveData::ShowStatus() {
  QString text;
  if (!failure_.isEmpty())
    text = failure_;
  else if (paused_)
    text = QStringLiteral("Paused.");
  else
    text = QStringLiteral("Reading every %1 ms.").arg(kLiveTickIntervalMs);
  if (recorder_) {
    text += QStringLiteral(" Recording to %1: %2 readings.")
                .arg(QFileInfo(recorder_->Path()).fileName())
                .arg(recorder_->Rows());
  }
  ui_->LabelStatus->setText(text);
}

void TFormLiveData::ButtonPauseClick() {
  if (!link_) return;
  paused_ = !paused_;
  ui_->ButtonPause->setText(paused_ ? kResumeText : kPauseText);
  if (paused_)
    Timer1->stop();
  else
    ScheduleTick();
  ShowStatus();
}

void TFormLiveData::ButtonRecordClick() {
  if (recorder_)
    StopRecording();
  else
    StartRecording();
  ShowStatus();
}

void TFormLiveData::StartRecording() {
  FileDialogRequest request;
  request.title = QStringLiteral("Record to CSV");
  request.filter = QStringLiteral("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*");
  request.defaultExtension = kCsvExtension;
  request.fileName = QStringLiteral("LiveData.csv");
  request.initialDir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  request.overwritePrompt = true;
  request.rejectReadOnly = true;
  const std::optional<QString> chosen = prompter_.SaveFile(request);
  // The readings go on while the dialog is open: the link may have failed.
  if (!chosen || !link_) return;
  QString path = *chosen;
  if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + kCsvExtension;
  try {
    recorder_ = std::make_unique<LiveCsvRecorder>(path);
  } catch (const ESystemError& failure) {
    prompter_.ShowError(failure.Message());  // names the file already
    return;
  } catch (const Exception& failure) {
    prompter_.ShowError(path + QStringLiteral(":\n") + failure.Message());
    return;
  }
  ui_->ButtonRecord->setText(kStopRecordingText);
}

void TFormLiveData::StopRecording() {
  if (!recorder_) return;
  std::unique_ptr<LiveCsvRecorder> recorder = std::move(recorder_);
  ui_->ButtonRecord->setText(kRecordText);
  try {
    recorder->Close();
  } catch (const Exception& failure) {
    prompter_.ShowError(recorder->Path() + QStringLiteral(":\n") + failure.Message());
  }
}

void TFormLiveData::LinkFailed(const QString& message) {
  Timer1->stop();
  // The port is given back at once, so that another command can use it.
  link_.reset();
  failure_ = QStringLiteral("The link failed: live data stopped.");
  ui_->ButtonPause->setEnabled(false);
  ui_->ButtonRecord->setEnabled(false);
  StopRecording();
  ShowStatus();
  prompter_.ShowError(message);
}

void TFormLiveData::done(int result) {
  Timer1->stop();
  StopRecording();
  QDialog::done(result);
}

void RunLiveDataWindow(QWidget* owner, const QString& portName, Prompter& prompter) {
  TFormLiveData form(std::make_unique<QVASerialComms>(portName), prompter, owner);
  form.exec();
}
