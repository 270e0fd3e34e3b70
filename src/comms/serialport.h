#pragma once

#include <cstdint>
#include <memory>

#include <QByteArray>
#include <QString>

// The seam between the packet link and the platform's serial layer. The
// link builds every user message itself from what these calls report, so a
// port implementation only says what failed and with which platform code.

// Which step of opening a port failed.
enum class PortOpenFailure {
  None,
  AccessDenied,  // the port is held by another program
  Open,          // any other refusal to open (no such device, no permission...)
  GetSettings,
  SetSettings,
  QueueSizes,
  Timeouts,
};

struct PortOpenResult {
  PortOpenFailure failure = PortOpenFailure::None;
  int code = 0;  // the platform's error code
};

struct PortWriteResult {
  bool failed = false;  // the platform call failed (code says why)
  int code = 0;
  qint64 written = 0;  // fewer than given: the write deadline struck
};

struct PortReadResult {
  bool failed = false;
  int code = 0;
  QByteArray bytes;  // empty after 2000 ms of silence
};

// Line-error flags, as the device's serial driver reports them.
enum LineErrorFlag : uint32_t {
  kLineErrorRxOver = 0x0001,   // receive queue overflow
  kLineErrorOverrun = 0x0002,  // hardware overrun
  kLineErrorParity = 0x0004,
  kLineErrorFrame = 0x0008,
  kLineErrorBreak = 0x0010,
};

// The line the packet link runs on: 9600 baud, 8 data bits, no parity,
// 1 stop bit, no flow control, DTR and RTS held on.
class SerialPort {
 public:
  static constexpr int kBaudRate = 9600;
  static constexpr int kReadSilenceMs = 2000;
  static constexpr int kWriteDeadlineConstantMs = 500;
  // ceil(10000 / baud) * 2: two character times per byte, in ms.
  static constexpr int kWriteDeadlinePerByteMs = ((10000 + kBaudRate - 1) / kBaudRate) * 2;

  virtual ~SerialPort() = default;

  // Opens the platform device exclusively, configures the line and purges
  // anything already waiting.
  virtual PortOpenResult Open(const QString& deviceName) = 0;
  // Writes all bytes or gives up once the deadline has passed.
  virtual PortWriteResult Write(const QByteArray& bytes, int deadlineMs) = 0;
  // Returns the bytes waiting (at most maxBytes) at once; otherwise waits up
  // to ReadSilence() ms for the first byte and returns as soon as one arrives.
  virtual PortReadResult Read(qint64 maxBytes) = 0;
  // Drops everything queued in both directions.
  virtual void Purge() = 0;
  // The line-error flags raised since the last call, cleared by reading.
  virtual uint32_t TakeLineErrors() = 0;
  virtual void Close() = 0;

  // How long Read waits for a first byte: kReadSilenceMs unless a caller
  // (the search for a meter) wants a quicker verdict.
  void SetReadSilence(int milliseconds) { readSilenceMs_ = milliseconds; }
  int ReadSilence() const { return readSilenceMs_; }

 private:
  int readSilenceMs_ = kReadSilenceMs;
};

// The port on the platform's serial layer.
std::unique_ptr<SerialPort> MakeSystemSerialPort();
