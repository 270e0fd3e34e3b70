#include "comms/qvaserialcomms.h"

#include <algorithm>

#include <QSysInfo>

#include "comms/portdevices.h"
#include "platform/sleeper.h"
#include "config/crc16.h"

namespace {

// One counter for the whole run, shared by every link, so that a response
// left over from an earlier link never matches a new request.
uint8_t g_lastSequence = 0;

uint8_t NextSequenceNumber() {
  return ++g_lastSequence;
}

QByteArray BuildHeader(uint8_t type, uint8_t sequence, uint8_t base, uint16_t address, uint8_t length) {
  QByteArray header(kPacketHeaderSize, '\0');
  auto* bytes = reinterpret_cast<uint8_t*>(header.data());
  bytes[0] = kPacketStart1;
  bytes[1] = kPacketStart2;
  bytes[2] = kPacketStart3;
  bytes[3] = type;
  bytes[4] = sequence;
  bytes[5] = base;
  bytes[6] = static_cast<uint8_t>(address >> 8);
  bytes[7] = static_cast<uint8_t>(address & 0xFF);
  bytes[8] = length;
  const uint16_t crc = Crc16(bytes, 9, 0);
  bytes[9] = static_cast<uint8_t>(crc >> 8);
  bytes[10] = static_cast<uint8_t>(crc & 0xFF);
  return header;
}

const uint8_t* Bytes(const QByteArray& array) {
  return reinterpret_cast<const uint8_t*>(array.constData());
}

// The operating system whose error texts the messages quote.
QString OperatingSystemName() {
#if defined(Q_OS_WIN)
  return QStringLiteral("Windows");
#elif defined(Q_OS_LINUX)
  return QStringLiteral("Linux");
#elif defined(Q_OS_MACOS)
  return QStringLiteral("macOS");
#else
  return QSysInfo::kernelType();
#endif
}

// The message of a port that could not be opened or set up.
QString PortOpenFailureMessage(PortOpenFailure failure, const QString& port, const QString& systemText) {
  // %1 the port, %2 the operating system, %3 its text for the error code.
  struct Text {
    PortOpenFailure failure;
    const char* text;
  };
  // clang-format off
  static constexpr Text kTexts[] = {
      {PortOpenFailure::AccessDenied, "The communication port %1 is in use by another program.\nYou should close the other program and try the operation again.\n"},
      {PortOpenFailure::Open, "An error occurred while opening communication port %1.\n%2 reported the following error : %3.\nYou should close all other programs and try the operation again.\n"},
      {PortOpenFailure::GetSettings, "There was an internal error while retrieving parameters for communication port %1.\n\nYou should contact your Ulmora dealer for advice.\n%2 reported the following error : %3 when attempting to get the communication port state.\n"},
      {PortOpenFailure::SetSettings, "There was an internal error while setting parameters for port %1.\n\nYou should contact your Ulmora dealer for advice.\n%2 reported the following error : %3 when attempting to set the communication port state.\n"},
      {PortOpenFailure::QueueSizes, "There was an internal error while setting parameters for communication port %1.\n\nYou should contact your Ulmora dealer for advice.\n%2 reported the following error : %3 when attempting to set the queue sizes.\n"},
      {PortOpenFailure::Timeouts, "There was an internal error while setting parameters for communication port %1.\n\nYou should contact your Ulmora dealer for advice.\n%2 reported the following error : %3 when attempting to set the communication timeouts.\n"},
  };
  // clang-format on
  for (const Text& entry : kTexts) {
    if (entry.failure != failure) continue;
    // A port held by another program quotes no system text.
    const QString text = QString::fromLatin1(entry.text);
    return text.contains(QLatin1String("%3")) ? text.arg(port, OperatingSystemName(), systemText) : text.arg(port);
  }
  return {};
}

}  // namespace

QString CommsErrorIntro() {
  return QStringLiteral(
      "There was an error communicating with the device.\n"
      "You should check that the device is properly connected and powered on.\n"
      "\n"
      "If the problem persists, you should contact your Ulmora dealer for advice.\n");
}

QString NakErrorText(uint8_t code) {
  switch (code) {
    case 0:
      return QStringLiteral("No Error");
    case 1:
      return QStringLiteral("Bad Packet");
    case 2:
      return QStringLiteral("QVA receiver overrun");
    case 3:
      return QStringLiteral("Bad Command");
    case 4:
      return QStringLiteral("Bad Base");
    case 5:
      return QStringLiteral("Bad Length");
    case 6:
      return QStringLiteral("Set Memory Fail");
    case 7:
      return QStringLiteral("Examine Memory Fail");
    default:
      return QStringLiteral("Unknown error type %1").arg(static_cast<int8_t>(code));
  }
}

