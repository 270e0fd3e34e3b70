#pragma once

struct MainFormHooks;
class Prompter;

// Plugs the Online commands and the port choice into the main window:
// getConfiguration, sendConfiguration, liveData, communicationsPortDialog
// and portStartUp. Each transfer opens its own link on the window's port name
// for the length of the command. prompter must outlive the window.
void InstallCommsHooks(MainFormHooks& hooks, Prompter& prompter);
