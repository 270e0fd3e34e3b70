#pragma once

#include <memory>

#include <QString>

#include "comms/qvaserialcomms.h"
#include "fakedevice.h"
#include "fakeserialport.h"
#include "recordingsleeper.h"

// A link on the fake line, with the line's state and the sleeper kept for
// checks. The sequence counter starts at 0 so that the first request
// carries 1.
struct FakeLink {
  std::shared_ptr<FakeSerialPort::State> line = std::make_shared<FakeSerialPort::State>();
  RecordingSleeper sleeper;
  std::unique_ptr<QVASerialComms> comms;

  explicit FakeLink(const QString& portName = QStringLiteral("COM1"), uint8_t lastSequence = 0) {
    SetLastSequenceNumber(lastSequence);
    comms = std::make_unique<QVASerialComms>(portName, std::make_unique<FakeSerialPort>(line), sleeper);
  }
  void AttachDevice(FakeDevice& device) { line->responder = device.Responder(); }
};

inline QByteArray Hex(const char* text) {
  return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}
