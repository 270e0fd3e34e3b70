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
#include <QElapsedTimer>
#include <QProcess>

#include "benchsupport.h"
#include "comms/portprobe.h"
#include "support/silentpty.h"

namespace {

constexpr int kDefaultRuns = 3;
constexpr double kTargetSeconds = 4.0;  // the three ports in all

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = RunsArgument(argc, argv, kDefaultRuns, 100, "bench_portprobe");
  if (runs == 0) return 2;
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
