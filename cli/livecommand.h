#pragma once

struct CommandLine;
class CliOutput;

// qva-cli live: reads the meter's status block and live data every 250 ms
// and prints one line per reading on stdout, or records them to a CSV file
// (--csv), for --seconds or until SIGINT/SIGTERM. An interrupt ends it
// normally (exit 0, the file closed); a link failure ends it with the
// link's message and exit 5, keeping what was recorded. Returns the exit
// code.
int LiveCommand(const CommandLine& line, CliOutput& output);
