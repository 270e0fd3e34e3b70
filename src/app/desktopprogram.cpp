#include "app/desktopprogram.h"

#include <QApplication>
#include <QIcon>

#include "app/commshooks.h"
#include "app/editorhooks.h"
#include "app/mainform.h"
#include "app/qvaconfigfilelocationform.h"
#include "app/singleinstanceguard.h"
#include "config/newconfigform.h"
#include "platform/errorhandler.h"
#include "platform/qtprompter.h"

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

int RunDesktopProgram(int argc, char** argv, const DesktopProgramHost& host) {
  TQvaApplication app(argc, argv);
  // The desktop entry that launches the program, so that a desktop shows
  // its name and icon for the window.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.ulmora.qvasetup"));
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/qva-setup-%1.png").arg(size), QSize(size, size));
  QApplication::setWindowIcon(icon);
  std::unique_ptr<Prompter> owned = host.makePrompter ? host.makePrompter() : std::make_unique<QtPrompter>();
  Prompter& prompter = *owned;
  app.SetPrompter(&prompter);

  // Held for the life of the program: it is the lock later copies find.
  SingleInstanceGuard guard;
  bool onlyCopy = false;
  if (!RunCommand(prompter, [&] { onlyCopy = guard.CheckSingleInstance(prompter); })) return 1;
  // A second copy has told the user and asked the first one forward; it
  // ends without ever showing a window.
  if (!onlyCopy) return 0;

  TFormQVASetupMain form(prompter);
  guard.SetRaiseHandler([&form, &host] {
    form.BringToFront();
    if (!host.raised) return;
    QWidget* front = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : &form;
    host.raised(front, form.isMinimized());
  });
  // The template dialog behind New, the configuration folder dialog, the
  // Online commands with the port choice, and the setup windows.
  MainFormHooks& hooks = form.Hooks();
  hooks.newConfigDialog = [&prompter](QWidget* owner) { return TFormNewConfig::Execute(prompter, owner); };
  hooks.fileLocationsDialog = [&prompter](QWidget* owner) { TFormQVAConfigFileLocation::Execute(prompter, owner); };
  InstallCommsHooks(hooks, prompter);
  InstallEditorHooks(hooks, prompter);
  form.show();
  if (host.quitWhenShown) {
    // Queued after the window's own deferred start-up step.
    QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
  }
  const int result = app.exec();
  app.SetPrompter(nullptr);
  return result;
}
