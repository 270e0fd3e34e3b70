#include <QApplication>
#include <QFile>

#include "platform/errorhandler.h"
#include "app/mainform.h"
#include "platform/qtprompter.h"
#include "app/qvaconfigfilelocationform.h"
#include "app/singleinstanceguard.h"
#include "app/commshooks.h"
#include "app/editorhooks.h"
#include "config/newconfigform.h"

namespace {

// Failures raised inside a slot or event handler of a dialog (a button of an
// editor, a progress window's posted step) would otherwise unwind through
// Qt's event loop, which does not carry exceptions: the program would end
// and take the user's unsaved configuration with it. They are shown like
// every other command's failure instead.
class TQvaApplication : public QApplication {
 public:
  using QApplication::QApplication;
  void SetPrompter(Prompter* prompter) { prompter_ = prompter; }
  bool notify(QObject* receiver, QEvent* event) override {
    if (!prompter_) return QApplication::notify(receiver, event);
    bool result = false;
    RunCommand(*prompter_, [&] { result = QApplication::notify(receiver, event); });
    return result;
  }

 private:
  Prompter* prompter_ = nullptr;
};

}  // namespace

// Test aids for running the real program headless (both unset in use):
//   QVA_SETUP_AUTO_ANSWER   every message box is written to standard error
//                           as "QVA-PROMPT: <caption>|<text>" and answered
//                           with its first button; file dialogs cancel.
//   QVA_SETUP_RAISE_LOG     a file to which each request of a later copy to
//                           come forward appends a line naming the widget
//                           that was raised.
//   QVA_SETUP_QUIT_WHEN_SHOWN  the program ends as soon as the main window is
//                           on screen and its start-up step has run (the
//                           start-up benchmark times this).
int main(int argc, char** argv) {
  TQvaApplication app(argc, argv);
  QtPrompter prompter(qEnvironmentVariableIsSet("QVA_SETUP_AUTO_ANSWER"));
  app.SetPrompter(&prompter);

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
  // The template dialog behind New, the configuration folder dialog, and
  // the Online commands with the port choice.
  MainFormHooks& hooks = form.Hooks();
  hooks.newConfigDialog = [&prompter](QWidget* owner) { return TFormNewConfig::Execute(prompter, owner); };
  hooks.fileLocationsDialog = [&prompter](QWidget* owner) { TFormQVAConfigFileLocation::Execute(prompter, owner); };
  InstallCommsHooks(hooks, prompter);
  InstallEditorHooks(hooks, prompter);
  form.show();
  if (qEnvironmentVariableIsSet("QVA_SETUP_QUIT_WHEN_SHOWN")) {
    // Queued after the window's own deferred start-up step.
    QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
  }
  const int result = app.exec();
  app.SetPrompter(nullptr);
  return result;
}
