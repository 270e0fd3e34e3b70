#include "support/devicesimulator.h"

#include <atomic>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>

#include "support/testenvironment.h"

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;
const QByteArray kPtyPrefix("PTY ");
const QByteArray kDevicePrefix("DEVICE ");

// Several simulators may run in one test; each gets its own files.
int NextInstance() {
  static std::atomic<int> counter{0};
  return ++counter;
}

}  // namespace

DeviceSimulator::DeviceSimulator(QStringList arguments) : arguments_(std::move(arguments)) {
  const int instance = NextInstance();
  stateFile_ = TestEnvironment::PathIn(QStringLiteral("sim%1/state.json").arg(instance));
  logFile_ = TestEnvironment::PathIn(QStringLiteral("sim%1/stderr.txt").arg(instance));
}

DeviceSimulator::~DeviceSimulator() {
  Stop();
}

QString DeviceSimulator::ProgramPath() {
  return BinDir() + QStringLiteral("/qva-device-sim");
}

bool DeviceSimulator::Start() {
  process_ = std::make_unique<QProcess>();
  process_->setProgram(ProgramPath());
  process_->setArguments(QStringList{QStringLiteral("--log"), QStringLiteral("--state-file"), stateFile_} +
                         arguments_);
  // A file, not a pipe: a chatty --log must never block the simulator.
  process_->setStandardErrorFile(logFile_);
  process_->start();
  if (!process_->waitForStarted(kStartTimeoutMs)) {
    error_ = QStringLiteral("cannot start %1: %2").arg(ProgramPath(), process_->errorString());
    return false;
  }
  const QDeadlineTimer deadline(kStartTimeoutMs);
  while (!process_->canReadLine()) {
    if (process_->state() != QProcess::Running) process_->waitForFinished(kStopTimeoutMs);
    if (process_->state() != QProcess::Running || deadline.hasExpired()) {
      exitCode_ = process_->state() == QProcess::NotRunning && process_->exitStatus() == QProcess::NormalExit
                      ? process_->exitCode()
                      : -1;
      error_ = QStringLiteral("the simulator gave no PTY line; stderr: %1").arg(Log());
      return false;
    }
    process_->waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
  }
  const QByteArray line = process_->readLine().trimmed();
  const QByteArray& prefix = line.startsWith(kDevicePrefix) ? kDevicePrefix : kPtyPrefix;
  if (!line.startsWith(prefix)) {
    error_ = QStringLiteral("unexpected first line from the simulator: %1").arg(QString::fromLocal8Bit(line));
    return false;
  }
  portPath_ = QString::fromLocal8Bit(line.mid(prefix.size()));
  return true;
}

QJsonObject DeviceSimulator::Stop() {
  if (process_) {
    if (process_->state() != QProcess::NotRunning) {
      process_->terminate();
      if (!process_->waitForFinished(kStopTimeoutMs)) {
        process_->kill();
        process_->waitForFinished(kStopTimeoutMs);
      }
    }
    exitCode_ = process_->exitStatus() == QProcess::NormalExit ? process_->exitCode() : -1;
    process_.reset();
  }
  return State();
}

QJsonObject DeviceSimulator::State() const {
  QFile file(stateFile_);
  if (!file.open(QIODevice::ReadOnly)) return QJsonObject();
  return QJsonDocument::fromJson(file.readAll()).object();
}

QString DeviceSimulator::Log() const {
  QFile file(logFile_);
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromLocal8Bit(file.readAll());
}
