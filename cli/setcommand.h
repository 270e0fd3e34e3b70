#pragma once

struct CommandLine;
class CliOutput;

// qva-cli set: changes named fields of a setup file and saves it over
// itself with a numbered read-only backup, as the desktop program saves.
// Every assignment is checked before anything is written; a refused one,
// or a file that cannot be read or written, leaves the file as it was.
// Returns the exit code.
int SetCommand(const CommandLine& line, CliOutput& output);
