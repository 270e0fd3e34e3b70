#include "platform/errorhandler.h"

#include <exception>
#include <new>

#include "platform/qvaerrors.h"

bool RunCommand(Prompter& prompter, const std::function<void()>& command) {
  try {
    command();
    return true;
  } catch (const EAbort&) {
    return false;
  } catch (const Exception& e) {
    prompter.ShowError(e.Message());
  } catch (const std::bad_alloc&) {
    prompter.ShowError(QStringLiteral("Out of memory."));
  } catch (const std::exception& e) {
    // Not one of ours: still a message rather than the end of the program
    // and of the user's unsaved configuration.
    prompter.ShowError(QString::fromLocal8Bit(e.what()));
  }
  return false;
}
