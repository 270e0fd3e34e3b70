#include "simfaults.h"

#include <array>

#include <QStringList>

#include "config/crc16.h"

namespace qvasim {

namespace {

struct KindName {
  FaultKind kind;
  const char* name;
};

constexpr std::array<KindName, 10> kKindNames{{
    {FaultKind::Silence, "silence"},
    {FaultKind::HeaderCrc, "header-crc"},
    {FaultKind::DataCrc, "data-crc"},
    {FaultKind::Start, "start"},
    {FaultKind::Sequence, "sequence"},
    {FaultKind::Type, "type"},
    {FaultKind::NoDataFlag, "no-data-flag"},
    {FaultKind::Length, "length"},
    {FaultKind::Nak, "nak"},
    {FaultKind::Garbage, "garbage"},
}};

// A message type the host knows neither as acknowledge nor as NAK.
constexpr uint8_t kForeignType = 5;
// The NAK code random faults use: a transient the host retries.
constexpr int kRandomNakCode = kNakReceiverOverrun;
constexpr int kMaxGarbageBytes = 1024;

void ResealHeader(Bytes& packet) {
  const uint16_t crc = Crc16(packet.data(), kHeaderCrcOffset, 0);
  packet[kHeaderCrcOffset] = static_cast<uint8_t>(crc >> 8);
  packet[kHeaderCrcOffset + 1] = static_cast<uint8_t>(crc & 0xFF);
}

}  // namespace

std::optional<Fault> ParseFault(const QString& text) {
  const QStringList parts = text.split(QLatin1Char(':'));
  if (parts.size() > 2) return std::nullopt;
  for (const KindName& entry : kKindNames) {
    if (parts[0] != QLatin1String(entry.name)) continue;
    Fault fault{entry.kind, -1};
    if (parts.size() == 2) {
      bool ok = false;
      const int arg = parts[1].toInt(&ok, 10);
      if (!ok) return std::nullopt;
      if (entry.kind == FaultKind::Nak) {
        if (arg < 0 || arg > 0xFF) return std::nullopt;
      } else if (entry.kind == FaultKind::Garbage) {
        if (arg < 1 || arg > kMaxGarbageBytes) return std::nullopt;
      } else {
        return std::nullopt;  // no other kind takes an argument
      }
      fault.arg = arg;
    } else if (entry.kind == FaultKind::Nak) {
      return std::nullopt;  // a NAK needs its code
    }
    return fault;
  }
  return std::nullopt;
}

QString FaultName(const Fault& fault) {
  for (const KindName& entry : kKindNames) {
    if (entry.kind != fault.kind) continue;
    QString name = QString::fromLatin1(entry.name);
    if (fault.arg >= 0) name += QLatin1Char(':') + QString::number(fault.arg);
    return name;
  }
  return QStringLiteral("?");
}

std::optional<std::pair<uint64_t, Fault>> ParseFaultRule(const QString& text, QString* error) {
  const qsizetype colon = text.indexOf(QLatin1Char(':'));
  bool ok = false;
  const qulonglong exchange = colon > 0 ? text.left(colon).toULongLong(&ok, 10) : 0;
  if (!ok || exchange == 0) {
    if (error) *error = QStringLiteral("--fault %1: expected N:KIND[:ARG] with N counting from 1").arg(text);
    return std::nullopt;
  }
  const std::optional<Fault> fault = ParseFault(text.mid(colon + 1));
  if (!fault) {
    if (error) *error = QStringLiteral("--fault %1: unknown fault kind or bad argument").arg(text);
    return std::nullopt;
  }
  return std::make_pair(static_cast<uint64_t>(exchange), *fault);
}

FaultPlan::FaultPlan(std::map<uint64_t, Fault> rules, int ratePercent, uint32_t seed)
    : rules_(std::move(rules)), ratePercent_(ratePercent), random_(seed) {}

std::optional<Fault> FaultPlan::ForExchange(uint64_t exchange) {
  if (const auto rule = rules_.find(exchange); rule != rules_.end()) return rule->second;
  if (ratePercent_ <= 0) return std::nullopt;
  std::uniform_int_distribution<int> percent(0, 99);
  if (percent(random_) >= ratePercent_) return std::nullopt;
  std::uniform_int_distribution<std::size_t> pick(0, kKindNames.size() - 1);
  Fault fault{kKindNames[pick(random_)].kind, -1};
  if (fault.kind == FaultKind::Nak) fault.arg = kRandomNakCode;
  return fault;
}

Bytes ApplyFault(const Fault& fault, const Bytes& answer, const Request& request, std::mt19937& random) {
  Bytes out = answer;
  if (out.size() < kHeaderSize) return out;
  const bool hasData = out.size() > kHeaderSize;
  switch (fault.kind) {
    case FaultKind::Silence:
      return {};
    case FaultKind::HeaderCrc:
      out[kHeaderCrcOffset] ^= 0xFF;
      break;
    case FaultKind::DataCrc:
      if (hasData) out[out.size() - 1] ^= 0xFF;
      break;
    case FaultKind::Start:
      out[0] = 0x00;
      break;
    case FaultKind::Sequence:
      out[4] = static_cast<uint8_t>(request.sequence + 1);
      ResealHeader(out);
      break;
    case FaultKind::Type:
      out[3] = static_cast<uint8_t>((out[3] & kDataFlag) | kForeignType);
      ResealHeader(out);
      break;
    case FaultKind::NoDataFlag:
      out.resize(kHeaderSize);
      out[3] = static_cast<uint8_t>(out[3] & kTypeMask);
      ResealHeader(out);
      break;
    case FaultKind::Length:
      out[8] = static_cast<uint8_t>(out[8] + 1);
      ResealHeader(out);
      break;
    case FaultKind::Nak:
      break;
    case FaultKind::Garbage: {
      const std::size_t count = fault.arg > 0 ? static_cast<std::size_t>(fault.arg) : out.size();
      std::uniform_int_distribution<int> byte(0, 0xFF);
      out.assign(count, 0);
      for (uint8_t& value : out) value = static_cast<uint8_t>(byte(random));
      // Noise never opens with a start byte, so the host sees a bad start
      // rather than a lucky packet.
      if (out[0] == kStart1) out[0] = 0x55;
      break;
    }
  }
  return out;
}

}  // namespace qvasim