QByteArray BuildExamineRequest(uint8_t sequence, uint8_t base, uint16_t address, uint8_t length) {
  return BuildHeader(kMsgExamineMemory, sequence, base, address, length);
}

QByteArray BuildSetRequest(uint8_t sequence, uint8_t base, uint16_t address, const uint8_t* data,
                           uint8_t length) {
  const uint8_t type = length > 0 ? (kMsgSetMemory | kPacketDataFlag) : kMsgSetMemory;
  QByteArray packet = BuildHeader(type, sequence, base, address, length);
  if (length > 0) {
    // Started from the header CRC and run over its own two bytes the
    // register is back at zero: the data CRC is that of the data alone.
    const uint16_t crc = Crc16(data, length, 0);
    packet.append(reinterpret_cast<const char*>(data), length);
    packet.append(static_cast<char>(crc >> 8));
    packet.append(static_cast<char>(crc & 0xFF));
  }
  return packet;
}

uint8_t LastSequenceNumber() {
  return g_lastSequence;
}
void SetLastSequenceNumber(uint8_t value) {
  g_lastSequence = value;
}

QVASerialComms::QVASerialComms(const QString& portName)
    : QVASerialComms(portName, MakeSystemSerialPort(), DefaultSleeper()) {}

QVASerialComms::QVASerialComms(const QString& portName, std::unique_ptr<SerialPort> port, Sleeper& sleeper)
    : portName_(portName), port_(std::move(port)), sleeper_(sleeper) {
  OpenPort();
}

QVASerialComms::~QVASerialComms() {
  if (port_) port_->Close();
}

void QVASerialComms::OpenPort() {
  device_ = PortDeviceName(portName_);
  const PortOpenResult result = port_->Open(device_);
  if (result.failure == PortOpenFailure::None) return;
  throw ESerialCommunications(PortOpenFailureMessage(result.failure, PortLabel(), SystemErrorText(result.code)),
                              kCommsPlatformError, result.code);
}

QString QVASerialComms::PortLabel() const {
  if (device_.isEmpty() || device_ == portName_) return portName_;
  return portName_ + QStringLiteral(" (") + device_ + QLatin1Char(')');
}

void QVASerialComms::SetMemory(const uint8_t* data, uint16_t count, uint8_t base, uint16_t address,
                               const ProgressCallback& progress) {
  int offset = 0;
  while (offset < count) {
    const int chunk = std::min(count - offset, kMaxSetChunk);
    const uint8_t sequence = NextSequenceNumber();
    const QByteArray request = BuildSetRequest(sequence, base, static_cast<uint16_t>(address + offset),
                                               data + offset, static_cast<uint8_t>(chunk));
    Exchange(request, sequence, 0, nullptr);
    if (progress && !progress(offset)) throw EAbort(QStringLiteral("Send aborted"));
    offset += chunk;
  }
}

void QVASerialComms::ExamineMemory(uint8_t* destination, uint16_t count, uint8_t base, uint16_t address,
                                   const ProgressCallback& progress) {
  int offset = 0;
  while (offset < count) {
    const int chunk = std::min(count - offset, kMaxExamineChunk);
    const uint8_t sequence = NextSequenceNumber();
    const QByteArray request = BuildExamineRequest(sequence, base, static_cast<uint16_t>(address + offset),
                                                   static_cast<uint8_t>(chunk));
    Exchange(request, sequence, chunk, destination + offset);
    if (progress && !progress(offset)) throw EAbort(QStringLiteral("Read aborted"));
    offset += chunk;
  }
}

void QVASerialComms::Exchange(const QByteArray& request, uint8_t sequence, int expectedData,
                              uint8_t* destination) {
  for (int attempt = 1;; ++attempt) {
    try {
      Attempt(request, sequence, expectedData, destination);
      return;
    } catch (const Exception&) {
      // Let the device and the line settle, and drop whatever is left of
      // the failed exchange before the same request goes out again.
      sleeper_.Sleep(kRetryWaitMs);
      port_->Purge();
      port_->TakeLineErrors();
      if (attempt >= kAttemptsPerExchange) throw;
    }
  }
}

