#include "setcommand.h"

#include <vector>

#include "clioptions.h"
#include "clirun.h"
#include "configedits.h"
#include "exitcodes.h"
#include "platform/qvaerrors.h"
#include "config/configdiff.h"
#include "config/qvasetupfiler.h"

namespace {

// A failure on a named file: the path on the line before the message.
int FileFailure(const QString& path, const Exception& error, CliOutput& output) {
  output.Error(path + QStringLiteral(":\n") + error.Message());
  return kExitUsageOrFile;
}

}  // namespace

int SetCommand(const CommandLine& line, CliOutput& output) {
  const QString& path = line.files.at(0);
  // The record as stored: set changes the named fields and nothing else, so
  // an older file keeps its version (the desktop program upgrades it when
  // it opens it).
  QVA_CONFIG_DATA config;
  try {
    config = ReadSetupFile(path);
  } catch (const Exception& error) {
    return FileFailure(path, error, output);
  }

  std::vector<FieldEdit> edits;
  if (line.from.isEmpty()) {
    edits = ParseAssignments(line.files.mid(1));
  } else {
    QByteArray dump;
    try {
      // One byte more than a dump may have, so that a larger file is told apart.
      dump = ReadFileBytes(line.from, kMaxDumpTextSize + 1);
    } catch (const Exception& error) {
      return FileFailure(line.from, error, output);
    }
    edits = ParseDumpText(dump, line.from, config.version);
  }

  QVA_CONFIG_DATA changed = config;
  const int count = ApplyFieldEdits(changed, edits);
  if (count == 0) {
    output.Error(QStringLiteral("No field changed."));
    return kExitSuccess;
  }
  QString backup;
  try {
    backup = SaveOverWithBackup(path, changed);
  } catch (const Exception& error) {
    return FileFailure(path, error, output);
  }
  for (const QString& difference : DiffConfigs(config, changed).lines) output.Error(difference);
  const QString summary =
      count == 1 ? QStringLiteral("1 field changed") : QStringLiteral("%1 fields changed").arg(count);
  output.Error(backup.isEmpty() ? summary + QStringLiteral("; no backup could be made.")
                                : summary + QStringLiteral("; backup: ") + backup);
  return kExitSuccess;
}
