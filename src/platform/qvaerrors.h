#pragma once

#include <exception>
#include <string>

#include <QString>

// The base of every failure the system raises. Its message is the complete
// text the user reads; the top-level handler shows it unchanged.
class Exception : public std::exception {
 public:
  explicit Exception(QString message);
  const QString& Message() const { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  QString message_;
  std::string utf8_;
};

// Ends a command without any message (a cancelled question).
class EAbort : public Exception {
 public:
  explicit EAbort(QString message = QStringLiteral("Operation aborted")) : Exception(std::move(message)) {}
};

// A text that does not convert to a value.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// An integer result outside its range.
class EIntOverflow : public Exception {
 public:
  using Exception::Exception;
};

// Setup and table files whose layout is wrong.
class EFileFormat : public Exception {
 public:
  EFileFormat() : Exception(QStringLiteral("File format not valid")) {}
};

// Setup and table files of a chunk version this program does not read.
class EFileVersion : public Exception {
 public:
  EFileVersion() : Exception(QStringLiteral("File version incompatible")) {}
};

// A file write that wrote fewer bytes than given.
class EFileWrite : public Exception {
 public:
  EFileWrite() : Exception(QStringLiteral("File write error")) {}
};

// A failed operating-system call. The message is the caller's text, a line
// break and SystemErrorText of the code, or SystemErrorText alone.
class ESystemError : public Exception {
 public:
  explicit ESystemError(int code, const QString& callerText = QString());
  int Code() const { return code_; }

 private:
  int code_;
};

// The description of an operating-system error code: errno values on POSIX,
// Win32 and Windows Sockets codes on Windows. Unknown codes read
// "Unknown system error " + the code.
QString SystemErrorText(int code);

// The calling thread's last operating-system error code (errno, or
// GetLastError on Windows).
int LastSystemError();
