#pragma once

#include <QString>

// The help of the program (empty command) or of one command. Every help
// ends with the exit codes, which are the same for every command.
QString HelpText(const QString& command);

// The one-line pointer printed after a usage error.
QString HelpHint(const QString& command);

// "qva-cli" and the program's version.
QString VersionText();
