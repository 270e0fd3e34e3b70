#pragma once

#include <cstdio>

#include <QByteArray>
#include <QString>
#include <QStringList>

// Where a command's report and its messages go: the report on stdout, every
// message and status text on stderr, so a script can keep them apart.
class CliOutput {
 public:
  CliOutput(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}
  // Raises EFileWrite when stdout does not take every byte (a full disk
  // behind a redirection), so a cut-short report never ends in success.
  void Report(const QByteArray& bytes);
  // One message, with a line break added when it has none.
  void Error(const QString& message);
  // A question on stderr, left open for the answer on the same line.
  void Prompt(const QString& question);
  // A status line on stderr that the next one replaces, shown only when
  // stderr is a terminal (a log of stderr gets no carriage returns).
  void Status(const QString& text);
  // Ends a status line, so that what follows starts on a line of its own.
  void EndStatus();

 private:
  std::FILE* out_;
  std::FILE* err_;
  bool statusShown_ = false;
};

// Refuses, before the meter is asked for anything, an output file that
// would be refused after the transfer: a folder; an existing file without
// --force, and with it anything that is not a writable regular file (a
// device or pipe passes when the output is written in place, FileOrDevice);
// a folder that is not there. Raises Exception or ESystemError (after
// "path:").
enum class OutputTarget { File, FileOrDevice };
void CheckOutputFile(const QString& path, bool force, OutputTarget target = OutputTarget::File);

// Runs one qva-cli command line (the arguments after the program name) and
// returns the exit code (see exitcodes.h).
int RunCli(const QStringList& arguments, CliOutput& output);
