#pragma once

#include <cstdio>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

// What the benchmarks share: the number of runs from the command line and
// a paced qva-device-sim from the benchmark's own folder.

// RUNS from argv[1] (fallback without one); 0 after printing the usage when
// it is not a number from 1 to most.
inline int RunsArgument(int argc, char** argv, int fallback, int most, const char* program) {
  if (argc < 2) return fallback;
  bool ok = false;
  const int runs = QString::fromLocal8Bit(argv[1]).toInt(&ok);
  if (ok && runs >= 1 && runs <= most) return runs;
  std::fprintf(stderr, "usage: %s [RUNS 1-%d]\n", program, most);
  return 0;
}

// Starts the simulator and returns its pseudo-terminal, or an empty path
// after saying why on stderr.
inline QString StartSimulator(QProcess& sim) {
  constexpr int kStartTimeoutMs = 10000;
  sim.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/qva-device-sim"));
  sim.setStandardErrorFile(QProcess::nullDevice());
  sim.start();
  if (!sim.waitForStarted(kStartTimeoutMs)) {
    std::fprintf(stderr, "cannot start %s\n", sim.program().toLocal8Bit().constData());
    return {};
  }
  const QDeadlineTimer deadline(kStartTimeoutMs);
  while (!sim.canReadLine() && sim.state() == QProcess::Running && !deadline.hasExpired()) sim.waitForReadyRead(100);
  const QByteArray line = sim.readLine().trimmed();
  if (!line.startsWith("PTY ")) {
    std::fprintf(stderr, "the simulator gave no PTY line\n");
    return {};
  }
  return QString::fromLocal8Bit(line.mid(4));
}
