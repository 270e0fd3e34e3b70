#pragma once

#include <functional>
#include <memory>

class Prompter;
class QWidget;

// What a host of the desktop program may change. The shipped program uses
// the defaults; test and demo hosts swap the prompter (to answer message
// boxes headless) and watch the program from outside.
struct DesktopProgramHost {
  // Makes the prompter every window asks through; the Qt message boxes and
  // file dialogs when empty. Called once the application object exists.
  std::function<std::unique_ptr<Prompter>()> makePrompter;
  // Called after a later copy asked this one forward and it came to the
  // front: the window now in front, and whether the main window is still
  // minimized.
  std::function<void(QWidget* front, bool minimized)> raised;
  // Ends the program as soon as the main window is on screen and its
  // start-up step has run (the start-up benchmark times this).
  bool quitWhenShown = false;
};

// The desktop program from start to end: the single-instance guard, the
// main window with every dialog plugged in, and the event loop. Returns the
// process exit code.
int RunDesktopProgram(int argc, char** argv, const DesktopProgramHost& host = {});
