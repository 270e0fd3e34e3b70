#pragma once

#include <functional>

#include <QString>

// A file-size limit stands in for a full disk: with RLIMIT_FSIZE set and
// SIGXFSZ ignored, a write that would grow a file past the limit comes up
// short (the bytes below the limit land, the rest fail with EFBIG), as a
// write to a full disk does.

// What became of work run under the limit in a child process.
struct LimitedRun {
  bool completed = false;  // the work ran to its end or raised an Exception
  bool raised = false;     // it raised an Exception
  QString message;         // the Exception's message
};

// Runs `work` in a forked child with no file allowed to grow beyond
// maxBytes and SIGXFSZ ignored; the parent waits for it. Nothing the work
// changes in memory reaches the parent: only the files it leaves. Anything
// the child must not write itself (settings, folders) is best made before.
LimitedRun RunUnderFileSizeLimit(qint64 maxBytes, const std::function<void()>& work);

// Sets the same limit in the calling process: for a QProcess child
// modifier, so that a program started by a test runs under it.
void LimitFileSizeOfThisProcess(qint64 maxBytes);
