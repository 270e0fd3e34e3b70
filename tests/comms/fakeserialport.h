#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include <QByteArray>

#include "comms/serialport.h"

// An in-memory line for the link's unit tests. Each request written is
// answered by a scripted reply, or by a responder function when the
// script is empty; failures can be injected at every call.
class FakeSerialPort : public SerialPort {
 public:
  // What happens to one request.
  struct Reply {
    QByteArray bytes;         // delivered to the reader
    int chunk = 0;            // >0: delivered at most this many bytes per read
    bool writeFails = false;  // the write call fails with code
    qint64 writeShortBy = 0;  // the write completes this many bytes short
    int readFailsAt = -1;     // fail the read that starts at this byte offset (0 = header)
    uint32_t lineErrors = 0;  // reported by the next TakeLineErrors after a read
    int code = 0;             // platform code for the failures above
  };

  struct State {
    std::vector<QByteArray> writes;  // every request as written
    std::deque<Reply> script;
    std::function<Reply(const QByteArray& request)> responder;
    PortOpenResult openResult;
    QString openedDevice;
    std::vector<int> writeDeadlines;
    std::vector<int> readSilences;  // how long each read was allowed to wait
    int purges = 0;
    int lineErrorReads = 0;
    bool open = false;
    bool closed = false;
  };

  explicit FakeSerialPort(std::shared_ptr<State> state) : state_(std::move(state)) {}

  PortOpenResult Open(const QString& deviceName) override {
    state_->openedDevice = deviceName;
    state_->open = state_->openResult.failure == PortOpenFailure::None;
    return state_->openResult;
  }

  PortWriteResult Write(const QByteArray& bytes, int deadlineMs) override {
    state_->writes.push_back(bytes);
    state_->writeDeadlines.push_back(deadlineMs);
    Reply reply;
    if (!state_->script.empty()) {
      reply = state_->script.front();
      state_->script.pop_front();
    } else if (state_->responder) {
      reply = state_->responder(bytes);
    }
    PortWriteResult result;
    if (reply.writeFails) {
      result.failed = true;
      result.code = reply.code;
      return result;
    }
    result.written = bytes.size() - reply.writeShortBy;
    current_ = reply;
    pending_ = reply.bytes;
    delivered_ = 0;
    pendingLineErrors_ = 0;
    return result;
  }

  PortReadResult Read(qint64 maxBytes) override {
    state_->readSilences.push_back(ReadSilence());
    PortReadResult result;
    if (current_.readFailsAt >= 0 && delivered_ >= current_.readFailsAt) {
      result.failed = true;
      result.code = current_.code;
      current_.readFailsAt = -1;
      return result;
    }
    qint64 take = std::min<qint64>(maxBytes, pending_.size());
    if (current_.chunk > 0) take = std::min<qint64>(take, current_.chunk);
    if (current_.readFailsAt > delivered_) take = std::min<qint64>(take, current_.readFailsAt - delivered_);
    result.bytes = pending_.left(take);
    pending_.remove(0, take);
    delivered_ += static_cast<int>(take);
    pendingLineErrors_ |= current_.lineErrors;
    current_.lineErrors = 0;
    return result;
  }

  void Purge() override {
    ++state_->purges;
    pending_.clear();
  }

  uint32_t TakeLineErrors() override {
    ++state_->lineErrorReads;
    const uint32_t flags = pendingLineErrors_;
    pendingLineErrors_ = 0;
    return flags;
  }

  void Close() override {
    state_->open = false;
    state_->closed = true;
  }

 private:
  std::shared_ptr<State> state_;
  Reply current_;
  QByteArray pending_;
  int delivered_ = 0;
  uint32_t pendingLineErrors_ = 0;
};
