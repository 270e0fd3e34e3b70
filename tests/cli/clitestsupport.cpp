#include "clitestsupport.h"

#include <cstring>

#include <QProcess>

#include <gtest/gtest.h>

#include "config/qvasetupfiler.h"
#include "support/testenvironment.h"

QString QvaCliPath() {
  // The build names the program it made; the bin folder from the
  // environment is the fallback for a test binary run on its own.
#ifdef QVA_CLI_PROGRAM
  return QStringLiteral(QVA_CLI_PROGRAM);
#else
  return BinDir() + QStringLiteral("/qva-cli");
#endif
}

CliResult RunQvaCli(const QStringList& arguments, const std::function<void()>& childSetup) {
  CliResult result;
  QProcess process;
  if (childSetup) process.setChildProcessModifier(childSetup);
  process.start(QvaCliPath(), arguments);
  if (!process.waitForStarted(10000)) {
    ADD_FAILURE() << "qva-cli did not start: " << QvaCliPath().toStdString();
    return result;
  }
  process.closeWriteChannel();
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "qva-cli did not finish";
    return result;
  }
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "qva-cli crashed";
  result.exitCode = process.exitCode();
  result.out = process.readAllStandardOutput();
  result.err = process.readAllStandardError();
  return result;
}
