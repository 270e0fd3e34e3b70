#include <cstdio>

#include <QCoreApplication>
#include <QLocale>

#include "clirun.h"

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
  QCoreApplication application(argc, argv);
  // Numbers in reports are the same whatever the user's locale.
  QLocale::setDefault(QLocale::c());
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  CliOutput output(stdout, stderr);
  return RunCli(arguments, output);
}
