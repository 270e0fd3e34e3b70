#include "livecommand.h"

#include <algorithm>
#include <csignal>
#include <memory>

#include <QElapsedTimer>

#include "clioptions.h"
#include "clirun.h"
#include "exitcodes.h"
#include "comms/livedata.h"
#include "comms/livelog.h"
#include "comms/qvaserialcomms.h"
#include "platform/qvaerrors.h"
#include "platform/sleeper.h"

namespace {

// The longest single wait between checks for an interrupt.
constexpr int kInterruptCheckMs = 50;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int signalNumber) {
  if (interrupted) {
    // A second Ctrl+C while a read hangs on a silent line ends the program
    // at once; every row recorded so far is already in the file.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    return;
  }
  interrupted = 1;
}

// SIGINT and SIGTERM end the readings at the next tick while this lives.
class InterruptGuard {
 public:
  InterruptGuard() {
    interrupted = 0;
    previousInt_ = std::signal(SIGINT, OnInterrupt);
    previousTerm_ = std::signal(SIGTERM, OnInterrupt);
  }
  ~InterruptGuard() {
    std::signal(SIGINT, previousInt_);
    std::signal(SIGTERM, previousTerm_);
  }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  static bool Interrupted() { return interrupted != 0; }

 private:
  void (*previousInt_)(int) = SIG_DFL;
  void (*previousTerm_)(int) = SIG_DFL;
};

QString FileMessage(const QString& path, const Exception& error) {
  return path + QStringLiteral(":\n") + error.Message();
}

// Waits until the clock reads dueMs, or an interrupt comes.
void WaitUntil(const QElapsedTimer& clock, int64_t dueMs) {
  Sleeper& sleeper = DefaultSleeper();
  for (int64_t left = dueMs - clock.elapsed(); left > 0 && !InterruptGuard::Interrupted();
       left = dueMs - clock.elapsed())
    sleeper.Sleep(static_cast<int>(std::min<int64_t>(left, kInterruptCheckMs)));
}

// The file to record to, if any, and its format.
struct LogChoice {
  QString path;
  LiveLogFormat format = LiveLogFormat::Csv;
};

LogChoice ChosenLog(const CommandLine& line) {
  if (!line.msl.isEmpty()) return {line.msl, LiveLogFormat::Msl};
  return {line.csv, LiveLogFormat::Csv};
}

}  // namespace

int LiveCommand(const CommandLine& line, CliOutput& output) {
  const LogChoice log = ChosenLog(line);
  // An earlier recording is not replaced by accident; a folder is refused
  // for what it is.
  if (!log.path.isEmpty()) CheckOutputFile(log.path, line.force, OutputTarget::FileOrDevice);

  InterruptGuard guard;
  std::unique_ptr<QVASerialComms> link;
  try {
    link = std::make_unique<QVASerialComms>(line.port);
  } catch (const ESerialCommunications& error) {
    output.Error(error.Message());
    return kExitLinkFailure;
  }
  std::unique_ptr<LiveLogWriter> recorder;
  if (!log.path.isEmpty()) {
    LiveLogOptions options;
    if (line.smooth > 0) options.smoothingSeconds = line.smooth;
    try {
      recorder = OpenLiveLog(log.format, log.path, LiveLogWriter::Mode::Replace, options);
    } catch (const ESystemError& error) {
      output.Error(error.Message());
      return kExitUsageOrFile;
    } catch (const Exception& error) {
      output.Error(FileMessage(log.path, error));
      return kExitUsageOrFile;
    }
    output.Error(QStringLiteral("Recording to %1.").arg(log.path));
  }

  const int64_t limitMs = int64_t{line.seconds} * 1000;
  int exitCode = kExitSuccess;
  QElapsedTimer clock;
  clock.start();
  while (!InterruptGuard::Interrupted()) {
    const int64_t now = clock.elapsed();
    if (limitMs > 0 && now >= limitMs) break;
    LiveReading reading;
    try {
      reading = PollLiveData(*link, now);
    } catch (const ESerialCommunications& error) {
      output.EndStatus();
      output.Error(error.Message());
      exitCode = kExitLinkFailure;
      break;
    }
    if (recorder) {
      try {
        recorder->Append(reading);
      } catch (const Exception& error) {
        output.EndStatus();
        output.Error(FileMessage(log.path, error));
        exitCode = kExitUsageOrFile;
        break;
      }
      output.Status(RecordingStatusText(*recorder));
    } else {
      // Raises EFileWrite when stdout does not take the line.
      output.Report(LiveTextLine(reading).toUtf8() + '\n');
    }
    const int64_t done = clock.elapsed();
    WaitUntil(clock, done + LiveTickWait(done));
  }
  link.reset();
  output.EndStatus();

  if (recorder) {
    try {
      recorder->Close();
    } catch (const Exception& error) {
      output.Error(FileMessage(log.path, error));
      if (exitCode == kExitSuccess) exitCode = kExitUsageOrFile;
    }
    output.Error(QStringLiteral("%1 readings recorded to %2.").arg(recorder->Rows()).arg(log.path));
  }
  return exitCode;
}
