#include "simprocess.h"

#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "support/testenvironment.h"

QString SimProgramPath() {
#ifdef QVA_SIM_PROGRAM
  return QStringLiteral(QVA_SIM_PROGRAM);
#else
  return BinDir() + QStringLiteral("/qva-device-sim");
#endif
}

SimProcess::SimProcess(const QStringList& arguments) {
  static int count = 0;
  stateFile_ = TestEnvironment::PathIn(QStringLiteral("sim/state-%1.json").arg(++count));
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  process_.start(
      SimProgramPath(),
      QStringList{QStringLiteral("--no-pacing"), QStringLiteral("--state-file"), stateFile_} + arguments);
  if (!process_.waitForStarted(10000)) {
    ADD_FAILURE() << "qva-device-sim did not start: " << SimProgramPath().toStdString();
    return;
  }
  // The first stdout line names the pseudo-terminal.
  QByteArray line;
  while (!line.contains('\n') && process_.waitForReadyRead(10000)) line += process_.readAllStandardOutput();
  const QByteArray first = line.left(line.indexOf('\n')).trimmed();
  if (!first.startsWith("PTY ")) {
    ADD_FAILURE() << "qva-device-sim said: " << first.toStdString() << " / "
                  << process_.readAllStandardError().toStdString();
    return;
  }
  port_ = QString::fromLocal8Bit(first.mid(4));
}

SimProcess::~SimProcess() {
  if (process_.state() != QProcess::NotRunning) Stop();
}

QJsonObject SimProcess::Stop() {
  if (process_.state() != QProcess::NotRunning) {
    process_.terminate();
    if (!process_.waitForFinished(10000)) {
      process_.kill();
      process_.waitForFinished();
    }
  }
  QFile file(stateFile_);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QJsonDocument::fromJson(file.readAll()).object();
}
