// The packet link's response checking, fed with the device's side of the
// line from the fuzz input through an in-memory port. Every transfer must
// end in success or ESerialCommunications, and:
// - a successful examine delivered, for each chunk, exactly the data of a
//   correctly framed acknowledge (start bytes, header CRC, sequence number,
//   data flag, length, data CRC) read in that chunk's last attempt;
// - a successful set saw a correctly framed acknowledge for each chunk;
// - every request is the one the protocol prescribes, repeated unchanged
//   for at most four attempts;
// - a failure came after the fourth attempt, whose answer was not clean.
// The input format is written by linkinput.h (and qva-fuzz-seeds).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <QByteArray>

#include "comms/qvaserialcomms.h"
#include "comms/serialport.h"
#include "platform/sleeper.h"
#include "config/crc16.h"
#include "platform/qvaerrors.h"
#include "linkinput.h"
#include "fuzzfinding.h"

namespace {

class NoSleeper : public Sleeper {
 public:
  void Sleep(int) override { ++sleeps; }
  int sleeps = 0;
};

// What happened to one request written to the line.
struct Attempt {
  QByteArray request;
  LinkReply reply;
  QByteArray lineAtWrite;  // everything waiting on the line after the write
  QByteArray delivered;    // what the link read before its next write
  bool purged = false;     // the link purged the line after this attempt
};

// The device's side of the line, replaying the scripted replies in order.
// Bytes the link does not read stay on the line until it purges, as on a
// real port.
class ScriptedLine : public SerialPort {
 public:
  ScriptedLine(LinkInput& input, std::vector<Attempt>& attempts) : input_(input), attempts_(attempts) {}

  PortOpenResult Open(const QString&) override { return {}; }

  PortWriteResult Write(const QByteArray& bytes, int deadlineMs) override {
    if (deadlineMs <= 0) Finding();
    Attempt attempt;
    attempt.request = bytes;
    attempt.reply = input_.NextReply(bytes);
    PortWriteResult result;
    if (attempt.reply.writeFails) {
      result.failed = true;
      result.code = 5;
    } else {
      result.written = attempt.reply.writeShort ? bytes.size() - 1 : bytes.size();
      line_ += attempt.reply.bytes;
    }
    attempt.lineAtWrite = line_;
    attempts_.push_back(attempt);
    readFailArmed_ = attempt.reply.readFailsAt >= 0;
    pendingLineErrors_ = 0;
    return result;
  }

  PortReadResult Read(qint64 maxBytes) override {
    if (maxBytes <= 0 || attempts_.empty()) Finding();
    Attempt& current = attempts_.back();
    PortReadResult result;
    if (readFailArmed_ && current.delivered.size() >= current.reply.readFailsAt) {
      readFailArmed_ = false;
      result.failed = true;
      result.code = 995;
      return result;
    }
    qint64 take = std::min<qint64>(maxBytes, line_.size());
    if (current.reply.chunk > 0) take = std::min<qint64>(take, current.reply.chunk);
    result.bytes = line_.left(take);
    line_.remove(0, take);
    current.delivered += result.bytes;
    if (current.reply.lineErrors) pendingLineErrors_ = kLineErrorParity;
    return result;
  }

  void Purge() override {
    line_.clear();
    if (!attempts_.empty()) attempts_.back().purged = true;
  }

  uint32_t TakeLineErrors() override {
    const uint32_t flags = pendingLineErrors_;
    pendingLineErrors_ = 0;
    return flags;
  }

  void Close() override {}

