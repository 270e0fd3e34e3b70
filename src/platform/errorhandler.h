#pragma once

#include <functional>
#include <utility>

#include "platform/prompter.h"

// The one top-level handler of every command: a failure that escapes the
// command is shown in the standard error box with its message unchanged; a
// silent abort (EAbort) ends the command without a word. Returns true when
// the command ran to its end.
bool RunCommand(Prompter& prompter, const std::function<void()>& command);

// The one guard of every slot that can raise: a callable for
// QObject::connect that runs slot through RunCommand, so that a failure is
// shown in the error box and never unwinds through Qt's event dispatch,
// which cannot carry exceptions. The prompter must outlive the connection.
template <typename Slot>
auto Guarded(Prompter& prompter, Slot slot) {
  return [&prompter, slot = std::move(slot)] { RunCommand(prompter, slot); };
}
