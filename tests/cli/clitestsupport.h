#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "config/qvaconfig.h"
#include "support/samplerecords.h"

// Runs the built qva-cli as its own process, as a script would.
struct CliResult {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

CliResult RunQvaCli(const QStringList& arguments);
QString QvaCliPath();
