#pragma once

#include <QStringList>

struct CommandLine;
class CliOutput;

// qva-cli sheet FILE -o SHEET.pdf [--note TEXT] [--force]: the printable
// setup sheet of a setup file, as File > Export Setup Sheet writes it. An
// older file is upgraded first, as opening it would. An existing SHEET.pdf
// is replaced only with --force; a failed write leaves none behind.
// Returns the exit code.
int SheetCommand(const CommandLine& line, CliOutput& output);

// Whether the command line asks for a command that paints (the sheet), so
// the program needs a QGuiApplication instead of a QCoreApplication.
bool CommandNeedsPainter(const QStringList& arguments);
