#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <random>

#include <QString>

#include "simprotocol.h"

// Line faults the simulator can put into its answers, to exercise the host's
// checks and retries. Exchanges are numbered by the requests received,
// starting at 1, so a retry of a failed exchange has the next number.

namespace qvasim {

enum class FaultKind {
  Silence,     // no answer at all
  HeaderCrc,   // header CRC inverted
  DataCrc,     // data CRC inverted (answers that carry data only)
  Start,       // first start byte wrong
  Sequence,    // sequence number of the request plus one
  Type,        // message type 5, neither acknowledge nor NAK
  NoDataFlag,  // header of an examine answer with the data flag clear, no data block
  Length,      // length byte one more than the data that follows
  Nak,         // a NAK with the code given (the request is not served)
  Garbage,     // noise bytes instead of the answer
};

struct Fault {
  FaultKind kind = FaultKind::Silence;
  int arg = -1;  // NAK code, or the count of garbage bytes; -1 when not given
};

// "kind" or "kind:arg" as given to --fault after the exchange number.
std::optional<Fault> ParseFault(const QString& text);
QString FaultName(const Fault& fault);

// The text after --fault: "N:kind[:arg]". Returns nullopt and an error text
// when it does not parse.
std::optional<std::pair<uint64_t, Fault>> ParseFaultRule(const QString& text, QString* error);

// Which exchanges get a fault: the ones named, plus random ones at a rate.
class FaultPlan {
 public:
  FaultPlan() = default;
  FaultPlan(std::map<uint64_t, Fault> rules, int ratePercent, uint32_t seed);

  std::optional<Fault> ForExchange(uint64_t exchange);
  std::mt19937& Random() { return random_; }

 private:
  std::map<uint64_t, Fault> rules_;
  int ratePercent_ = 0;
  std::mt19937 random_{1};
};

// The bytes to send in place of the answer to request; empty for silence.
// A Nak fault is not handled here: the caller answers with BuildNak
// without serving the request.
Bytes ApplyFault(const Fault& fault, const Bytes& answer, const Request& request, std::mt19937& random);

}  // namespace qvasim
