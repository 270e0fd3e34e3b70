#pragma once

struct CommandLine;
class CliOutput;

// qva-cli get and send: the desktop program's Get and Send procedures,
// driven from the command line, and diff --port, the review of a send
// without the send. Each returns the exit code.
int GetCommand(const CommandLine& line, CliOutput& output);
int SendCommand(const CommandLine& line, CliOutput& output);
int DiffWithMeterCommand(const CommandLine& line, CliOutput& output);
