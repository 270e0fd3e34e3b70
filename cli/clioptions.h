#pragma once

#include <optional>

#include <QString>
#include <QStringList>

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
  QStringList files;  // the positional arguments, in order
};

// The most --retries accepts; a meter that fails this often will not succeed.
constexpr int kMaxRetries = 100;

// Parses the arguments after the program name. Options may stand before or
// after the files, "--name=value" or "--name value"; "--" ends the options.
// "help COMMAND" becomes COMMAND with help set. Raises EUsage.
CommandLine ParseCommandLine(const QStringList& arguments);
