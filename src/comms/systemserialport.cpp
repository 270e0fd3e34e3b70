#include <algorithm>
#include <cerrno>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>

#include "comms/serialport.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// Platform codes for QSerialPort errors, which Qt reports without the code.
int AccessDeniedCode() {
#ifdef Q_OS_WIN
  return ERROR_ACCESS_DENIED;
#else
  return EBUSY;
#endif
}

int CodeOf(QSerialPort::SerialPortError error) {
#ifdef Q_OS_WIN
  switch (error) {
    case QSerialPort::DeviceNotFoundError:
      return ERROR_FILE_NOT_FOUND;
    case QSerialPort::PermissionError:
      return ERROR_ACCESS_DENIED;
    case QSerialPort::TimeoutError:
      return ERROR_TIMEOUT;
    case QSerialPort::ResourceError:
      return ERROR_DEVICE_NOT_CONNECTED;
    case QSerialPort::UnsupportedOperationError:
      return ERROR_NOT_SUPPORTED;
    default:
      return ERROR_GEN_FAILURE;
  }
#else
  switch (error) {
    case QSerialPort::DeviceNotFoundError:
      return ENOENT;
    case QSerialPort::PermissionError:
      return EACCES;
    case QSerialPort::TimeoutError:
      return ETIMEDOUT;
    case QSerialPort::ResourceError:
      return EIO;
    case QSerialPort::UnsupportedOperationError:
      return ENOTSUP;
    case QSerialPort::OpenError:
      return EBUSY;
    default:
      return errno != 0 ? errno : EIO;
  }
#endif
}

class SystemSerialPort : public SerialPort {
 public:
  ~SystemSerialPort() override { Close(); }

  PortOpenResult Open(const QString& deviceName) override {
    const QString device = DevicePath(deviceName);
    port_.setPortName(device);
    errno = 0;
    if (!port_.open(QIODevice::ReadWrite)) {
      const QSerialPort::SerialPortError error = port_.error();
      if (error == QSerialPort::PermissionError) return PermissionFailure(device);
      return SetupFailure(device, CodeOf(error));
    }
    if (!port_.setBaudRate(kBaudRate) || !port_.setDataBits(QSerialPort::Data8) ||
        !port_.setParity(QSerialPort::NoParity) || !port_.setStopBits(QSerialPort::OneStop) ||
        !port_.setFlowControl(QSerialPort::NoFlowControl)) {
      const int code = CodeOf(port_.error());
      port_.close();
      return {PortOpenFailure::SetSettings, code};
    }
    // Ptys and some adapters have no modem lines; on them there is nothing
    // to hold on, so only a real line that refuses is a failure.
    const bool dtr = port_.setDataTerminalReady(true);
    const bool rts = port_.setRequestToSend(true);
    if ((!dtr || !rts) && HasModemLines()) {
      const int code = CodeOf(port_.error());
      port_.close();
      return {PortOpenFailure::SetSettings, code};
    }
    port_.clearError();
    // Qt does not drop what the driver queued before the port was ours.
    Purge();
    ReadCounters(baseline_);
    return {};
  }

