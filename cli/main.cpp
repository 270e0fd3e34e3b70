#include <cstdio>
#include <memory>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>

#include "clirun.h"
#include "sheetcommand.h"

#ifdef Q_OS_UNIX
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A standard stream the caller closed (">&-") keeps its number, on a
// device that takes nothing: otherwise the next file or port the program
// opens would get it, and the report would be written there. Writes to
// /dev/full fail, so a closed stdout ends in "File write error".
void ReserveClosedStandardStreams() {
  for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) continue;
    const int placeholder = stream == STDIN_FILENO ? open("/dev/null", O_RDONLY) : open("/dev/full", O_WRONLY);
    if (placeholder != -1 && placeholder != stream) {
      dup2(placeholder, stream);
      close(placeholder);
    }
  }
}

}  // namespace
#endif

int main(int argc, char** argv) {
#ifdef Q_OS_UNIX
  ReserveClosedStandardStreams();
#endif
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  std::unique_ptr<QCoreApplication> application;
  if (CommandNeedsPainter(arguments)) {
    // The sheet is painted, which needs a GUI application but no display:
    // the offscreen platform, unless the caller names one. The program's
    // own arguments are not handed over, so none is taken for a Qt option.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int guiArgc = 1;
    application = std::make_unique<QGuiApplication>(guiArgc, argv);
  } else {
    application = std::make_unique<QCoreApplication>(argc, argv);
    arguments = QCoreApplication::arguments();
    arguments.removeFirst();
  }
  // Numbers in reports are the same whatever the user's locale.
  QLocale::setDefault(QLocale::c());
  CliOutput output(stdout, stderr);
  return RunCli(arguments, output);
}
