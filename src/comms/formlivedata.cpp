#include "comms/formlivedata.h"

#include <cmath>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "comms/livelogsettings.h"
#include "comms/qvaserialcomms.h"
#include "platform/errorhandler.h"
#include "platform/filepaths.h"
#include "platform/prompter.h"
#include "platform/qvaerrors.h"
#include "ui/qvavalues.h"
#include "ui/traceview.h"
#include "ui_formlivedata.h"

namespace {

constexpr int kMinimumWidth = 480;
constexpr int kTraceSpanMs = 60000;
constexpr int kDefaultSmoothingSeconds = 2;
const QString kPauseText = QStringLiteral("Pause");
const QString kResumeText = QStringLiteral("Resume");
const QString kRecordText = QStringLiteral("Record");
const QString kStopRecordingText = QStringLiteral("Stop Recording");
const QString kMslExtension = QStringLiteral("msl");

enum TraceChoice { kTraceIp = 0, kTraceSmoothedIp = 1 };

// The smoothing the user chose last time; none when the store cannot say.
std::optional<int> StoredSmoothing() {
  try {
    return LiveSmoothingSeconds();
  } catch (const Exception&) {
    return std::nullopt;
  }
}

}  // namespace

TFormLiveData::TFormLiveData(std::unique_ptr<QVASerialComms> link, Prompter& prompter, QWidget* owner)
    : QDialog(owner),
      ui_(std::make_unique<Ui::TFormLiveData>()),
      link_(std::move(link)),
      prompter_(prompter),
      rawTrace_(kTraceSpanMs),
      smoothedTrace_(kTraceSpanMs) {
  ui_->setupUi(this);
  setObjectName(QStringLiteral("FormLiveData"));
  setWindowTitle(kLiveDataCaption);
  setModal(true);
  setMinimumWidth(kMinimumWidth);
  SetUpIpTrace(*ui_->TraceLive, rawTrace_);
  const std::optional<int> smoothing = StoredSmoothing();
  ui_->CheckBoxSmoothed->setChecked(smoothing.has_value());
  ui_->SpinBoxSmoothing->setRange(kMinSmoothingSeconds, kMaxSmoothingSeconds);
  ui_->SpinBoxSmoothing->setValue(smoothing.value_or(kDefaultSmoothingSeconds));
  connect(ui_->ButtonPause, &QPushButton::clicked, this, &TFormLiveData::ButtonPauseClick);
  // The slots that touch files and settings show their own failures; the
  // guard is for anything else.
  connect(ui_->ButtonRecord, &QPushButton::clicked, this, Guarded(prompter_, [this] { ButtonRecordClick(); }));
  connect(ui_->ButtonRecordAs, &QPushButton::clicked, this,
          Guarded(prompter_, [this] { ButtonRecordAsClick(); }));
  connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(ui_->CheckBoxSmoothed, &QCheckBox::toggled, this, Guarded(prompter_, [this] { SmoothingChanged(); }));
  connect(ui_->SpinBoxSmoothing, &QSpinBox::valueChanged, this,
          Guarded(prompter_, [this] { SmoothingChanged(); }));
  connect(ui_->ComboBoxTrace, &QComboBox::currentIndexChanged, this, &TFormLiveData::ComboBoxTraceChange);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setSingleShot(true);
  // A coarse timer may fire a little early, and the grid would then take a
  // second reading a few milliseconds later in the same slot.
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, &TFormLiveData::Timer1Timer);
  ui_->LabelRec->setMinimumHeight(ui_->LabelRec->fontMetrics().height());
  ApplySmoothing();
  ShowRecording();
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
      ShowRecording();
      ShowStatus();
      prompter_.ShowError(path + QStringLiteral(":\n") + failure.Message());
    }
  }
  ShowRecording();
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
  const TracePoint raw{reading.elapsedMs, static_cast<double>(reading.ip), std::nullopt};
  rawTrace_.Add(raw);
  if (smoother_) {
    const double mean = smoother_->Add(reading.elapsedMs, reading.ip);
    smoothedTrace_.Add({reading.elapsedMs, mean, std::nullopt});
    ui_->LabelIpSmoothed->setText(FormatValue16(IpType, static_cast<int16_t>(std::lround(mean)), true));
  }
  ComboBoxTraceChange();
}

void TFormLiveData::ShowStatus() {
  QString text;
  if (!failure_.isEmpty())
    text = failure_;
  else if (paused_)
    text = QStringLiteral("Paused.");
  else
    text = QStringLiteral("Reading every %1 ms.").arg(kLiveTickIntervalMs);
  ui_->LabelStatus->setText(text);
}

