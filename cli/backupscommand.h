#pragma once

#include "clioptions.h"
#include "config/qvaconfig.h"

class CliOutput;

// qva-cli backups: the backup folders' setup files, newest first. Returns
// the exit code.
int BackupsCommand(const CommandLine& line, CliOutput& output);

// qva-cli diff --units: the comparison the desktop program shows, both
// records upgraded first. Exit code 0 when equal (printing that they are),
// 1 when they differ.
int DiffInUnits(QVA_CONFIG_DATA a, QVA_CONFIG_DATA b, CliOutput& output);
