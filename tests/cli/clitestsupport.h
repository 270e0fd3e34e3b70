#pragma once

#include <functional>

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

// childSetup, when given, runs in the child before the program starts (a
// resource limit, a signal disposition).
CliResult RunQvaCli(const QStringList& arguments, const std::function<void()>& childSetup = {});
QString QvaCliPath();
