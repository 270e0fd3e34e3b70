#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "comms/livelog.h"
#include "platform/qvaerrors.h"

// A command line that does not fit the command: the message says what is
// wrong; the caller adds where to find help.
class EUsage : public Exception {
 public:
  EUsage(QString message, QString command) : Exception(std::move(message)), command_(std::move(command)) {}
  const QString& Command() const { return command_; }

 private:
  QString command_;
};

// The commands qva-cli knows, in the order the help lists them.
const QStringList& CliCommands();

struct CommandLine {
  QString command;       // empty: none given
  bool help = false;     // -h/--help anywhere, or the "help" command
  bool version = false;  // --version before any command
  bool json = false;
  bool force = false;
  QString port;
  QString output;
  int retries = 0;
  bool review = false;  // send: show the differences and ask before writing
  bool yes = false;     // send --review: accept without asking
  bool verify = false;  // send: read the configuration back and compare
  int seconds = 0;      // live: how long to run; 0 until interrupted
  QString csv;          // live: record to this file as CSV
  QString msl;          // live: record to this file as a tab-delimited datalog
  int smooth = 0;       // live: seconds of the smoothed Ip column; 0 for none
  QString from;         // set: a dump output whose assignments to apply
  bool units = false;   // diff: grouped by setup window, in the windows' units
  QString folder;       // backups: "device" or "save"; empty for both
  QString note;         // sheet: the free text printed under the title
  bool probe = false;   // ports: ask each port for a meter
  QStringList files;    // the positional arguments, in order (set: FILE, then NAME=VALUE...; ports --probe: PATH...)
};

// The most --retries accepts; a meter that fails this often will not succeed.
constexpr int kMaxRetries = 100;
// The longest live --seconds takes: a day.
constexpr int kMaxLiveSeconds = 86400;

// Parses the arguments after the program name. Options may stand before or
// after the files, "--name=value" or "--name value"; "--" ends the options.
// "help COMMAND" becomes COMMAND with help set. Raises EUsage.
CommandLine ParseCommandLine(const QStringList& arguments);
