// qva-setup-host: the desktop program exactly as shipped, run headless for
// the tests and the start-up benchmark. Its message boxes are answered by
// AutoAnswerPrompter; two variables of this host (never of qva-setup):
//   QVA_SETUP_RAISE_LOG        a file to which each request of a later copy
//                              to come forward appends a line naming the
//                              window that was raised.
//   QVA_SETUP_QUIT_WHEN_SHOWN  end as soon as the main window is on screen
//                              and its start-up step has run.
#include <QFile>
#include <QWidget>

#include "app/desktopprogram.h"
#include "support/autoanswerprompter.h"

int main(int argc, char** argv) {
  DesktopProgramHost host;
  host.makePrompter = [] { return std::make_unique<AutoAnswerPrompter>(); };
  const QString raiseLog = qEnvironmentVariable("QVA_SETUP_RAISE_LOG");
  if (!raiseLog.isEmpty()) {
    host.raised = [raiseLog](QWidget* front, bool minimized) {
      QFile log(raiseLog);
      if (!log.open(QIODevice::Append | QIODevice::Text)) return;
      log.write("raised " + front->objectName().toUtf8() + (minimized ? " minimized\n" : "\n"));
    };
  }
  host.quitWhenShown = qEnvironmentVariableIsSet("QVA_SETUP_QUIT_WHEN_SHOWN");
  return RunDesktopProgram(argc, argv, host);
}