void QVASerialComms::Attempt(const QByteArray& request, uint8_t sequence, int expectedData,
                             uint8_t* destination) {
  WriteRequest(request);

  QByteArray header;
  int errorCode = 0;
  if (!ReadBytes(kPacketHeaderSize, header, errorCode))
    Fail(OperatingSystemName() + QStringLiteral(" reported the following error ") + SystemErrorText(errorCode) +
             QStringLiteral(" when attempting to read from ") + PortLabel(),
         kCommsPlatformError, errorCode);
  if (header.size() < kPacketHeaderSize)
    Fail(QStringLiteral("Error Type: Timed out waiting for start of message"), kCommsReadTimeout, 0);
  const uint8_t* h = Bytes(header);
  if (h[0] != kPacketStart1 || h[1] != kPacketStart2 || h[2] != kPacketStart3)
    Fail(QStringLiteral("Error Type: The start of message sequence is not valid"), kCommsStartSequence, 0);
  const uint16_t headerCrc = Crc16(h, 9, 0);
  if (h[9] != (headerCrc >> 8) || h[10] != (headerCrc & 0xFF))
    Fail(QStringLiteral("Error Type: The header CRC is not valid"), kCommsCrcError, 0);
  const uint8_t type = h[3] & kPacketTypeMask;
  if (type == kMsgNak)
    Fail(QStringLiteral("Error Type: NAK received, error = %1").arg(NakErrorText(h[5])), kCommsNak, h[5]);
  if (type != kMsgAcknowledge)
    Fail(QStringLiteral("Error Type: The message type was not valid"), kCommsMessageType, 0);
  if (h[4] != sequence)
    Fail(QStringLiteral("Error Type: The sequence number was not correct"), kCommsSequenceNumber, 0);
  // A set request is answered by a bare acknowledge; what it says about
  // data does not matter.
  if (expectedData == 0) return;
  if ((h[3] & kPacketDataFlag) == 0)
    Fail(QStringLiteral("Error Type: The data block was missing"), kCommsDataMissing, 0);
  if (h[8] != expectedData)
    Fail(QStringLiteral("Error Type: The data length does not match the expected message length"),
         kCommsDataLength, 0);

  QByteArray data;
  if (!ReadBytes(expectedData + kPacketCrcSize, data, errorCode))
    Fail(OperatingSystemName() + QStringLiteral(" reported the following error ") + SystemErrorText(errorCode) +
             QStringLiteral(" when attempting to read message data from ") + PortLabel(),
         kCommsPlatformError, errorCode);
  if (data.size() < expectedData + kPacketCrcSize)
    Fail(QStringLiteral("Error Type: Timed out waiting for the data block"), kCommsReadTimeout, 1);
  const uint8_t* d = Bytes(data);
  const uint16_t dataCrc = Crc16(d, expectedData, 0);
  if (d[expectedData] != (dataCrc >> 8) || d[expectedData + 1] != (dataCrc & 0xFF))
    Fail(QStringLiteral("Error Type: The data CRC is not valid"), kCommsCrcError, 1);
  std::copy(d, d + expectedData, destination);
}

void QVASerialComms::WriteRequest(const QByteArray& request) {
  const int deadline =
      SerialPort::kWriteDeadlineConstantMs + SerialPort::kWriteDeadlinePerByteMs * request.size();
  const PortWriteResult result = port_->Write(request, deadline);
  if (result.failed)
    Fail(OperatingSystemName() + QStringLiteral(" reported the following error : ") +
             SystemErrorText(result.code) + QStringLiteral(" when attempting to write to ") + PortLabel() +
             QStringLiteral(".\n"),
         kCommsPlatformError, result.code);
  if (result.written < request.size())
    Fail(QStringLiteral("Error Type: Timed out while attempting to write to ") + PortLabel(),
         kCommsWriteTimeout, 0);
}

// Collects count bytes; stops early on 2 s of silence or a failed read.
// Line errors seen during the read fail it whatever arrived.
bool QVASerialComms::ReadBytes(int count, QByteArray& bytes, int& errorCode) {
  bytes.clear();
  bool ok = true;
  while (bytes.size() < count) {
    const PortReadResult result = port_->Read(count - bytes.size());
    if (result.failed) {
      ok = false;
      errorCode = result.code;
      break;
    }
    if (result.bytes.isEmpty()) break;
    // Never trust a port to return no more than asked.
    bytes.append(result.bytes.left(count - bytes.size()));
  }
  const uint32_t lineErrors = port_->TakeLineErrors();
  if (lineErrors != 0)
    Fail(QStringLiteral("Error code: %1 while reading from device.")
             .arg(QString::number(lineErrors, 16).toUpper().rightJustified(8, QLatin1Char('0'))),
         kCommsLineError, static_cast<int32_t>(lineErrors));
  return ok;
}

void QVASerialComms::Fail(const QString& piece, uint8_t kind, int32_t code) const {
  throw ESerialCommunications(CommsErrorIntro() + piece, kind, code);
}
