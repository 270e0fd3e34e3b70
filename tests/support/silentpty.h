#pragma once

#include <QString>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

// A pseudo-terminal nobody answers on: a serial line with no device behind
// it, or a device that is no meter. Open while the object lives.
class SilentPty {
 public:
  SilentPty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    if (const char* name = ptsname(master_)) slave_ = QString::fromLocal8Bit(name);
  }
  ~SilentPty() {
    if (master_ >= 0) ::close(master_);
  }
  SilentPty(const SilentPty&) = delete;
  SilentPty& operator=(const SilentPty&) = delete;

  // The path a program opens; empty when no pseudo-terminal could be made.
  const QString& Slave() const { return slave_; }

 protected:
  // The test's side of the line, for tests that do talk on it.
  int Master() const { return master_; }

 private:
  int master_ = -1;
  QString slave_;
};
#endif