 private:
  LinkInput& input_;
  std::vector<Attempt>& attempts_;
  QByteArray line_;
  bool readFailArmed_ = false;
  uint32_t pendingLineErrors_ = 0;
};

uint16_t ReadU16BE(const char* p) {
  return static_cast<uint16_t>((static_cast<uint8_t>(p[0]) << 8) | static_cast<uint8_t>(p[1]));
}

// A correctly framed acknowledge of `sequence` carrying `dataLength` bytes
// (none for a set request, whose data flag and length do not matter) at
// the start of `bytes`; returns its size, or 0.
int FramedAckSize(const QByteArray& bytes, uint8_t sequence, int dataLength) {
  if (bytes.size() < kPacketHeaderSize) return 0;
  const auto* h = reinterpret_cast<const uint8_t*>(bytes.constData());
  if (h[0] != 0x80 || h[1] != 0x81 || h[2] != 0x82) return 0;
  if (Crc16(h, 9, 0) != ReadU16BE(bytes.constData() + 9)) return 0;
  if ((h[3] & 0x7F) != 2 || h[4] != sequence) return 0;
  if (dataLength == 0) return kPacketHeaderSize;
  if ((h[3] & 0x80) == 0 || h[8] != dataLength) return 0;
  const int size = kPacketHeaderSize + dataLength + 2;
  if (bytes.size() < size) return 0;
  if (Crc16(h + kPacketHeaderSize, static_cast<std::size_t>(dataLength), 0) !=
      ReadU16BE(bytes.constData() + kPacketHeaderSize + dataLength))
    return 0;
  return size;
}

// The request the protocol prescribes, built by the simulator's packet code,
// which was written from the meter's side.
QByteArray ExpectedRequest(bool set, uint8_t sequence, uint8_t base, uint16_t address, const uint8_t* data,
                           int length) {
  const qvasim::Bytes block = set ? qvasim::Bytes(data, data + length) : qvasim::Bytes();
  const qvasim::Bytes packet = qvasim::BuildPacket(set ? qvasim::kTypeSet : qvasim::kTypeExamine, sequence,
                                                   base, address, static_cast<uint8_t>(length), block);
  return QByteArray(reinterpret_cast<const char*>(packet.data()), static_cast<qsizetype>(packet.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LinkInput input(data, size);
  const LinkTransfer transfer = input.Transfer();
  SetLastSequenceNumber(transfer.firstSequence);

  // Exactly the bytes transferred, so that the sanitizer sees any overrun.
  std::vector<uint8_t> source(transfer.count);
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7 + 3);
  std::unique_ptr<uint8_t[]> destination(new uint8_t[transfer.count == 0 ? 1 : transfer.count]);
  std::memset(destination.get(), 0xEE, transfer.count);

  std::vector<Attempt> attempts;
  NoSleeper sleeper;
  bool failed = false;
  int failureKind = -1;
  {
    QVASerialComms link(QStringLiteral("COM1"), std::make_unique<ScriptedLine>(input, attempts), sleeper);
    try {
      if (transfer.set) {
        link.SetMemory(source.data(), transfer.count, transfer.base, transfer.address);
      } else {
        link.ExamineMemory(destination.get(), transfer.count, transfer.base, transfer.address);
      }
    } catch (const ESerialCommunications& e) {
      failed = true;
      failureKind = e.ErrorKind();
      if (!e.Message().startsWith(CommsErrorIntro())) Finding();
    }
  }
  if (failed && (failureKind < 0 || failureKind > 10)) Finding();

  // Walk the attempts exchange by exchange against the prescribed requests.
  const int chunkSize = transfer.set ? kMaxSetChunk : kMaxExamineChunk;
  std::size_t at = 0;
  int offset = 0;
  uint8_t sequence = transfer.firstSequence;
  int failedAttempts = 0;
  while (offset < transfer.count) {
    const int chunk = std::min<int>(transfer.count - offset, chunkSize);
    ++sequence;
    const QByteArray expected =
        ExpectedRequest(transfer.set, sequence, transfer.base,
                        static_cast<uint16_t>(transfer.address + offset), source.data() + offset, chunk);
    int tries = 0;
    while (at < attempts.size() && attempts[at].request == expected) {
      ++tries;
      ++at;
    }
    if (tries == 0 || tries > kAttemptsPerExchange) Finding();
    const Attempt& last = attempts[at - 1];
    const int dataLength = transfer.set ? 0 : chunk;
    if (at == attempts.size() && failed) {
      // The exchange that failed: four attempts, and the last answer had a
      // fault the link was right to refuse.
      if (tries != kAttemptsPerExchange || !last.purged) Finding();
      const LinkReply& r = last.reply;
      const bool clean = !r.writeFails && !r.writeShort && !r.lineErrors && r.readFailsAt < 0;
      if (clean && FramedAckSize(last.lineAtWrite, sequence, dataLength) > 0) Finding();
      failedAttempts += tries;
      break;
    }
    // A completed exchange: its last attempt read exactly a framed answer.
    const int frame = FramedAckSize(last.delivered, sequence, dataLength);
    if (frame == 0 || frame != last.delivered.size() || last.purged) Finding();
    if (last.reply.writeFails || last.reply.writeShort || last.reply.lineErrors) Finding();
    if (!transfer.set &&
        std::memcmp(destination.get() + offset, last.delivered.constData() + kPacketHeaderSize, chunk) != 0)
      Finding();
    failedAttempts += tries - 1;
    offset += chunk;
  }
  if (at != attempts.size()) Finding();  // a request the protocol did not ask for
  if (!failed && offset != transfer.count) Finding();
  if (sleeper.sleeps != failedAttempts) Finding();
  // QVA_FUZZ_VERBOSE=1 shows what each input did, to check that seeds
  // reach where they should.
  static const bool verbose = std::getenv("QVA_FUZZ_VERBOSE") != nullptr;
  if (verbose)
    std::fprintf(stderr, "%s %d bytes: %zu attempts, %s (kind %d)\n", transfer.set ? "set" : "examine",
                 transfer.count, attempts.size(), failed ? "failed" : "succeeded", failureKind);
  return 0;
}
