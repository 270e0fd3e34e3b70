#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// A qva-device-sim serving a fresh pseudo-terminal for one test. The
// simulator answers at full speed and writes its summary to a state file,
// read after it has stopped.
class SimProcess {
 public:
  explicit SimProcess(const QStringList& arguments);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Started() const { return !port_.isEmpty(); }
  // The pseudo-terminal's path, for --port.
  const QString& Port() const { return port_; }
  // Stops the simulator (SIGTERM) and returns its final summary.
  QJsonObject Stop();

 private:
  QProcess process_;
  QString port_;
  QString stateFile_;
};

QString SimProgramPath();