void TFormLiveData::ShowRecording() {
  const bool recording = recorder_ != nullptr;
  ui_->LabelRec->setText(recording ? RecordingStatusText(*recorder_) : QString());
  ui_->LabelRec->setToolTip(recording ? QDir::toNativeSeparators(recorder_->Path()) : QString());
  ui_->ButtonRecord->setText(recording ? kStopRecordingText : kRecordText);
  ui_->ButtonRecordAs->setEnabled(!recording && link_ != nullptr);
  // The columns of a log are fixed when it begins.
  ui_->CheckBoxSmoothed->setEnabled(!recording);
  ui_->SpinBoxSmoothing->setEnabled(!recording && ui_->CheckBoxSmoothed->isChecked());
}

void TFormLiveData::SmoothingChanged() {
  ApplySmoothing();
  const bool on = ui_->CheckBoxSmoothed->isChecked();
  try {
    SetLiveSmoothingSeconds(on ? std::optional<int>(ui_->SpinBoxSmoothing->value()) : std::nullopt);
  } catch (const Exception&) {
    // Only a preference: the window smooths as chosen all the same.
  }
}

void TFormLiveData::ApplySmoothing() {
  const bool on = ui_->CheckBoxSmoothed->isChecked();
  ui_->SpinBoxSmoothing->setEnabled(on && !recorder_);
  ui_->LabelIpSmoothed->clear();
  ui_->LabelIpSmoothed->setEnabled(on);
  ui_->ComboBoxTrace->setEnabled(on);
  smoothedTrace_.Clear();
  if (on)
    smoother_.emplace(int64_t{ui_->SpinBoxSmoothing->value()} * 1000);
  else
    smoother_.reset();
  if (!on) ui_->ComboBoxTrace->setCurrentIndex(kTraceIp);
  ComboBoxTraceChange();
}

void TFormLiveData::ComboBoxTraceChange() {
  const bool smoothed = smoother_ && ui_->ComboBoxTrace->currentIndex() == kTraceSmoothedIp;
  ui_->TraceLive->ShowData(smoothed ? smoothedTrace_ : rawTrace_);
  ui_->TraceLive->SetTitle(smoothed ? QStringLiteral("Ip %1, mean over %2 s")
                                          .arg(UnitCaption(IpType, false))
                                          .arg(smoother_->WindowMs() / 1000)
                                    : QStringLiteral("Ip ") + UnitCaption(IpType, false));
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
  if (recorder_) {
    StopRecording();
    ShowRecording();
    return;
  }
  // One click: a new file named for the time in the logs folder.
  QString folder;
  try {
    folder = LiveLogFolder();
    CreateDirectoryPath(folder);
  } catch (const Exception& failure) {
    prompter_.ShowError(failure.Message());
    return;
  }
  StartRecording(LiveLogFormat::Msl, FreeLiveLogPath(folder, QDateTime::currentDateTime()),
                 LiveLogWriter::Mode::NewOnly);
}

void TFormLiveData::ButtonRecordAsClick() {
  if (recorder_) return;
  FileDialogRequest request;
  request.title = QStringLiteral("Record Live Data");
  request.filter = QStringLiteral("Datalogs (*.msl)|*.msl|CSV Files (*.csv)|*.csv|All Files (*.*)|*.*");
  request.defaultExtension = kMslExtension;
  request.fileName = LiveLogFileName(QDateTime::currentDateTime());
  try {
    request.initialDir = LiveLogFolder();
  } catch (const Exception&) {
    // The dialog opens where the platform likes.
  }
  request.overwritePrompt = true;
  request.rejectReadOnly = true;
  const std::optional<QString> chosen = prompter_.SaveFile(request);
  // The readings go on while the dialog is open: the link may have failed.
  if (!chosen || !link_) return;
  QString path = *chosen;
  if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + kMslExtension;
  try {
    SetLiveLogFolder(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
  } catch (const Exception&) {
    // Only a preference: this recording goes where the user chose.
  }
  // The dialog asked before a file was replaced.
  StartRecording(LiveLogFormatOf(path), path, LiveLogWriter::Mode::Replace);
}

void TFormLiveData::StartRecording(LiveLogFormat format, const QString& path, LiveLogWriter::Mode mode) {
  LiveLogOptions options;
  if (ui_->CheckBoxSmoothed->isChecked()) options.smoothingSeconds = ui_->SpinBoxSmoothing->value();
  options.captureStart = QDateTime::currentDateTime();
  try {
    recorder_ = OpenLiveLog(format, path, mode, options);
  } catch (const ESystemError& failure) {
    prompter_.ShowError(failure.Message());  // names the file already
  } catch (const Exception& failure) {
    prompter_.ShowError(path + QStringLiteral(":\n") + failure.Message());
  }
  ShowRecording();
}

void TFormLiveData::StopRecording() {
  if (!recorder_) return;
  std::unique_ptr<LiveLogWriter> recorder = std::move(recorder_);
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
  ShowRecording();
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
