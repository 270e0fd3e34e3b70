#pragma once

#include <memory>

#include <QDialog>
#include <QElapsedTimer>

#include "comms/livedata.h"
#include "comms/livelog.h"
#include "ui/tracedata.h"

class Prompter;
class QTimer;
class QVASerialComms;

namespace Ui {
class TFormLiveData;
}

// "Live Data": the meter's state, sensor type and pump current Ip, read
// every 250 ms, with a trace of the last minute of Ip (or of Ip smoothed
// over a window the user picks). Pause stops the reads until Resume.
// Record streams every reading to a new datalog named for the time in the
// logs folder, at one click; "Record As..." asks for the file (".msl" or
// ".csv") and remembers its folder. While recording, a red REC mark shows
// the file, the rows and the time recorded, until "Stop Recording". The
// window owns the link: a link failure stops the reads, closes the port
// and the recording, shows the link's message and leaves the window open,
// saying so.
class TFormLiveData : public QDialog {
  Q_OBJECT

 public:
  TFormLiveData(std::unique_ptr<QVASerialComms> link, Prompter& prompter, QWidget* owner);
  ~TFormLiveData() override;

  // Whether the port is still open (false after a link failure).
  bool LinkOpen() const { return link_ != nullptr; }

  // Every way of closing (Close, Esc, the window's close box) ends a
  // recording first.
  void done(int result) override;

 private:
  void Timer1Timer();
  void ButtonPauseClick();
  void ButtonRecordClick();
  void ButtonRecordAsClick();
  // Opens the log and starts writing it; a failure is shown.
  void StartRecording(LiveLogFormat format, const QString& path, LiveLogWriter::Mode mode);
  // The user changed the smoothing: applied and remembered.
  void SmoothingChanged();
  void ApplySmoothing();
  void ComboBoxTraceChange();
  void ShowRecording();
  // Closes the recording; a failure to close is shown.
  void StopRecording();
  void LinkFailed(const QString& message);
  void ScheduleTick();
  void ShowReading(const LiveReading& reading);
  void ShowStatus();

  std::unique_ptr<Ui::TFormLiveData> ui_;
  std::unique_ptr<QVASerialComms> link_;
  Prompter& prompter_;
  std::unique_ptr<LiveLogWriter> recorder_;
  std::optional<IpMovingAverage> smoother_;
  // Both traces are kept, so that the view can switch between them.
  TraceData rawTrace_;
  TraceData smoothedTrace_;
  QTimer* Timer1;
  QElapsedTimer clock_;
  bool paused_ = false;
  QString failure_;  // the status after a link failure
};

// Online > Live Data...: opens the link on portName (a port that cannot be
// opened raises ESerialCommunications before any window shows) and runs
// the window modally.
void RunLiveDataWindow(QWidget* owner, const QString& portName, Prompter& prompter);
