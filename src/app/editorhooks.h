#pragma once

#include "app/mainform.h"

class Prompter;

// Plugs the setup editors and the configuration viewer into the main
// window: setupEditor and viewConfig. A window that is not part of this
// version says so instead of doing nothing. prompter must outlive the
// window.
void InstallEditorHooks(MainFormHooks& hooks, Prompter& prompter);
