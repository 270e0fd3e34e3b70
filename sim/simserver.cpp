#include "simserver.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include <QJsonArray>

#include <poll.h>
#include <unistd.h>

namespace qvasim {

namespace {

constexpr int64_t kNanosPerMilli = 1'000'000;
// The longest the loop sleeps with nothing to do; only a bound, signals
// wake it earlier.
constexpr int64_t kIdleWaitNs = kNanosPerSecond;
constexpr std::size_t kReadChunk = 512;
constexpr std::size_t kWriteChunk = 256;
constexpr std::size_t kRecentRequestsKept = 64;

const char* NakText(uint8_t code) {
  switch (code) {
    case kNakNoError:
      return "No Error";
    case kNakBadPacket:
      return "Bad Packet";
    case kNakReceiverOverrun:
      return "QVA receiver overrun";
    case kNakBadCommand:
      return "Bad Command";
    case kNakBadBase:
      return "Bad Base";
    case kNakBadLength:
      return "Bad Length";
    case kNakSetMemoryFail:
      return "Set Memory Fail";
    case kNakExamineMemoryFail:
      return "Examine Memory Fail";
    default:
      return "unknown code";
  }
}

QString Describe(const Request& request) {
  if (!request.headerCrcOk) return QStringLiteral("header with a bad CRC");
  QString type;
  switch (request.Type()) {
    case kTypeExamine:
      type = QStringLiteral("examine");
      break;
    case kTypeSet:
      type = QStringLiteral("set");
      break;
    default:
      type = QStringLiteral("type %1").arg(request.Type());
      break;
  }
  return QStringLiteral("seq %1 %2 base %3 addr 0x%4 len %5%6")
      .arg(request.sequence)
      .arg(type)
      .arg(request.base)
      .arg(request.address, 4, 16, QLatin1Char('0'))
      .arg(request.length)
      .arg(request.dataCrcOk ? QString() : QStringLiteral(" (bad data CRC)"));
}

QString DescribeAnswer(const Bytes& answer) {
  if (answer.empty()) return QStringLiteral("no answer");
  if (answer.size() < kHeaderSize || answer[0] != kStart1)
    return QStringLiteral("%1 bytes").arg(answer.size());
  const uint8_t type = answer[3] & kTypeMask;
  if (type == kTypeNak)
    return QStringLiteral("NAK %1 (%2)").arg(answer[5]).arg(QLatin1String(NakText(answer[5])));
  if (type == kTypeAck) {
    const std::size_t data = answer.size() > kHeaderSize ? answer.size() - kHeaderSize - kDataCrcSize : 0;
    return data > 0 ? QStringLiteral("ack with %1 bytes").arg(data) : QStringLiteral("ack");
  }
  return QStringLiteral("type %1").arg(type);
}

}  // namespace

void TxPacer::Received(std::size_t count, int64_t nowNs) {
  rxFreeNs_ = std::max(rxFreeNs_, nowNs) + LineTimeNs(count);
}

void TxPacer::Queue(const Bytes& bytes, int64_t nowNs) {
  if (!pacing_) {
    for (uint8_t byte : bytes) queue_.push_back({byte, nowNs});
    return;
  }
  const int64_t start = std::max({nowNs, rxFreeNs_, txFreeNs_});
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    // A byte can be read once its stop bit has gone out.
    queue_.push_back({bytes[i], start + LineTimeNs(i + 1)});
  }
  txFreeNs_ = start + LineTimeNs(bytes.size());
}

std::size_t TxPacer::DueCount(int64_t nowNs) const {
  std::size_t count = 0;
  while (count < queue_.size() && queue_[count].dueNs <= nowNs) ++count;
  return count;
}

void TxPacer::Peek(uint8_t* out, std::size_t count) const {
  for (std::size_t i = 0; i < count && i < queue_.size(); ++i) out[i] = queue_[i].byte;
}

void TxPacer::Consume(std::size_t count) {
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(std::min(count, queue_.size())));
}

std::optional<int64_t> TxPacer::NextDueNs() const {
  if (queue_.empty()) return std::nullopt;
  return queue_.front().dueNs;
}

SimServer::SimServer(int fd, const ServerOptions& options, SimDevice& device, FaultPlan& faults)
    : fd_(fd), options_(options), device_(device), faults_(faults), pacer_(options.pacing), startNs_(0) {
  startNs_ = NowNs();
}

int64_t SimServer::NowNs() const {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() - startNs_;
}

int64_t SimServer::NowMs() const {
  return NowNs() / kNanosPerMilli;
}

void SimServer::Log(const QString& line) const {
  if (!options_.log) return;
  const double seconds = static_cast<double>(NowNs()) / kNanosPerSecond;
  std::fprintf(stderr, "%9.3f %s\n", seconds, line.toLocal8Bit().constData());
  std::fflush(stderr);
}

