#pragma once

#include <functional>

#include "platform/prompter.h"

// The one top-level handler of every command: a failure that escapes the
// command is shown in the standard error box with its message unchanged; a
// silent abort (EAbort) ends the command without a word. Returns true when
// the command ran to its end.
bool RunCommand(Prompter& prompter, const std::function<void()>& command);
