#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include <QByteArray>

#include "comms/devicecommands.h"
#include "comms/qvaserialcomms.h"
#include "fakeserialport.h"
#include "simprotocol.h"

// Packets as the meter sends them, for scripting the fake line: built by the
// simulator's packet code, which was written from the meter's side. The data
// flag and the length byte are given separately so a test can make them lie.
inline QByteArray ResponsePacket(uint8_t type, uint8_t sequence, uint8_t baseOrError, uint16_t address,
                                 const QByteArray& data, bool dataFlag, int lengthByte = -1) {
  const auto typeByte = static_cast<uint8_t>(type | (dataFlag ? kPacketDataFlag : 0));
  const auto length = static_cast<uint8_t>(lengthByte >= 0 ? lengthByte : data.size());
  qvasim::Bytes packet = qvasim::BuildHeader(typeByte, sequence, baseOrError, address, length);
  if (!data.isEmpty()) {
    const qvasim::Bytes block = qvasim::BuildDataBlock(qvasim::Bytes(data.begin(), data.end()));
    packet.insert(packet.end(), block.begin(), block.end());
  }
  return QByteArray(reinterpret_cast<const char*>(packet.data()), static_cast<qsizetype>(packet.size()));
}

inline QByteArray AckWithData(uint8_t sequence, const QByteArray& data) {
  return ResponsePacket(kMsgAcknowledge, sequence, 0, 0, data, true);
}
inline QByteArray BareAck(uint8_t sequence) {
  return ResponsePacket(kMsgAcknowledge, sequence, 0, 0, {}, false);
}
inline QByteArray Nak(uint8_t sequence, uint8_t code) {
  return ResponsePacket(kMsgNak, sequence, code, 0, {}, false);
}

// A meter in memory: answers examine and set requests from its bases, runs
// the copy-to-EEPROM command and records what it was sent.
class FakeDevice {
 public:
  uint16_t firmwareWord = 115;
  std::vector<uint8_t> storedImage = std::vector<uint8_t>(kConfigSize, 0);    // base 10
  std::vector<uint8_t> receivedImage = std::vector<uint8_t>(kConfigSize, 0);  // base 11
  std::array<uint8_t, kStatusBlockSize> status{};
  std::array<uint8_t, kLiveDataSize> live{};  // base 12
  // Results of successive copies (0 = success); success once exhausted.
  std::deque<uint8_t> copyResults;
  // Polls that still read the command word before it clears (-1: never).
  int busyPolls = 0;
  int copies = 0;
  int fullImageWrites = 0;
  int statusReads = 0;
  // A byte each copy stores inverted (a failing EEPROM); -1 for none.
  int storeFaultOffset = -1;
  std::vector<std::vector<uint8_t>> storedCopies;  // each image stored to EEPROM

  void SetStoredConfig(const QVA_CONFIG_DATA& deviceImage) {
    const ConfigBytes bytes = ConfigToBytes(deviceImage);
    storedImage.assign(bytes.begin(), bytes.end());
  }

  FakeSerialPort::Reply Answer(const QByteArray& request) {
    const auto* r = reinterpret_cast<const uint8_t*>(request.constData());
    const uint8_t type = r[3] & kPacketTypeMask;
    const uint8_t sequence = r[4];
    const uint8_t base = r[5];
    const uint16_t address = static_cast<uint16_t>((r[6] << 8) | r[7]);
    const int length = r[8];
    FakeSerialPort::Reply reply;
    if (type == kMsgExamineMemory) {
      if (base == StatusBlockBase) OnStatusRead();
      QByteArray data(length, '\0');
      for (int i = 0; i < length; ++i) data[i] = static_cast<char>(ByteAt(base, address + i));
      reply.bytes = AckWithData(sequence, data);
    } else {
      const uint8_t* data = r + kPacketHeaderSize;
      if (base == ConfigWriteBase) {
        for (int i = 0; i < length && address + i < static_cast<int>(kConfigSize); ++i)
          receivedImage[address + i] = data[i];
        if (address + length == static_cast<int>(kConfigSize)) ++fullImageWrites;
      } else if (base == StatusBlockBase && length == 2) {
        status[0] = data[0];
        status[1] = data[1];
        if (((data[0] << 8) | data[1]) == CopyConfigToEECommand) StartCopy();
      }
      reply.bytes = BareAck(sequence);
    }
    return reply;
  }

  std::function<FakeSerialPort::Reply(const QByteArray&)> Responder() {
    return [this](const QByteArray& request) { return Answer(request); };
  }

 private:
  uint8_t ByteAt(uint8_t base, int offset) const {
    switch (base) {
      case FirmwareVersionBase:
        return offset == 0 ? static_cast<uint8_t>(firmwareWord >> 8) : static_cast<uint8_t>(firmwareWord);
      case StatusBlockBase:
        return offset < kStatusBlockSize ? status[offset] : 0;
      case ConfigReadBase:
        return offset < static_cast<int>(kConfigSize) ? storedImage[offset] : 0;
      case LiveDataBase:
        return offset < kLiveDataSize ? live[offset] : 0;
      default:
        return 0;
    }
  }

  void StartCopy() {
    ++copies;
    copying_ = true;
    pollsLeft_ = busyPolls;
    result_ = 0;
    if (!copyResults.empty()) {
      result_ = copyResults.front();
      copyResults.pop_front();
    }
  }

  // The command word reads busy for busyPolls reads, then clears.
  void OnStatusRead() {
    ++statusReads;
    if (!copying_ || pollsLeft_ < 0) return;
    if (pollsLeft_ > 0) {
      --pollsLeft_;
      return;
    }
    copying_ = false;
    status[0] = status[1] = 0;
    status[8] = result_;
    if (result_ == 0) {
      storedImage = receivedImage;
      if (storeFaultOffset >= 0) storedImage[storeFaultOffset] ^= 0xFF;
      storedCopies.push_back(receivedImage);
    }
  }

  bool copying_ = false;
  int pollsLeft_ = 0;
  uint8_t result_ = 0;
};
