#include "simline.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>

namespace qvasim {

namespace {

QString ErrnoText(const char* what) {
  const int code = errno;
  return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(code)));
}

// 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control, no
// character processing in either direction.
bool MakeRaw(int fd) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return false;
  cfmakeraw(&settings);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE | CRTSCTS);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  cfsetispeed(&settings, B9600);
  cfsetospeed(&settings, B9600);
  return tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool SetNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

SimLine::~SimLine() {
  RemoveLink();
  if (slaveFd_ >= 0) ::close(slaveFd_);
  if (fd_ >= 0) ::close(fd_);
}

QString SimLine::OpenPty() {
  fd_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (fd_ < 0) return ErrnoText("cannot create a pseudo-terminal");
  if (grantpt(fd_) != 0 || unlockpt(fd_) != 0) return ErrnoText("cannot unlock the pseudo-terminal");
  const char* name = ptsname(fd_);
  if (!name) return ErrnoText("cannot name the pseudo-terminal");
  path_ = QString::fromLocal8Bit(name);
  slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slaveFd_ < 0) return ErrnoText("cannot open the pseudo-terminal's slave");
  // Raw on both sides: no echo of the host's requests, no line editing, no
  // newline translation in the answers.
  if (!MakeRaw(slaveFd_) || !MakeRaw(fd_)) return ErrnoText("cannot set the pseudo-terminal to raw mode");
  if (!SetNonBlocking(fd_)) return ErrnoText("cannot make the pseudo-terminal non-blocking");
  fcntl(fd_, F_SETFD, FD_CLOEXEC);
  return QString();
}

QString SimLine::OpenDevice(const QString& path) {
  path_ = path;
  const QByteArray native = QFile::encodeName(path);
  fd_ = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return ErrnoText("cannot open the serial device");
  if (!isatty(fd_)) return QStringLiteral("%1 is not a serial device").arg(path);
  // Keep other programs off the line while the simulator serves it.
  ioctl(fd_, TIOCEXCL);
  if (!MakeRaw(fd_)) return ErrnoText("cannot set the serial device to 9600 8N1 raw");
  tcflush(fd_, TCIOFLUSH);
  return QString();
}

QString SimLine::MakeLink(const QString& linkPath) {
  const QByteArray link = QFile::encodeName(linkPath);
  struct stat info {};
  if (lstat(link.constData(), &info) == 0) {
    if (!S_ISLNK(info.st_mode)) return QStringLiteral("%1 exists and is not a symlink").arg(linkPath);
    if (::unlink(link.constData()) != 0) return ErrnoText("cannot replace the symlink");
  }
  if (::symlink(QFile::encodeName(path_).constData(), link.constData()) != 0) {
    return ErrnoText("cannot make the symlink");
  }
  linkPath_ = linkPath;
  return QString();
}

void SimLine::RemoveLink() {
  if (linkPath_.isEmpty()) return;
  const QByteArray link = QFile::encodeName(linkPath_);
  struct stat info {};
  // Remove only the link this run made, not whatever replaced it since.
  if (lstat(link.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
    char target[4096];
    const ssize_t n = readlink(link.constData(), target, sizeof(target) - 1);
    if (n > 0 && QFile::decodeName(QByteArray(target, static_cast<qsizetype>(n))) == path_) {
      ::unlink(link.constData());
    }
  }
  linkPath_.clear();
}

}  // namespace qvasim
