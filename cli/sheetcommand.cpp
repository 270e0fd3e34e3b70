#include "sheetcommand.h"

#include <QDate>
#include <QLocale>

#include "clioptions.h"
#include "clirun.h"
#include "exitcodes.h"
#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"
#include "editors/setupsheet.h"
#include "editors/setupsheetpdf.h"

int SheetCommand(const CommandLine& line, CliOutput& output) {
  const QString& setupFile = line.files.at(0);
  const QString refusal = SheetTargetRefusal(line.output, setupFile);
  if (!refusal.isEmpty()) {
    output.Error(line.output + QStringLiteral(":\n") + refusal);
    return kExitUsageOrFile;
  }
  CheckOutputFile(line.output, line.force);
  QVA_CONFIG_DATA config;
  try {
    config = ReadSetupFile(setupFile);
  } catch (const Exception& error) {
    output.Error(setupFile + QStringLiteral(":\n") + error.Message());
    return kExitUsageOrFile;
  }
  // The sheet shows the configuration as the desktop program opens it.
  const unsigned fileVersion = config.version;
  if (UpgradeConfig(config)) {
    output.Error(
        QStringLiteral("The configuration was upgraded from version %1 for the sheet.").arg(fileVersion));
  }
  const SetupSheet sheet = BuildSetupSheet(config, {setupFile, QDate::currentDate(), line.note});
  int pages = 0;
  try {
    pages = WriteSetupSheet(line.output, sheet, SheetPageSize(QLocale::system()));
  } catch (const Exception& error) {
    output.Error(line.output + QStringLiteral(":\n") + error.Message());
    return kExitUsageOrFile;
  }
  output.Error(pages == 1
                   ? QStringLiteral("Setup sheet written to %1 (1 page).").arg(line.output)
                   : QStringLiteral("Setup sheet written to %1 (%2 pages).").arg(line.output).arg(pages));
  return kExitSuccess;
}

bool CommandNeedsPainter(const QStringList& arguments) {
  try {
    const CommandLine line = ParseCommandLine(arguments);
    return line.command == QLatin1String("sheet") && !line.help && !line.version;
  } catch (const Exception&) {
    return false;
  }
}
