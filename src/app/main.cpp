#include <QApplication>
#include <QFile>

#include "app/errorhandler.h"
#include "app/mainform.h"
#include "app/qtprompter.h"
#include "app/singleinstanceguard.h"

// Test aids for running the real program headless (both unset in use):
//   QVA_SETUP_AUTO_ANSWER   every message box is written to standard error
//                           as "QVA-PROMPT: <caption>|<text>" and answered
//                           with its first button; file dialogs cancel.
//   QVA_SETUP_RAISE_LOG     a file to which each request of a later copy to
//                           come forward appends a line naming the widget
//                           that was raised.
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QtPrompter prompter(qEnvironmentVariableIsSet("QVA_SETUP_AUTO_ANSWER"));

  // Held for the life of the program: it is the lock later copies find.
  SingleInstanceGuard guard;
  bool onlyCopy = false;
  if (!RunCommand(prompter, [&] { onlyCopy = guard.CheckSingleInstance(prompter); })) return 1;
  // A second copy has told the user and asked the first one forward; it
  // ends without ever showing a window.
  if (!onlyCopy) return 0;

  TFormQVASetupMain form(prompter);
  const QString raiseLog = qEnvironmentVariable("QVA_SETUP_RAISE_LOG");
  guard.SetRaiseHandler([&form, raiseLog] {
    form.BringToFront();
    if (raiseLog.isEmpty()) return;
    QFile log(raiseLog);
    if (!log.open(QIODevice::Append | QIODevice::Text)) return;
    QWidget* front = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : &form;
    log.write("raised " + front->objectName().toUtf8() + (form.isMinimized() ? " minimized\n" : "\n"));
  });
  // The editors, transfers and option dialogs are attached here through
  // form.Hooks() (MainFormHooks).
  form.show();
  return app.exec();
}
