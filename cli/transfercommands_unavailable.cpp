#include "transfercommands.h"

#include "clioptions.h"
#include "clirun.h"
#include "exitcodes.h"

// Built when the core holds no Get and Send procedures: the commands are
// known (so their help is shown) but refuse to run.
namespace {

int Unavailable(const CommandLine& line, CliOutput& output) {
  output.Error(QStringLiteral("%1 is not available in this build of qva-cli.").arg(line.command));
  return kExitUsageOrFile;
}

}  // namespace

int GetCommand(const CommandLine& line, CliOutput& output) {
  return Unavailable(line, output);
}

int SendCommand(const CommandLine& line, CliOutput& output) {
  return Unavailable(line, output);
}
