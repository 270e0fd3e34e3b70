#pragma once

#include <csignal>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include <QJsonObject>
#include <QString>

#include "simdevice.h"
#include "simfaults.h"
#include "simprotocol.h"

// Serves the meter's protocol on a file descriptor: frames requests, lets
// the device answer them, injects the planned faults and sends the answers
// with the timing of a 9600 baud line.

namespace qvasim {

constexpr int kBaudRate = 9600;
constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr int64_t kNanosPerSecond = 1'000'000'000;

// Schedules bytes on the transmit line. With pacing, an answer starts only
// once the request has fully arrived over the receive line (as on a real
// line, where the host's write returns before the meter has the last byte)
// and each byte leaves one character time after the one before it.
class TxPacer {
 public:
  explicit TxPacer(bool pacing) : pacing_(pacing) {}

  // count bytes were read at nowNs; they occupied the receive line.
  void Received(std::size_t count, int64_t nowNs);
  void Queue(const Bytes& bytes, int64_t nowNs);

  // The number of queued bytes whose time has come.
  std::size_t DueCount(int64_t nowNs) const;
  // Copies up to count queued bytes into out, oldest first.
  void Peek(uint8_t* out, std::size_t count) const;
  void Consume(std::size_t count);
  std::optional<int64_t> NextDueNs() const;
  bool Empty() const { return queue_.empty(); }

  // The end of count character times starting at startNs.
  static int64_t LineTimeNs(std::size_t count) {
    return static_cast<int64_t>(count) * kBitsPerByte * kNanosPerSecond / kBaudRate;
  }

 private:
  struct Timed {
    uint8_t byte;
    int64_t dueNs;
  };
  bool pacing_;
  int64_t rxFreeNs_ = 0;
  int64_t txFreeNs_ = 0;
  std::deque<Timed> queue_;
};

struct ServerOptions {
  bool pacing = true;
  bool log = false;
};

class SimServer {
 public:
  SimServer(int fd, const ServerOptions& options, SimDevice& device, FaultPlan& faults);

  // Called after each finished copy to EEPROM.
  void SetCopyHook(std::function<void()> hook) { copyHook_ = std::move(hook); }

  // Serves until stop becomes non-zero (returns 0) or the line fails
  // (returns 1, Error() says why). Signals are delivered only while waiting,
  // with waitMask as the signal mask.
  int Run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask);
  const QString& Error() const { return error_; }

  // The device's summary with the line's own counts and the raw bytes of
  // the latest requests (so a test can see that a retry repeats its request).
  QJsonObject Summary() const;
  int64_t NowMs() const;

 private:
  int64_t NowNs() const;
  void OnBytes(const uint8_t* bytes, std::size_t count, int64_t nowNs);
  void Serve(const Request& request, int64_t nowNs);
  bool Flush(int64_t nowNs);
  void TickDevice(int64_t nowNs);
  void Log(const QString& line) const;

  int fd_;
  ServerOptions options_;
  SimDevice& device_;
  FaultPlan& faults_;
  RequestFramer framer_;
  TxPacer pacer_;
  std::function<void()> copyHook_;
  int64_t startNs_;
  uint64_t exchange_ = 0;
  uint64_t faultsInjected_ = 0;
  std::deque<Bytes> recentRequests_;
  bool writeBlocked_ = false;
  QString error_;
};

}  // namespace qvasim