int SimServer::Run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask) {
  while (!stop) {
    const int64_t now = NowNs();
    TickDevice(now);
    framer_.Expire(now / kNanosPerMilli);
    if (!Flush(now)) return 1;

    int64_t wake = now + kIdleWaitNs;
    if (const auto due = pacer_.NextDueNs(); due && !writeBlocked_) wake = std::min(wake, *due);
    if (const auto copy = device_.CopyDueMs()) wake = std::min(wake, *copy * kNanosPerMilli);
    if (framer_.HasPartial()) wake = std::min(wake, framer_.ExpiryTime() * kNanosPerMilli);
    const int64_t waitNs = std::max<int64_t>(0, wake - now);
    timespec timeout{static_cast<time_t>(waitNs / kNanosPerSecond),
                     static_cast<long>(waitNs % kNanosPerSecond)};

    pollfd line{fd_, static_cast<short>(POLLIN | (writeBlocked_ ? POLLOUT : 0)), 0};
    const int ready = ppoll(&line, 1, &timeout, &waitMask);
    if (ready < 0) {
      if (errno == EINTR) continue;
      error_ =
          QStringLiteral("waiting on the line failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
      return 1;
    }
    if (ready == 0) continue;
    if (line.revents & POLLOUT) writeBlocked_ = false;
    if (line.revents & (POLLIN | POLLHUP | POLLERR)) {
      bool gotAny = false;
      for (;;) {
        uint8_t buffer[kReadChunk];
        const ssize_t n = ::read(fd_, buffer, sizeof(buffer));
        if (n > 0) {
          gotAny = true;
          OnBytes(buffer, static_cast<std::size_t>(n), NowNs());
          continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
          error_ =
              QStringLiteral("reading the line failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
          return 1;
        }
        break;
      }
      if (!gotAny && (line.revents & (POLLHUP | POLLERR))) {
        error_ = QStringLiteral("the line hung up");
        return 1;
      }
    }
  }
  return 0;
}

void SimServer::OnBytes(const uint8_t* bytes, std::size_t count, int64_t nowNs) {
  pacer_.Received(count, nowNs);
  const uint64_t noiseBefore = framer_.DiscardedBytes();
  framer_.Feed(bytes, count, nowNs / kNanosPerMilli);
  if (framer_.DiscardedBytes() != noiseBefore) {
    Log(QStringLiteral("dropped %1 bytes of noise").arg(framer_.DiscardedBytes() - noiseBefore));
  }
  while (std::optional<Request> request = framer_.Next()) Serve(*request, nowNs);
}

void SimServer::Serve(const Request& request, int64_t nowNs) {
  ++exchange_;
  recentRequests_.push_back(request.raw);
  if (recentRequests_.size() > kRecentRequestsKept) recentRequests_.pop_front();
  TickDevice(nowNs);
  const std::optional<Fault> fault = faults_.ForExchange(exchange_);
  Bytes answer;
  if (fault && fault->kind == FaultKind::Nak) {
    answer = BuildNak(request, static_cast<uint8_t>(fault->arg));
  } else {
    answer = device_.Handle(request, nowNs / kNanosPerMilli);
    if (fault) answer = ApplyFault(*fault, answer, request, faults_.Random());
  }
  if (fault) ++faultsInjected_;
  Log(QStringLiteral("#%1 %2 -> %3%4")
          .arg(exchange_)
          .arg(Describe(request), DescribeAnswer(answer),
               fault ? QStringLiteral(" [fault %1]").arg(FaultName(*fault)) : QString()));
  pacer_.Queue(answer, nowNs);
}

bool SimServer::Flush(int64_t nowNs) {
  while (!writeBlocked_) {
    const std::size_t due = std::min(pacer_.DueCount(nowNs), kWriteChunk);
    if (due == 0) return true;
    uint8_t buffer[kWriteChunk];
    pacer_.Peek(buffer, due);
    const ssize_t n = ::write(fd_, buffer, due);
    if (n > 0) {
      pacer_.Consume(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // Nobody reads the other end: wait until the line takes bytes again.
      writeBlocked_ = true;
      return true;
    }
    error_ = QStringLiteral("writing the line failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  return true;
}

void SimServer::TickDevice(int64_t nowNs) {
  const uint64_t before = device_.Stats().copies;
  device_.Tick(nowNs / kNanosPerMilli);
  if (device_.Stats().copies == before) return;
  Log(QStringLiteral("copy to EEPROM %1: result %2")
          .arg(device_.Stats().copies)
          .arg(device_.LastCopyResult()));
  if (copyHook_) copyHook_();
}

QJsonObject SimServer::Summary() const {
  QJsonObject summary = device_.Summary(NowMs());
  summary[QStringLiteral("requests")] = static_cast<qint64>(exchange_);
  summary[QStringLiteral("faults")] = static_cast<qint64>(faultsInjected_);
  summary[QStringLiteral("noise_bytes")] = static_cast<qint64>(framer_.DiscardedBytes());
  QJsonArray recent;
  for (const Bytes& raw : recentRequests_) recent.append(ToHex(raw.data(), raw.size()));
  summary[QStringLiteral("recent_requests")] = recent;
  return summary;
}

}  // namespace qvasim
