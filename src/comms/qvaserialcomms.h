#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QByteArray>
#include <QString>

#include "comms/serialport.h"
#include "platform/qvaerrors.h"

class Sleeper;

// Kinds of link failure carried by ESerialCommunications.
enum CommsErrorKind : uint8_t {
  kCommsPlatformError = 0,  // code: the platform's error code
  kCommsReadTimeout = 1,    // code 0: header, 1: data block
  kCommsWriteTimeout = 2,
  kCommsLineError = 3,  // code: the line-error flags
  kCommsCrcError = 4,   // code 0: header CRC, 1: data CRC
  kCommsStartSequence = 5,
  kCommsSequenceNumber = 6,
  kCommsMessageType = 7,
  kCommsDataMissing = 8,
  kCommsDataLength = 9,
  kCommsNak = 10,  // code: the device's NAK error code
};

// A failure of the serial link; the message is the complete user text.
class ESerialCommunications : public Exception {
 public:
  ESerialCommunications(QString message, uint8_t kind, int32_t code)
      : Exception(std::move(message)), kind_(kind), code_(code) {}
  uint8_t ErrorKind() const { return kind_; }
  int32_t Code() const { return code_; }

 private:
  uint8_t kind_;
  int32_t code_;
};

// The first paragraph of every packet-level failure message.
QString CommsErrorIntro();
// The device's text for a NAK error code ("Unknown error type -56" for 200).
QString NakErrorText(uint8_t code);

// Called after each chunk with the number of bytes moved before it;
// returning false stops the transfer.
using ProgressCallback = std::function<bool(int offset)>;

// Packet layout.
constexpr uint8_t kPacketStart1 = 0x80;
constexpr uint8_t kPacketStart2 = 0x81;
constexpr uint8_t kPacketStart3 = 0x82;
constexpr int kPacketHeaderSize = 11;
constexpr int kPacketCrcSize = 2;
constexpr uint8_t kPacketDataFlag = 0x80;
constexpr uint8_t kPacketTypeMask = 0x7F;
constexpr uint8_t kMsgExamineMemory = 0;
constexpr uint8_t kMsgSetMemory = 1;
constexpr uint8_t kMsgAcknowledge = 2;
constexpr uint8_t kMsgNak = 3;
constexpr int kMaxSetChunk = 128;
constexpr int kMaxExamineChunk = 128;
constexpr int kAttemptsPerExchange = 4;
constexpr int kRetryWaitMs = 200;

// The request packets, as sent on the line.
QByteArray BuildExamineRequest(uint8_t sequence, uint8_t base, uint16_t address, uint8_t length);
QByteArray BuildSetRequest(uint8_t sequence, uint8_t base, uint16_t address, const uint8_t* data,
                           uint8_t length);

// The program-wide request sequence counter: the last number sent (0 before
// the first request, so the first request carries 1).
uint8_t LastSequenceNumber();
void SetLastSequenceNumber(uint8_t value);

// How patient a link is. The procedures use the defaults; the search for a
// meter asks once, briefly, and never waits to retry.
struct LinkTiming {
  int attempts = kAttemptsPerExchange;
  int answerTimeoutMs = SerialPort::kReadSilenceMs;  // silence before a read gives up
  int retryWaitMs = kRetryWaitMs;                    // settling time after a failed attempt
};

// The serial link to the meter for one operation: the constructor opens the
// port, the destructor closes it. Every failure raises
// ESerialCommunications with the text the user reads; a failed operation
// leaves the port open and purged.
class QVASerialComms {
 public:
  // portName is the user's choice ("COM1".."COM8", mapped to a device) or a
  // device path used as it is; messages name portName and its device.
  explicit QVASerialComms(const QString& portName);
  // For tests and tools: an own port implementation and sleeper.
  QVASerialComms(const QString& portName, std::unique_ptr<SerialPort> port, Sleeper& sleeper);
  QVASerialComms(const QString& portName, std::unique_ptr<SerialPort> port, Sleeper& sleeper,
                 const LinkTiming& timing);
  ~QVASerialComms();
  QVASerialComms(const QVASerialComms&) = delete;
  QVASerialComms& operator=(const QVASerialComms&) = delete;

  const QString& PortName() const { return portName_; }
  // The port as messages name it: the port name, followed by its device in
  // parentheses when the two differ ("COM1 (/dev/ttyUSB0)").
  QString PortLabel() const;
  Sleeper& WaitSleeper() const { return sleeper_; }

  // Writes count bytes to base:address onwards, in chunks of 128.
  void SetMemory(const uint8_t* data, uint16_t count, uint8_t base, uint16_t address,
                 const ProgressCallback& progress = {});
  // Reads count bytes from base:address onwards into destination.
  void ExamineMemory(uint8_t* destination, uint16_t count, uint8_t base, uint16_t address,
                     const ProgressCallback& progress = {});

 private:
  void OpenPort();
  void Exchange(const QByteArray& request, uint8_t sequence, int expectedData, uint8_t* destination);
  void Attempt(const QByteArray& request, uint8_t sequence, int expectedData, uint8_t* destination);
  void WriteRequest(const QByteArray& request);
  bool ReadBytes(int count, QByteArray& bytes, int& errorCode);
  [[noreturn]] void Fail(const QString& piece, uint8_t kind, int32_t code) const;

  QString portName_;
  QString device_;
  std::unique_ptr<SerialPort> port_;
  Sleeper& sleeper_;
  LinkTiming timing_;
};
