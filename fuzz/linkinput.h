#pragma once

// The input of the packet link fuzzer: which transfer the host makes, then
// one scripted reply per request it writes. Shared by the fuzzer, which
// decodes it, and qva-fuzz-seeds, which encodes valid exchanges.
//
//   transfer: op (bit 0: set), count (u16 LE, at most kMaxCount), base,
//             address (u16 BE), sequence number before the first request
//   reply:    control byte, its parameters in flag order, payload length,
//             payload
//
// With kReplyFramed the payload is not sent as it is: it becomes the data
// of a correctly framed acknowledge of the request (or, with kReplyNak, a
// NAK with the payload's first byte as code), so that mutations start past
// the CRCs; kReplyCorrupt then flips one byte of it.

#include <cstddef>
#include <cstdint>

#include <QByteArray>

#include "simprotocol.h"

enum LinkReplyFlag : uint8_t {
  kReplyWriteFails = 0x01,
  kReplyWriteShort = 0x02,
  kReplyLineErrors = 0x04,
  kReplyReadFails = 0x08,  // parameter: the byte offset where the read fails
  kReplyFramed = 0x10,
  kReplyChunked = 0x20,  // parameter: bytes per read
  kReplyCorrupt = 0x40,  // parameters: position, xor mask
  kReplyNak = 0x80,
};

struct LinkTransfer {
  bool set = false;
  uint16_t count = 0;
  uint8_t base = 0;
  uint16_t address = 0;
  uint8_t firstSequence = 0;
};

struct LinkReply {
  bool writeFails = false;
  bool writeShort = false;
  bool lineErrors = false;
  int readFailsAt = -1;
  int chunk = 0;
  QByteArray bytes;  // what the device puts on the line
};

// A packet as it goes on the line, framed by the simulator's packet code:
// header with its CRC, then the data with its CRC when there is data (which
// also sets the data flag of the type).
inline QByteArray FramePacket(uint8_t type, uint8_t sequence, uint8_t base, uint16_t address, uint8_t length,
                              const QByteArray& data) {
  const qvasim::Bytes packet =
      qvasim::BuildPacket(type, sequence, base, address, length, qvasim::Bytes(data.begin(), data.end()));
  return QByteArray(reinterpret_cast<const char*>(packet.data()), static_cast<qsizetype>(packet.size()));
}

// Frames an answer to a request as the device would.
inline QByteArray FrameAnswer(const QByteArray& request, uint8_t type, uint8_t baseOrCode,
                              const QByteArray& data) {
  const auto at = [&request](int i) {
    return request.size() > i ? static_cast<uint8_t>(request[i]) : uint8_t{0};
  };
  return FramePacket(type, at(4), baseOrCode, static_cast<uint16_t>((at(6) << 8) | at(7)),
                     static_cast<uint8_t>(data.size()), data);
}

class LinkInput {
 public:
  static constexpr int kMaxCount = 1024;  // eight full chunks and a part
  static constexpr int kTransferSize = 7;

  LinkInput(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  LinkTransfer Transfer() {
    LinkTransfer t;
    t.set = (Byte() & 1) != 0;
    const int low = Byte();
    const int high = Byte();
    t.count = static_cast<uint16_t>((low | (high << 8)) % (kMaxCount + 1));
    t.base = Byte();
    const int addressHigh = Byte();
    t.address = static_cast<uint16_t>((addressHigh << 8) | Byte());
    t.firstSequence = Byte();
    return t;
  }

  // The reply to one written request; silence once the input is used up.
  LinkReply NextReply(const QByteArray& request) {
    LinkReply reply;
    if (pos_ >= size_) return reply;
    const uint8_t control = Byte();
    reply.writeFails = control & kReplyWriteFails;
    reply.writeShort = control & kReplyWriteShort;
    reply.lineErrors = control & kReplyLineErrors;
    if (control & kReplyReadFails) reply.readFailsAt = Byte();
    if (control & kReplyChunked) reply.chunk = Byte() % 16 + 1;
    int corruptAt = -1;
    uint8_t corruptMask = 0;
    if (control & kReplyCorrupt) {
      corruptAt = Byte();
      corruptMask = Byte();
    }
    const std::size_t length = Byte();
    const std::size_t available = pos_ < size_ ? size_ - pos_ : 0;
    const std::size_t take = length < available ? length : available;
    QByteArray payload(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(take));
    pos_ += take;

    if (control & kReplyFramed) {
      if (control & kReplyNak) {
        reply.bytes = FrameAnswer(request, 3, payload.isEmpty() ? 0 : static_cast<uint8_t>(payload[0]), {});
      } else {
        // An examine request asks for the byte count in its length field;
        // a set request is answered without data.
        const bool examine = request.size() > 8 && (static_cast<uint8_t>(request[3]) & 0x7F) == 0;
        QByteArray answer;
        if (examine) {
          const int wanted = static_cast<uint8_t>(request[8]);
          for (int i = 0; i < wanted; ++i)
            answer.append(payload.isEmpty() ? static_cast<char>(i) : payload[i % payload.size()]);
        }
        reply.bytes =
            FrameAnswer(request, 2, request.size() > 5 ? static_cast<uint8_t>(request[5]) : 0, answer);
      }
    } else {
      reply.bytes = payload;
    }
    if (corruptAt >= 0 && corruptAt < reply.bytes.size())
      reply.bytes[corruptAt] = static_cast<char>(reply.bytes[corruptAt] ^ corruptMask);
    return reply;
  }

 private:
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Encoding, for the seeds.
inline QByteArray EncodeLinkTransfer(const LinkTransfer& t) {
  QByteArray bytes;
  bytes.append(static_cast<char>(t.set ? 1 : 0));
  bytes.append(static_cast<char>(t.count & 0xFF));
  bytes.append(static_cast<char>(t.count >> 8));
  bytes.append(static_cast<char>(t.base));
  bytes.append(static_cast<char>(t.address >> 8));
  bytes.append(static_cast<char>(t.address & 0xFF));
  bytes.append(static_cast<char>(t.firstSequence));
  return bytes;
}

// A reply given as the bytes on the line (control 0), or framed from data.
inline QByteArray EncodeRawReply(const QByteArray& lineBytes, uint8_t control = 0) {
  QByteArray bytes;
  bytes.append(static_cast<char>(control));
  bytes.append(static_cast<char>(lineBytes.size()));
  bytes += lineBytes;
  return bytes;
}
