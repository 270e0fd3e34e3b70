// Times the search for a meter as a user meets it: two paced qva-device-sim
// meters and one silent pseudo-terminal, each probed as Find QVA and
// qva-cli ports --probe probe it. Not a test: it prints figures.
//
//   bench_portprobe [RUNS]     (default 3; qva-device-sim is taken from the
//                               folder of this program)

#include <cstdio>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>

#include "comms/portprobe.h"
#include "support/silentpty.h"

namespace {

constexpr int kDefaultRuns = 3;
constexpr int kStartTimeoutMs = 10000;
constexpr double kTargetSeconds = 4.0;  // the three ports in all

// A paced simulator on its own pseudo-terminal; empty path when it failed.
QString StartSimulator(QProcess& sim) {
  sim.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/qva-device-sim"));
  sim.setStandardErrorFile(QProcess::nullDevice());
  sim.start();
  if (!sim.waitForStarted(kStartTimeoutMs)) return {};
  const QDeadlineTimer deadline(kStartTimeoutMs);
  while (!sim.canReadLine() && sim.state() == QProcess::Running && !deadline.hasExpired()) sim.waitForReadyRead(100);
  const QByteArray line = sim.readLine().trimmed();
  return line.startsWith("PTY ") ? QString::fromLocal8Bit(line.mid(4)) : QString();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int runs = kDefaultRuns;
  if (argc > 1) {
    bool ok = false;
    runs = QString::fromLocal8Bit(argv[1]).toInt(&ok);
    if (!ok || runs < 1 || runs > 100) {
      std::fprintf(stderr, "usage: bench_portprobe [RUNS 1-100]\n");
      return 2;
    }
  }
  QProcess first;
  QProcess second;
  SilentPty silent;
  const QStringList ports{StartSimulator(first), silent.Slave(), StartSimulator(second)};
  if (ports.contains(QString())) {
    std::fprintf(stderr, "cannot start two simulators and a silent pseudo-terminal\n");
    return 1;
  }
  int exitCode = 0;
  for (int run = 1; run <= runs; ++run) {
    QElapsedTimer total;
    total.start();
    for (const QString& port : ports) {
      QElapsedTimer timer;
      timer.start();
      const ProbeResult result = ProbePort(port);
      std::printf("run %d: %-14s %-20s %6.1f ms\n", run, port.toLocal8Bit().constData(),
                  ProbeResultText(result, QString()).toLocal8Bit().constData(),
                  static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const double seconds = static_cast<double>(total.nsecsElapsed()) / 1e9;
    std::printf("run %d: three ports in %.3f s (target < %.1f s)\n", run, seconds, kTargetSeconds);
    if (seconds >= kTargetSeconds) exitCode = 1;
  }
  first.terminate();
  second.terminate();
  first.waitForFinished(5000);
  second.waitForFinished(5000);
  return exitCode;
}