  PortWriteResult Write(const QByteArray& bytes, int deadlineMs) override {
    PortWriteResult result;
    QDeadlineTimer deadline(deadlineMs);
    if (port_.write(bytes) < 0) {
      result.failed = true;
      result.code = CodeOf(port_.error());
      return result;
    }
    while (port_.bytesToWrite() > 0 && !deadline.hasExpired()) {
      if (!port_.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
        const QSerialPort::SerialPortError error = port_.error();
        if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) {
          result.failed = true;
          result.code = CodeOf(error);
          port_.clearError();
          return result;
        }
        port_.clearError();
      }
    }
    result.written = bytes.size() - port_.bytesToWrite();
    return result;
  }

  PortReadResult Read(qint64 maxBytes) override {
    PortReadResult result;
    if (maxBytes <= 0) return result;
    if (port_.bytesAvailable() == 0 && !port_.waitForReadyRead(ReadSilence())) {
      const QSerialPort::SerialPortError error = port_.error();
      port_.clearError();
      if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) {
        result.failed = true;
        result.code = CodeOf(error);
      }
      return result;
    }
    result.bytes = port_.read(maxBytes);
    return result;
  }

  void Purge() override {
    port_.clear(QSerialPort::AllDirections);
    port_.clearError();
  }

  uint32_t TakeLineErrors() override {
    Counters now;
    if (!ReadCounters(now)) return 0;
    uint32_t flags = 0;
    if (now.bufferOverrun != baseline_.bufferOverrun) flags |= kLineErrorRxOver;
    if (now.overrun != baseline_.overrun) flags |= kLineErrorOverrun;
    if (now.parity != baseline_.parity) flags |= kLineErrorParity;
    if (now.frame != baseline_.frame) flags |= kLineErrorFrame;
    if (now.brk != baseline_.brk) flags |= kLineErrorBreak;
    baseline_ = now;
    return flags;
  }

  void Close() override {
    if (port_.isOpen()) port_.close();
  }

 private:
  struct Counters {
    int frame = 0, overrun = 0, parity = 0, brk = 0, bufferOverrun = 0;
  };

  // The kernel counts line errors per port; drivers without counters
  // (ptys answer ENOTTY) have none to report.
  bool ReadCounters(Counters& counters) {
#ifdef Q_OS_LINUX
    if (!port_.isOpen()) return false;
    serial_icounter_struct icount{};
    if (::ioctl(static_cast<int>(port_.handle()), TIOCGICOUNT, &icount) != 0) return false;
    counters.frame = icount.frame;
    counters.overrun = icount.overrun;
    counters.parity = icount.parity;
    counters.brk = icount.brk;
    counters.bufferOverrun = icount.buf_overrun;
    return true;
#else
    (void)counters;
    return false;
#endif
  }

  bool HasModemLines() {
#ifdef Q_OS_UNIX
    int lines = 0;
    return ::ioctl(static_cast<int>(port_.handle()), TIOCMGET, &lines) == 0;
#else
    return true;
#endif
  }

  // Qt takes a name without a folder for one in /dev; a device here is a
  // path, a relative one from the working directory.
  static QString DevicePath(const QString& deviceName) {
#ifdef Q_OS_UNIX
    if (!deviceName.isEmpty()) return QFileInfo(deviceName).absoluteFilePath();
#endif
    return deviceName;
  }

  // Qt reports a port held by another program (its lock file or the
  // kernel's exclusive flag) and a device the user may not open alike;
  // only the first is "in use".
  PortOpenResult PermissionFailure(const QString& device) {
#ifdef Q_OS_UNIX
    if (QFileInfo::exists(device) && ::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 &&
        errno == EACCES)
      return {PortOpenFailure::Open, EACCES};
#else
    (void)device;
#endif
    return {PortOpenFailure::AccessDenied, AccessDeniedCode()};
  }

  // Qt opens the device and reads and writes its line settings in one call
  // and keeps the system's code to itself. The device is opened once more
  // to learn which step failed and why: a device that opens but is no
  // serial line (a plain file, /dev/null) fails at reading the settings.
  static PortOpenResult SetupFailure(const QString& device, int qtCode) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      const int code = errno;
      return {code == EBUSY ? PortOpenFailure::AccessDenied : PortOpenFailure::Open, code};
    }
    PortOpenResult result{PortOpenFailure::Open, qtCode};
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
      result = {PortOpenFailure::GetSettings, errno};
    else if (::tcsetattr(fd, TCSANOW, &settings) != 0)
      result = {PortOpenFailure::SetSettings, errno};
    ::close(fd);
    return result;
#else
    (void)device;
    return {PortOpenFailure::Open, qtCode};
#endif
  }

  QSerialPort port_;
  Counters baseline_;
};

}  // namespace

std::unique_ptr<SerialPort> MakeSystemSerialPort() {
  return std::make_unique<SystemSerialPort>();
}
