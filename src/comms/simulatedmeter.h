#pragma once

#include <QObject>
#include <QString>

class QProcess;

// A meter to try the program without one: qva-device-sim, installed beside
// the program, serving a pseudo-terminal for as long as the program runs.
// The configuration it stores is kept between runs in the user's data
// folder. Choosing it changes nothing about the real ports.
class SimulatedMeter : public QObject {
  Q_OBJECT

 public:
  // The one simulated meter of the program, owned by the application object.
  static SimulatedMeter& Instance();

  // Whether it can be offered: the simulator beside the running program and
  // pseudo-terminals on the system.
  static bool Available();
  static QString ProgramPath();
  // The setup file holding what the simulated meter stores.
  static QString StoreFile();

  // Starts the simulator unless it runs and returns its pseudo-terminal.
  // Raises Exception with the reason when it cannot be started.
  QString Start();
  // The pseudo-terminal, empty while it does not run.
  QString PortPath() const;

  ~SimulatedMeter() override;

 private:
  explicit SimulatedMeter(QObject* parent);
  void Stop();

  QProcess* process_ = nullptr;
  QString portPath_;
};

// True when port is the simulated meter's pseudo-terminal.
bool IsSimulatedMeterPort(const QString& port);
