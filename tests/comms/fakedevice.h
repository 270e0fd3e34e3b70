#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include <QByteArray>

#include "comms/devicecommands.h"
#include "comms/qvaserialcomms.h"
#include "config/crc16.h"
#include "fakeserialport.h"

// Packets as the meter sends them, for scripting the fake line.
inline QByteArray ResponsePacket(uint8_t type, uint8_t sequence, uint8_t baseOrError, uint16_t address,
                                 const QByteArray& data, bool dataFlag, int lengthByte = -1) {
  QByteArray packet(kPacketHeaderSize, '\0');
  auto* h = reinterpret_cast<uint8_t*>(packet.data());
  h[0] = kPacketStart1;
  h[1] = kPacketStart2;
  h[2] = kPacketStart3;
  h[3] = static_cast<uint8_t>(type | (dataFlag ? kPacketDataFlag : 0));
  h[4] = sequence;
  h[5] = baseOrError;
  h[6] = static_cast<uint8_t>(address >> 8);
  h[7] = static_cast<uint8_t>(address);
  h[8] = static_cast<uint8_t>(lengthByte >= 0 ? lengthByte : data.size());
  const uint16_t crc = Crc16(h, 9, 0);
  h[9] = static_cast<uint8_t>(crc >> 8);
  h[10] = static_cast<uint8_t>(crc);
  if (!data.isEmpty()) {
    const uint16_t dataCrc = Crc16(reinterpret_cast<const uint8_t*>(data.constData()), data.size(), 0);
    packet.append(data);
    packet.append(static_cast<char>(dataCrc >> 8));
    packet.append(static_cast<char>(dataCrc & 0xFF));
  }
  return packet;
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
  // Results of successive copies (0 = success); success once exhausted.
  std::deque<uint8_t> copyResults;
  // Polls that still read the command word before it clears (-1: never).
  int busyPolls = 0;
  int copies = 0;
  int fullImageWrites = 0;
  int statusReads = 0;
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
      storedCopies.push_back(receivedImage);
    }
  }

  bool copying_ = false;
  int pollsLeft_ = 0;
  uint8_t result_ = 0;
};
