#include <cstdio>

#include <QCoreApplication>
#include <QLocale>

#include "clirun.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  // Numbers in reports are the same whatever the user's locale.
  QLocale::setDefault(QLocale::c());
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  CliOutput output(stdout, stderr);
  return RunCli(arguments, output);
}
