// The simulator's side of the line: whatever a host (or line noise) sends,
// the request framer cuts it into requests that stand on the line as
// received, and the device answers each one with a correctly framed
// acknowledge or NAK of the request's sequence number. The configuration
// the device keeps is only ever replaced by an image whose cfg_crc16 is
// right, however the write area and the copy command are driven.
//
// Input: records of [milliseconds since the previous one][length][bytes];
// the bytes arrive on the line at that time. A zero-length record only lets
// time pass.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "config/crc16.h"
#include "config/qvaconfig.h"
#include "simdevice.h"
#include "simprotocol.h"
#include "fuzzfinding.h"

namespace {

uint16_t U16BE(const uint8_t* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

void CheckRequest(const qvasim::Request& request) {
  using namespace qvasim;
  if (request.wireSize < kHeaderSize || request.raw.size() != request.wireSize) Finding();
  if (request.raw[0] != kStart1 || request.raw[1] != kStart2 || request.raw[2] != kStart3) Finding();
  if (request.headerCrcOk != (Crc16(request.raw.data(), kHeaderCrcOffset, 0) == U16BE(&request.raw[9])))
    Finding();
  const bool withData = request.headerCrcOk && request.HasData();
  if (withData) {
    if (request.wireSize != kHeaderSize + request.length + kDataCrcSize) Finding();
    if (request.data.size() != request.length) Finding();
  } else if (request.wireSize != kHeaderSize || !request.data.empty()) {
    Finding();
  }
}

void CheckAnswer(const qvasim::Request& request, const qvasim::Bytes& answer) {
  using namespace qvasim;
  if (answer.size() < kHeaderSize) Finding();
  if (answer[0] != kStart1 || answer[1] != kStart2 || answer[2] != kStart3) Finding();
  if (Crc16(answer.data(), kHeaderCrcOffset, 0) != U16BE(&answer[9])) Finding();
  if (answer[4] != request.sequence) Finding();
  const uint8_t type = answer[3] & kTypeMask;
  if (type == kTypeNak) {
    if (answer.size() != kHeaderSize || (answer[3] & kDataFlag)) Finding();
    // A request that cannot be trusted is never served.
    return;
  }
  if (type != kTypeAck) Finding();
  if (!request.headerCrcOk || !request.dataCrcOk) Finding();
  if (request.Type() == kTypeExamine) {
    // Exactly the bytes asked for, framed with their CRC.
    if (request.length == 0 || request.length > kMaxDataLength) Finding();
    if (!(answer[3] & kDataFlag) || answer[8] != request.length) Finding();
    if (answer.size() != kHeaderSize + request.length + kDataCrcSize) Finding();
    if (DataCrc(&answer[kHeaderSize], request.length) != U16BE(&answer[kHeaderSize + request.length]))
      Finding();
  } else {
    if (request.Type() != kTypeSet || answer.size() != kHeaderSize) Finding();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qvasim;
  DeviceSettings settings;
  settings.copyDelayMs = 100;
  const ConfigBytes start = ConfigToBytes(SealForDevice(MakeBlankConfig()));
  SimDevice device(settings, start, 0);
  RequestFramer framer;

  int64_t now = 0;
  std::size_t pos = 0;
  ConfigBytes stored = device.StoredImage();
  while (pos + 2 <= size) {
    now += data[pos];
    const std::size_t length = data[pos + 1];
    pos += 2;
    const std::size_t take = length < size - pos ? length : size - pos;
    if (take == 0) {
      framer.Expire(now);
    } else {
      framer.Feed(data + pos, take, now);
    }
    pos += take;
    device.Tick(now);
    while (std::optional<Request> request = framer.Next()) {
      CheckRequest(*request);
      CheckAnswer(*request, device.Handle(*request, now));
    }
    if (device.StoredImage() != stored) {
      stored = device.StoredImage();
      if (!VerifyDeviceImage(ConfigFromBytes(stored.data()))) Finding();
    }
  }
  return 0;
}
