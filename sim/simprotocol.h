#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

// The device's side of the packet link: framing of the requests that arrive
// on the line and building of the answers. Written from the device's point
// of view and independent of the host's link code, so each checks the other.

namespace qvasim {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kStart1 = 0x80;
constexpr uint8_t kStart2 = 0x81;
constexpr uint8_t kStart3 = 0x82;
constexpr std::size_t kHeaderSize = 11;
constexpr std::size_t kHeaderCrcOffset = 9;
constexpr std::size_t kDataCrcSize = 2;
// The largest data block the device's receive buffer holds.
constexpr std::size_t kMaxDataLength = 128;
constexpr uint8_t kDataFlag = 0x80;
constexpr uint8_t kTypeMask = 0x7F;

enum MessageType : uint8_t {
  kTypeExamine = 0,
  kTypeSet = 1,
  kTypeAck = 2,
  kTypeNak = 3,
};

// Error codes carried in byte 5 of a NAK.
enum NakCode : uint8_t {
  kNakNoError = 0,
  kNakBadPacket = 1,
  kNakReceiverOverrun = 2,
  kNakBadCommand = 3,
  kNakBadBase = 4,
  kNakBadLength = 5,
  kNakSetMemoryFail = 6,
  kNakExamineMemoryFail = 7,
};

// One request as it came off the line. Fields are as received, even when a
// CRC says they cannot be trusted.
struct Request {
  uint8_t typeByte = 0;  // type with the data flag
  uint8_t sequence = 0;
  uint8_t base = 0;
  uint16_t address = 0;
  uint8_t length = 0;
  bool headerCrcOk = true;
  bool dataCrcOk = true;
  Bytes data;                // the data block without its CRC (empty without the flag)
  std::size_t wireSize = 0;  // bytes the request took on the line
  Bytes raw;                 // those bytes, for the log and the summary

  uint8_t Type() const { return typeByte & kTypeMask; }
  bool HasData() const { return (typeByte & kDataFlag) != 0; }
};

// A header as it goes on the line, with its CRC. typeByte is written as
// given, data flag included, so a test can send a flag that lies.
Bytes BuildHeader(uint8_t typeByte, uint8_t sequence, uint8_t baseOrError, uint16_t address, uint8_t length);

// A data block as it follows a header: the bytes, then their CRC.
Bytes BuildDataBlock(const Bytes& data);

// A packet: header, and when data is given the data block and its CRC.
// The data flag is set in the type byte exactly when data is non-empty.
// length is written as given (an examine request carries the count wanted).
Bytes BuildPacket(uint8_t type, uint8_t sequence, uint8_t baseOrError, uint16_t address, uint8_t length,
                  const Bytes& data = {});

// An acknowledge answering a request; data (possibly none) follows it.
Bytes BuildAck(const Request& request, const Bytes& data);

// A NAK answering a request with the error code in byte 5.
Bytes BuildNak(const Request& request, uint8_t code);

// The CRC of a data block: Crc16 of the data bytes with initial value 0
// (the same value as continuing the header's register over its own CRC).
uint16_t DataCrc(const uint8_t* data, std::size_t count);

// Cuts the byte stream from the host into requests. Bytes before a start
// sequence are line noise and are dropped. A header whose CRC is wrong is
// still returned (so the device can NAK it) but its length is not trusted:
// no data block is read after it. A partial request is dropped when the
// line has been quiet for gapMs, so a host that gave up half-way and tries
// again is understood.
class RequestFramer {
 public:
  explicit RequestFramer(int64_t gapMs = kDefaultGapMs) : gapMs_(gapMs) {}

  static constexpr int64_t kDefaultGapMs = 150;

  // Adds bytes received at nowMs and frames any requests they complete.
  void Feed(const uint8_t* bytes, std::size_t count, int64_t nowMs);
  // Drops a partial request when the line has been quiet for gapMs.
  void Expire(int64_t nowMs);
  // The next complete request, oldest first.
  std::optional<Request> Next();

  bool HasPartial() const { return !buffer_.empty(); }
  // When a partial request would expire (only meaningful with HasPartial).
  int64_t ExpiryTime() const { return lastByteMs_ + gapMs_; }
  // Bytes dropped as noise or as expired partial requests.
  uint64_t DiscardedBytes() const { return discarded_; }

 private:
  void Frame();

  int64_t gapMs_;
  int64_t lastByteMs_ = 0;
  Bytes buffer_;
  std::deque<Request> ready_;
  uint64_t discarded_ = 0;
};

}  // namespace qvasim
