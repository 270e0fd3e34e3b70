#include "app/desktopprogram.h"

#include <QApplication>
#include <QIcon>

#include "app/mainform.h"
#include "app/programcommands.h"
#include "app/singleinstanceguard.h"
#include "platform/errorhandler.h"
#include "platform/qtprompter.h"

namespace {

// Every slot that can fail runs through Guarded, which shows the failure in
// the error box before it could reach Qt's event dispatch. This is only the
// net below that: a failure some future slot forgets to guard is still shown
// rather than ending the program with the user's unsaved configuration.
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

  ProgramCommands commands(prompter);
  TFormQVASetupMain form(prompter, commands);
  guard.SetRaiseHandler([&form, &host] {
    form.BringToFront();
    if (!host.raised) return;
    QWidget* front = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : &form;
    host.raised(front, form.isMinimized());
  });
  form.show();
  if (host.quitWhenShown) {
    // Queued after the window's own deferred start-up step.
    QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
  }
  const int result = app.exec();
  app.SetPrompter(nullptr);
  return result;
}
