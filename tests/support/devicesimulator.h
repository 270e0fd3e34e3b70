#pragma once

#include <memory>

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs qva-device-sim from the build's bin folder on a new pseudo-terminal
// for one test, and stops it at the end. The simulator's stderr (its --log)
// goes to a file in the test's temporary root; its JSON summary is read
// back when it stops.
class DeviceSimulator {
 public:
  explicit DeviceSimulator(QStringList arguments = {});
  ~DeviceSimulator();
  DeviceSimulator(const DeviceSimulator&) = delete;
  DeviceSimulator& operator=(const DeviceSimulator&) = delete;

  // Starts the simulator and waits (at most 10 s) for its "PTY path" line
  // ("DEVICE path" with --device). Returns false with a reason in Error()
  // when it does not come; ExitCode() then tells how it ended.
  bool Start();
  // The pseudo-terminal the program under test opens.
  const QString& PortPath() const { return portPath_; }
  const QString& Error() const { return error_; }

  // Stops the simulator with SIGTERM and returns its final summary (empty
  // when it could not be read). Safe to call more than once.
  QJsonObject Stop();
  // The summary as last written (at start, after each copy, on exit).
  QJsonObject State() const;
  // Everything the simulator wrote to stderr so far.
  QString Log() const;
  int ExitCode() const { return exitCode_; }

  static QString ProgramPath();

 private:
  QStringList arguments_;
  QString stateFile_;
  QString logFile_;
  QString portPath_;
  QString error_;
  std::unique_ptr<QProcess> process_;
  int exitCode_ = -1;
};
