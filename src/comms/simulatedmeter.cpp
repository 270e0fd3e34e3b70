#include "comms/simulatedmeter.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "platform/qvaerrors.h"

#ifdef Q_OS_LINUX
#include <csignal>

#include <sys/prctl.h>
#endif

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 2000;
const QByteArray kPtyLinePrefix("PTY ");

QString DataFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/Ulmora/QVA Setup");
}

QString LogFile() {
  return DataFolder() + QStringLiteral("/Simulated meter.log");
}

QString StartFailure(const QString& reason) {
  return QStringLiteral("The simulated meter could not be started.\n%1").arg(reason);
}

}  // namespace

SimulatedMeter& SimulatedMeter::Instance() {
  static SimulatedMeter* instance = nullptr;
  if (!instance) instance = new SimulatedMeter(QCoreApplication::instance());
  return *instance;
}

SimulatedMeter::SimulatedMeter(QObject* parent) : QObject(parent) {}

SimulatedMeter::~SimulatedMeter() {
  Stop();
}

QString SimulatedMeter::ProgramPath() {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/qva-device-sim");
}

QString SimulatedMeter::StoreFile() {
  return DataFolder() + QStringLiteral("/Simulated meter.Q11");
}

bool SimulatedMeter::Available() {
#ifdef Q_OS_UNIX
  return QFileInfo(ProgramPath()).isExecutable() && QFileInfo::exists(QStringLiteral("/dev/ptmx"));
#else
  return false;
#endif
}

QString SimulatedMeter::PortPath() const {
  return process_ && process_->state() == QProcess::Running ? portPath_ : QString();
}

QString SimulatedMeter::Start() {
  if (!PortPath().isEmpty()) return portPath_;
  Stop();
  if (!Available()) throw Exception(StartFailure(QStringLiteral("%1 is not there.").arg(ProgramPath())));
  if (!QDir().mkpath(DataFolder()))
    throw Exception(StartFailure(QStringLiteral("The folder %1 cannot be made.").arg(DataFolder())));

  process_ = new QProcess(this);
  process_->setProgram(ProgramPath());
  process_->setArguments({QStringLiteral("--eeprom"), StoreFile()});
  // A file, not a pipe nobody reads: the simulator may outlive many commands.
  process_->setStandardErrorFile(LogFile());
#ifdef Q_OS_LINUX
  // Should the program crash, the simulator goes with it.
  process_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
  process_->start();
  const QDeadlineTimer deadline(kStartTimeoutMs);
  while (!process_->canReadLine() && process_->state() != QProcess::NotRunning && !deadline.hasExpired())
    process_->waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
  const QByteArray line = process_->canReadLine() ? process_->readLine().trimmed() : QByteArray();
  if (!line.startsWith(kPtyLinePrefix) || process_->state() != QProcess::Running) {
    QFile log(LogFile());
    QString reason = log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.read(4096)).trimmed() : QString();
    if (reason.isEmpty()) reason = process_->errorString();
    Stop();
    throw Exception(StartFailure(reason));
  }
  portPath_ = QString::fromLocal8Bit(line.mid(kPtyLinePrefix.size()));
  return portPath_;
}

void SimulatedMeter::Stop() {
  if (!process_) return;
  if (process_->state() != QProcess::NotRunning) {
    process_->terminate();
    if (!process_->waitForFinished(kStopTimeoutMs)) {
      process_->kill();
      process_->waitForFinished(kStopTimeoutMs);
    }
  }
  delete process_;
  process_ = nullptr;
  portPath_.clear();
}

bool IsSimulatedMeterPort(const QString& port) {
  if (port.isEmpty() || !QCoreApplication::instance()) return false;
  return port == SimulatedMeter::Instance().PortPath();
}
