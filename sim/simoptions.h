#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include <QString>
#include <QStringList>

#include "simdevice.h"
#include "simfaults.h"

// The command line of qva-device-sim.

namespace qvasim {

struct SimOptions {
  QString devicePath;  // a real serial device; empty: serve a pseudo-terminal
  QString linkPath;    // a symlink to the pseudo-terminal's slave
  QString configFile;  // setup file with the configuration the device starts with
  bool badCrc = false;
  QString eepromFile;
  QString stateFile;
  QString registerPort;  // a port name of the desktop program to point here
  bool selectPort = false;
  std::map<uint64_t, Fault> faults;
  int faultRate = 0;
  uint32_t seed = 1;
  bool pacing = true;
  bool log = false;
  DeviceSettings device;
};

struct ParseOutcome {
  std::optional<SimOptions> options;  // nullopt: print text and exit with exitCode
  QString text;
  int exitCode = 0;
};

// Parses the arguments (without the program name). --help yields the help
// text and exit code 0; a mistake yields a one-line error and exit code 2.
ParseOutcome ParseSimOptions(const QStringList& arguments);

// "WARM_UP:3,RUN": state names or numbers, seconds for all but the last.
std::optional<std::vector<StateStep>> ParseStates(const QString& text);

// "20:3300,40:2800": from 20 s on Ip is 3300 uA, from 40 s on 2800 uA;
// seconds may have decimals and must not go back.
std::optional<std::vector<IpStep>> ParseIpSteps(const QString& text);

QString SimHelpText();

}  // namespace qvasim
