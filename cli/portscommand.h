#pragma once

struct CommandLine;
class CliOutput;

// qva-cli ports: lists the machine's serial ports with their details on
// stdout. With --probe it asks each of them (or only the paths given) for
// a meter and prints one line per port with what it found; why a port will
// not work goes to stderr. Returns 0 when a meter answered, else 1.
int PortsCommand(const CommandLine& line, CliOutput& output);
