#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "support/devicesimulator.h"

// The shared simulator fixture, started at once and answering at full
// speed: the command-line tests care about outcomes, not line timing.
class SimProcess {
 public:
  explicit SimProcess(const QStringList& arguments)
      : sim_(QStringList{QStringLiteral("--no-pacing")} + arguments), started_(sim_.Start()) {}

  bool Started() const { return started_; }
  // The pseudo-terminal's path, for --port.
  const QString& Port() const { return sim_.PortPath(); }
  // Stops the simulator (SIGTERM) and returns its final summary.
  QJsonObject Stop() { return sim_.Stop(); }

 private:
  DeviceSimulator sim_;
  bool started_;
};
