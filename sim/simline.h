#pragma once

#include <QString>

// The simulator's end of the serial line: the master side of a new
// pseudo-terminal, or a real serial device, in raw mode at 9600 8N1.

namespace qvasim {

class SimLine {
 public:
  SimLine() = default;
  ~SimLine();
  SimLine(const SimLine&) = delete;
  SimLine& operator=(const SimLine&) = delete;

  // Creates a pseudo-terminal. The slave is kept open here as well, so the
  // master never reads end-of-file while the program under test closes and
  // reopens the port between operations. Returns an error text, empty on
  // success.
  QString OpenPty();
  // Opens a real serial device. Returns an error text, empty on success.
  QString OpenDevice(const QString& path);

  // Makes a symlink at linkPath to the line's path. Only a symlink already
  // there is replaced. Returns an error text, empty on success.
  QString MakeLink(const QString& linkPath);
  void RemoveLink();

  int Fd() const { return fd_; }
  // The path the program under test opens.
  const QString& Path() const { return path_; }
  bool IsPty() const { return slaveFd_ >= 0; }

 private:
  int fd_ = -1;
  int slaveFd_ = -1;
  QString path_;
  QString linkPath_;
};

}  // namespace qvasim
