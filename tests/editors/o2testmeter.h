#pragma once

#include <cstdint>

#include <QByteArray>

#include "comms/commstestsupport.h"

// A meter on the fake line for the O2 calibration: its status block reports
// `state` and `sensorType`, its live data `ip`; set them between ticks.
// With `failing` every request is refused with NAK 7.
struct O2TestMeter {
  uint8_t state = 0;
  uint8_t sensorType = 2;
  int16_t ip = 0;
  bool failing = false;
  int statusReads = 0;
  int liveReads = 0;

  FakeSerialPort::Reply Answer(const QByteArray& request) {
    const auto* r = reinterpret_cast<const uint8_t*>(request.constData());
    const uint8_t sequence = r[4];
    const uint8_t base = r[5];
    FakeSerialPort::Reply reply;
    if (failing) {
      reply.bytes = Nak(sequence, 7);
      return reply;
    }
    QByteArray data;
    if (base == StatusBlockBase) {
      ++statusReads;
      data = QByteArray(kStatusBlockSize, '\0');
      data[12] = static_cast<char>(state);
      data[13] = static_cast<char>(sensorType);
    } else if (base == LiveDataBase) {
      ++liveReads;
      data = QByteArray(kLiveDataSize, '\0');
      data[0] = static_cast<char>(static_cast<uint16_t>(ip) >> 8);
      data[1] = static_cast<char>(ip & 0xFF);
    }
    reply.bytes = AckWithData(sequence, data);
    return reply;
  }
  void Attach(FakeLink& link) {
    link.line->responder = [this](const QByteArray& request) { return Answer(request); };
  }
};
