#include "support/filesizelimit.h"

#include <cerrno>
#include <csignal>

#include <QByteArray>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/qvaerrors.h"

namespace {

// The child's report on the pipe: one status byte, then the message.
constexpr char kReturned = 'R';
constexpr char kRaised = 'E';

void WriteFully(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n <= 0) return;
    done += n;
  }
}

}  // namespace

void LimitFileSizeOfThisProcess(qint64 maxBytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{static_cast<rlim_t>(maxBytes), static_cast<rlim_t>(maxBytes)};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

LimitedRun RunUnderFileSizeLimit(qint64 maxBytes, const std::function<void()>& work) {
  LimitedRun run;
  int fds[2];
  if (::pipe(fds) != 0) {
    ADD_FAILURE() << "pipe failed";
    return run;
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    ADD_FAILURE() << "fork failed";
    ::close(fds[0]);
    ::close(fds[1]);
    return run;
  }
  if (pid == 0) {
    ::close(fds[0]);
    LimitFileSizeOfThisProcess(maxBytes);
    QByteArray report(1, kReturned);
    try {
      work();
    } catch (const Exception& error) {
      report = QByteArray(1, kRaised) + error.Message().toUtf8();
    }
    WriteFully(fds[1], report);
    // No exit handlers: the test framework's belong to the parent.
    ::_exit(0);
  }
  ::close(fds[1]);
  QByteArray report;
  char buffer[256];
  for (;;) {
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    report.append(buffer, n);
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.completed = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !report.isEmpty();
  if (run.completed && report.at(0) == kRaised) {
    run.raised = true;
    run.message = QString::fromUtf8(report.mid(1));
  }
  return run;
}
