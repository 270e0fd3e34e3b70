#include "simprotocol.h"

#include <algorithm>

#include "config/crc16.h"

namespace qvasim {

namespace {

uint16_t ReadU16BE(const uint8_t* bytes) {
  return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

void AppendU16BE(Bytes& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value & 0xFF));
}

// True when a start sequence begins at index, or the buffer ends inside
// what could still become one.
bool StartsAt(const Bytes& buffer, std::size_t index) {
  const uint8_t start[] = {kStart1, kStart2, kStart3};
  for (std::size_t k = 0; k < 3 && index + k < buffer.size(); ++k) {
    if (buffer[index + k] != start[k]) return false;
  }
  return true;
}

}  // namespace

uint16_t DataCrc(const uint8_t* data, std::size_t count) {
  return Crc16(data, count, 0);
}

Bytes BuildHeader(uint8_t typeByte, uint8_t sequence, uint8_t baseOrError, uint16_t address, uint8_t length) {
  Bytes header;
  header.reserve(kHeaderSize);
  header.push_back(kStart1);
  header.push_back(kStart2);
  header.push_back(kStart3);
  header.push_back(typeByte);
  header.push_back(sequence);
  header.push_back(baseOrError);
  AppendU16BE(header, address);
  header.push_back(length);
  AppendU16BE(header, Crc16(header.data(), kHeaderCrcOffset, 0));
  return header;
}

Bytes BuildDataBlock(const Bytes& data) {
  Bytes block(data);
  AppendU16BE(block, DataCrc(data.data(), data.size()));
  return block;
}

Bytes BuildPacket(uint8_t type, uint8_t sequence, uint8_t baseOrError, uint16_t address, uint8_t length,
                  const Bytes& data) {
  const auto typeByte = static_cast<uint8_t>((type & kTypeMask) | (data.empty() ? 0 : kDataFlag));
  Bytes packet = BuildHeader(typeByte, sequence, baseOrError, address, length);
  if (!data.empty()) {
    const Bytes block = BuildDataBlock(data);
    packet.insert(packet.end(), block.begin(), block.end());
  }
  return packet;
}

Bytes BuildAck(const Request& request, const Bytes& data) {
  // The length byte of an acknowledge counts the data bytes that follow it:
  // 0 for a set request, the bytes returned for an examine request.
  return BuildPacket(kTypeAck, request.sequence, request.base, request.address,
                     static_cast<uint8_t>(data.size()), data);
}

Bytes BuildNak(const Request& request, uint8_t code) {
  return BuildPacket(kTypeNak, request.sequence, code, request.address, 0);
}

void RequestFramer::Feed(const uint8_t* bytes, std::size_t count, int64_t nowMs) {
  if (count == 0) return;
  Expire(nowMs);
  buffer_.insert(buffer_.end(), bytes, bytes + count);
  lastByteMs_ = nowMs;
  Frame();
}

void RequestFramer::Expire(int64_t nowMs) {
  if (!buffer_.empty() && nowMs - lastByteMs_ >= gapMs_) {
    discarded_ += buffer_.size();
    buffer_.clear();
  }
}

std::optional<Request> RequestFramer::Next() {
  if (ready_.empty()) return std::nullopt;
  Request request = std::move(ready_.front());
  ready_.pop_front();
  return request;
}

void RequestFramer::Frame() {
  for (;;) {
    std::size_t skip = 0;
    while (skip < buffer_.size() && !StartsAt(buffer_, skip)) ++skip;
    if (skip > 0) {
      discarded_ += skip;
      buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(skip));
    }
    if (buffer_.size() < kHeaderSize) return;

    Request request;
    request.typeByte = buffer_[3];
    request.sequence = buffer_[4];
    request.base = buffer_[5];
    request.address = ReadU16BE(&buffer_[6]);
    request.length = buffer_[8];
    request.headerCrcOk = Crc16(buffer_.data(), kHeaderCrcOffset, 0) == ReadU16BE(&buffer_[kHeaderCrcOffset]);

    std::size_t size = kHeaderSize;
    if (request.headerCrcOk && request.HasData()) {
      size = kHeaderSize + request.length + kDataCrcSize;
      if (buffer_.size() < size) return;
      request.data.assign(buffer_.begin() + kHeaderSize, buffer_.begin() + kHeaderSize + request.length);
      request.dataCrcOk = DataCrc(request.data.data(), request.data.size()) ==
                          ReadU16BE(&buffer_[kHeaderSize + request.length]);
    }
    request.wireSize = size;
    request.raw.assign(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(size));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(size));
    ready_.push_back(std::move(request));
  }
}

}  // namespace qvasim
