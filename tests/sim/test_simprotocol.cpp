// The simulator's packet framing, answers and faults, checked against the
// documented wire vectors and against the host's rules for a response.

#include <gtest/gtest.h>

#include "config/crc16.h"
#include "simfaults.h"
#include "simprotocol.h"
#include "simserver.h"

using namespace qvasim;

namespace {

const Bytes kFirmwareRequest = {0x80, 0x81, 0x82, 0x00, 0x01, 0x02, 0x00, 0x00, 0x02, 0xA9, 0x81};
const Bytes kCopyCommandRequest = {0x80, 0x81, 0x82, 0x81, 0x05, 0x03, 0x00, 0x00,
                                   0x02, 0xC7, 0xB3, 0x7C, 0x3A, 0xDA, 0x2D};

std::vector<Request> FrameAll(RequestFramer& framer) {
  std::vector<Request> out;
  while (auto request = framer.Next()) out.push_back(*request);
  return out;
}

std::vector<Request> Frame(const Bytes& bytes) {
  RequestFramer framer;
  framer.Feed(bytes.data(), bytes.size(), 0);
  return FrameAll(framer);
}

bool HeaderCrcValid(const Bytes& packet) {
  return packet.size() >= kHeaderSize &&
         Crc16(packet.data(), 9, 0) == static_cast<uint16_t>((packet[9] << 8) | packet[10]);
}

Request ExamineRequest(uint8_t sequence, uint8_t base, uint8_t length) {
  return Frame(BuildPacket(kTypeExamine, sequence, base, 0, length)).at(0);
}

}  // namespace

TEST(SimPacket, BuildsTheDocumentedFirmwareRequest) {
  EXPECT_EQ(BuildPacket(kTypeExamine, 1, 2, 0, 2), kFirmwareRequest);
}

TEST(SimPacket, BuildsTheDocumentedCopyCommandRequest) {
  EXPECT_EQ(BuildPacket(kTypeSet, 5, 3, 0, 2, {0x7C, 0x3A}), kCopyCommandRequest);
}

TEST(SimPacket, DataCrcEqualsTheHeaderRegisterContinuedOverItsOwnCrc) {
  const Bytes data = {1, 2, 3, 0x80, 0x81, 0x82, 0xFF};
  const Bytes packet = BuildPacket(kTypeAck, 9, 10, 0x80, static_cast<uint8_t>(data.size()), data);
  const uint16_t headerCrc = static_cast<uint16_t>((packet[9] << 8) | packet[10]);
  const uint16_t continued = Crc16(packet.data() + 9, packet.size() - 9 - 2, headerCrc);
  EXPECT_EQ(continued, static_cast<uint16_t>((packet[packet.size() - 2] << 8) | packet.back()));
}

TEST(SimPacket, AckOfExamineCarriesFlagLengthSequenceAndData) {
  const Request request = ExamineRequest(0x42, 10, 3);
  const Bytes ack = BuildAck(request, {7, 8, 9});
  ASSERT_EQ(ack.size(), kHeaderSize + 3 + kDataCrcSize);
  EXPECT_EQ(ack[3], kTypeAck | kDataFlag);
  EXPECT_EQ(ack[4], 0x42);
  EXPECT_EQ(ack[8], 3);
  EXPECT_TRUE(HeaderCrcValid(ack));
  EXPECT_EQ(Bytes(ack.begin() + 11, ack.begin() + 14), (Bytes{7, 8, 9}));
}

TEST(SimPacket, AckOfSetIsAHeaderWithoutDataFlag) {
  const Request request = Frame(kCopyCommandRequest).at(0);
  const Bytes ack = BuildAck(request, {});
  ASSERT_EQ(ack.size(), kHeaderSize);
  EXPECT_EQ(ack[3], kTypeAck);
  EXPECT_EQ(ack[4], 5);
  EXPECT_EQ(ack[8], 0);
}

TEST(SimPacket, NakCarriesTheCodeInByteFive) {
  const Bytes nak = BuildNak(ExamineRequest(7, 99, 2), kNakBadBase);
  ASSERT_EQ(nak.size(), kHeaderSize);
  EXPECT_EQ(nak[3], kTypeNak);
  EXPECT_EQ(nak[4], 7);
  EXPECT_EQ(nak[5], kNakBadBase);
  EXPECT_TRUE(HeaderCrcValid(nak));
}

TEST(SimFramer, ParsesTheFieldsOfASetRequest) {
  const std::vector<Request> requests = Frame(kCopyCommandRequest);
  ASSERT_EQ(requests.size(), 1u);
  const Request& r = requests[0];
  EXPECT_EQ(r.Type(), kTypeSet);
  EXPECT_TRUE(r.HasData());
  EXPECT_EQ(r.sequence, 5);
  EXPECT_EQ(r.base, 3);
  EXPECT_EQ(r.address, 0);
  EXPECT_EQ(r.length, 2);
  EXPECT_TRUE(r.headerCrcOk);
  EXPECT_TRUE(r.dataCrcOk);
  EXPECT_EQ(r.data, (Bytes{0x7C, 0x3A}));
  EXPECT_EQ(r.wireSize, kCopyCommandRequest.size());
  EXPECT_EQ(r.raw, kCopyCommandRequest);
}

TEST(SimFramer, ReadsTheAddressHighByteFirst) {
  const Request r = Frame(BuildPacket(kTypeExamine, 1, 10, 0x0280, 32)).at(0);
  EXPECT_EQ(r.address, 0x0280);
}

TEST(SimFramer, AssemblesARequestArrivingOneByteAtATime) {
  RequestFramer framer;
  for (std::size_t i = 0; i < kCopyCommandRequest.size(); ++i) {
    EXPECT_FALSE(framer.Next().has_value()) << "complete too early at byte " << i;
    framer.Feed(&kCopyCommandRequest[i], 1, static_cast<int64_t>(i));
  }
  const std::vector<Request> requests = FrameAll(framer);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].data, (Bytes{0x7C, 0x3A}));
  EXPECT_FALSE(framer.HasPartial());
}

TEST(SimFramer, DropsNoiseBeforeTheStartSequence) {
  Bytes bytes = {0x00, 0x80, 0x81, 0x00, 0x82, 0x80};
  bytes.insert(bytes.end(), kFirmwareRequest.begin(), kFirmwareRequest.end());
  RequestFramer framer;
  framer.Feed(bytes.data(), bytes.size(), 0);
  const std::vector<Request> requests = FrameAll(framer);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].base, 2);
  EXPECT_TRUE(requests[0].headerCrcOk);
  EXPECT_EQ(framer.DiscardedBytes(), 6u);
}

TEST(SimFramer, KeepsAStartPrefixSplitAcrossReads) {
  RequestFramer framer;
  framer.Feed(kFirmwareRequest.data(), 2, 0);
  EXPECT_TRUE(framer.HasPartial());
  framer.Feed(kFirmwareRequest.data() + 2, kFirmwareRequest.size() - 2, 1);
  EXPECT_EQ(FrameAll(framer).size(), 1u);
  EXPECT_EQ(framer.DiscardedBytes(), 0u);
}

TEST(SimFramer, FramesBackToBackRequests) {
  Bytes bytes = kFirmwareRequest;
  bytes.insert(bytes.end(), kCopyCommandRequest.begin(), kCopyCommandRequest.end());
  bytes.insert(bytes.end(), kFirmwareRequest.begin(), kFirmwareRequest.end());
  const std::vector<Request> requests = Frame(bytes);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].Type(), kTypeExamine);
  EXPECT_EQ(requests[1].Type(), kTypeSet);
  EXPECT_EQ(requests[2].Type(), kTypeExamine);
}

TEST(SimFramer, StartBytesInsideADataBlockAreData) {
  const Bytes data = {0x80, 0x81, 0x82, 0x00, 0x80, 0x81, 0x82};
  const Bytes packet = BuildPacket(kTypeSet, 3, 11, 0, static_cast<uint8_t>(data.size()), data);
  const std::vector<Request> requests = Frame(packet);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].data, data);
  EXPECT_TRUE(requests[0].dataCrcOk);
}

TEST(SimFramer, BadHeaderCrcIsReportedWithoutReadingAData) {
  Bytes packet = kCopyCommandRequest;
  packet[10] ^= 0x01;
  const std::vector<Request> requests = Frame(packet);
  // The header alone is one (bad) request; its claimed data block is not
  // trusted and is dropped as noise.
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests[0].headerCrcOk);
  EXPECT_TRUE(requests[0].data.empty());
  EXPECT_EQ(requests[0].wireSize, kHeaderSize);
}

TEST(SimFramer, BadDataCrcIsReported) {
  Bytes packet = kCopyCommandRequest;
  packet.back() ^= 0x80;
  const std::vector<Request> requests = Frame(packet);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].headerCrcOk);
  EXPECT_FALSE(requests[0].dataCrcOk);
}

TEST(SimFramer, DropsAHalfRequestAfterTheLineWentQuiet) {
  RequestFramer framer(150);
  framer.Feed(kCopyCommandRequest.data(), 12, 1000);
  framer.Expire(1149);
  EXPECT_TRUE(framer.HasPartial());
  framer.Expire(1150);
  EXPECT_FALSE(framer.HasPartial());
  EXPECT_EQ(framer.DiscardedBytes(), 12u);
  // The host's next attempt is understood on its own.
  framer.Feed(kCopyCommandRequest.data(), kCopyCommandRequest.size(), 1400);
  EXPECT_EQ(FrameAll(framer).size(), 1u);
}

TEST(SimFramer, ContinuesAHalfRequestWithinTheGap) {
  RequestFramer framer(150);
  framer.Feed(kCopyCommandRequest.data(), 12, 1000);
  framer.Feed(kCopyCommandRequest.data() + 12, kCopyCommandRequest.size() - 12, 1100);
  EXPECT_EQ(FrameAll(framer).size(), 1u);
}

TEST(SimFramer, ZeroLengthDataBlockIsOnlyItsCrc) {
  // A header that announces data, and an empty data block: only its CRC.
  Bytes packet = BuildHeader(kTypeSet | kDataFlag, 1, 11, 0, 0);
  EXPECT_TRUE(HeaderCrcValid(packet));
  const Bytes block = BuildDataBlock({});
  EXPECT_EQ(block, (Bytes{0, 0}));  // Crc16 of no bytes is 0
  packet.insert(packet.end(), block.begin(), block.end());
  const std::vector<Request> requests = Frame(packet);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].dataCrcOk);
  EXPECT_EQ(requests[0].wireSize, kHeaderSize + 2);
}

// ---- faults --------------------------------------------------------------

struct FaultTextCase {
  const char* text;
  bool valid;
  FaultKind kind;
  int arg;
};

class SimFaultText : public ::testing::TestWithParam<FaultTextCase> {};

TEST_P(SimFaultText, Parses) {
  const FaultTextCase& c = GetParam();
  const std::optional<Fault> fault = ParseFault(QString::fromLatin1(c.text));
  ASSERT_EQ(fault.has_value(), c.valid) << c.text;
  if (!c.valid) return;
  EXPECT_EQ(fault->kind, c.kind);
  EXPECT_EQ(fault->arg, c.arg);
  EXPECT_EQ(FaultName(*fault), QString::fromLatin1(c.text));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SimFaultText,
                         ::testing::Values(FaultTextCase{"silence", true, FaultKind::Silence, -1},
                                           FaultTextCase{"header-crc", true, FaultKind::HeaderCrc, -1},
                                           FaultTextCase{"data-crc", true, FaultKind::DataCrc, -1},
                                           FaultTextCase{"start", true, FaultKind::Start, -1},
                                           FaultTextCase{"sequence", true, FaultKind::Sequence, -1},
                                           FaultTextCase{"type", true, FaultKind::Type, -1},
                                           FaultTextCase{"no-data-flag", true, FaultKind::NoDataFlag, -1},
                                           FaultTextCase{"length", true, FaultKind::Length, -1},
                                           FaultTextCase{"nak:200", true, FaultKind::Nak, 200},
                                           FaultTextCase{"nak:0", true, FaultKind::Nak, 0},
                                           FaultTextCase{"garbage", true, FaultKind::Garbage, -1},
                                           FaultTextCase{"garbage:5", true, FaultKind::Garbage, 5},
                                           FaultTextCase{"nak", false, FaultKind::Nak, 0},
                                           FaultTextCase{"nak:256", false, FaultKind::Nak, 0},
                                           FaultTextCase{"nak:-1", false, FaultKind::Nak, 0},
                                           FaultTextCase{"nak:x", false, FaultKind::Nak, 0},
                                           FaultTextCase{"garbage:0", false, FaultKind::Garbage, 0},
                                           FaultTextCase{"silence:3", false, FaultKind::Silence, 0},
                                           FaultTextCase{"noise", false, FaultKind::Silence, 0},
                                           FaultTextCase{"", false, FaultKind::Silence, 0}));

TEST(SimFaultRule, ParsesExchangeAndKind) {
  QString error;
  const auto rule = ParseFaultRule(QStringLiteral("12:nak:5"), &error);
  ASSERT_TRUE(rule.has_value()) << error.toStdString();
  EXPECT_EQ(rule->first, 12u);
  EXPECT_EQ(rule->second.kind, FaultKind::Nak);
  EXPECT_EQ(rule->second.arg, 5);
}

TEST(SimFaultRule, RejectsExchangeZeroAndMissingNumbers) {
  for (const char* text : {"0:silence", ":silence", "silence", "x:silence", "3:"}) {
    QString error;
    EXPECT_FALSE(ParseFaultRule(QString::fromLatin1(text), &error).has_value()) << text;
    EXPECT_FALSE(error.isEmpty()) << text;
  }
}

TEST(SimFaultPlan, NamedExchangesOnly) {
  FaultPlan plan({{2, Fault{FaultKind::Start, -1}}}, 0, 1);
  EXPECT_FALSE(plan.ForExchange(1).has_value());
  ASSERT_TRUE(plan.ForExchange(2).has_value());
  EXPECT_FALSE(plan.ForExchange(3).has_value());
}

TEST(SimFaultPlan, RateDecidesHowManyExchangesGetAFault) {
  FaultPlan never({}, 0, 7);
  FaultPlan always({}, 100, 7);
  FaultPlan some({}, 30, 7);
  int someCount = 0;
  for (uint64_t n = 1; n <= 1000; ++n) {
    EXPECT_FALSE(never.ForExchange(n).has_value());
    EXPECT_TRUE(always.ForExchange(n).has_value());
    if (some.ForExchange(n)) ++someCount;
  }
  EXPECT_GT(someCount, 200);
  EXPECT_LT(someCount, 400);
}

TEST(SimFaultPlan, TheSameSeedGivesTheSameFaults) {
  FaultPlan a({}, 50, 99);
  FaultPlan b({}, 50, 99);
  for (uint64_t n = 1; n <= 200; ++n) {
    const auto fa = a.ForExchange(n);
    const auto fb = b.ForExchange(n);
    ASSERT_EQ(fa.has_value(), fb.has_value());
    if (fa) {
      EXPECT_EQ(FaultName(*fa), FaultName(*fb));
    }
  }
}

class SimFaultEffect : public ::testing::Test {
 protected:
  Request request_ = ExamineRequest(9, 10, 4);
  Bytes answer_ = BuildAck(request_, {1, 2, 3, 4});
  std::mt19937 random_{3};

  Bytes Apply(FaultKind kind, int arg = -1) {
    return ApplyFault(Fault{kind, arg}, answer_, request_, random_);
  }
};

TEST_F(SimFaultEffect, SilenceSendsNothing) {
  EXPECT_TRUE(Apply(FaultKind::Silence).empty());
}

TEST_F(SimFaultEffect, HeaderCrcBreaksOnlyTheHeaderCrc) {
  const Bytes out = Apply(FaultKind::HeaderCrc);
  EXPECT_FALSE(HeaderCrcValid(out));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 9), Bytes(answer_.begin(), answer_.begin() + 9));
}

TEST_F(SimFaultEffect, DataCrcBreaksOnlyTheDataCrc) {
  const Bytes out = Apply(FaultKind::DataCrc);
  ASSERT_EQ(out.size(), answer_.size());
  EXPECT_TRUE(HeaderCrcValid(out));
  EXPECT_NE(DataCrc(out.data() + 11, 4), static_cast<uint16_t>((out[15] << 8) | out[16]));
}

TEST_F(SimFaultEffect, StartBreaksTheStartSequence) {
  const Bytes out = Apply(FaultKind::Start);
  EXPECT_NE(out[0], kStart1);
}

TEST_F(SimFaultEffect, SequenceIsWrongButTheHeaderIsSound) {
  const Bytes out = Apply(FaultKind::Sequence);
  EXPECT_NE(out[4], request_.sequence);
  EXPECT_TRUE(HeaderCrcValid(out));
}

TEST_F(SimFaultEffect, TypeIsNeitherAckNorNak) {
  const Bytes out = Apply(FaultKind::Type);
  const uint8_t type = out[3] & kTypeMask;
  EXPECT_NE(type, kTypeAck);
  EXPECT_NE(type, kTypeNak);
  EXPECT_TRUE(HeaderCrcValid(out));
}

TEST_F(SimFaultEffect, NoDataFlagSendsAHeaderWithoutTheFlag) {
  const Bytes out = Apply(FaultKind::NoDataFlag);
  ASSERT_EQ(out.size(), kHeaderSize);
  EXPECT_EQ(out[3] & kDataFlag, 0);
  EXPECT_EQ(out[3] & kTypeMask, kTypeAck);
  EXPECT_TRUE(HeaderCrcValid(out));
}

TEST_F(SimFaultEffect, LengthDiffersFromTheDataSent) {
  const Bytes out = Apply(FaultKind::Length);
  EXPECT_EQ(out[8], 5);
  EXPECT_TRUE(HeaderCrcValid(out));
  EXPECT_EQ(out.size(), answer_.size());
}

TEST_F(SimFaultEffect, GarbageNeverStartsWithAStartByte) {
  for (int i = 0; i < 300; ++i) {
    const Bytes out = Apply(FaultKind::Garbage, 3);
    ASSERT_EQ(out.size(), 3u);
    ASSERT_NE(out[0], kStart1);
  }
  EXPECT_EQ(Apply(FaultKind::Garbage).size(), answer_.size());
}

// ---- line timing ---------------------------------------------------------

TEST(SimPacer, WithoutPacingEverythingIsDueAtOnce) {
  TxPacer pacer(false);
  pacer.Received(11, 0);
  pacer.Queue(Bytes(15, 0xAA), 1000);
  EXPECT_EQ(pacer.DueCount(1000), 15u);
}

TEST(SimPacer, AnswerWaitsForTheRequestsLineTimeThenOneCharacterTimePerByte) {
  TxPacer pacer(true);
  const int64_t request = TxPacer::LineTimeNs(11);
  pacer.Received(11, 0);
  pacer.Queue(Bytes(15, 0xAA), 0);
  EXPECT_EQ(pacer.DueCount(request), 0u);
  EXPECT_EQ(pacer.DueCount(request + TxPacer::LineTimeNs(1)), 1u);
  EXPECT_EQ(pacer.DueCount(request + TxPacer::LineTimeNs(15) - 1), 14u);
  EXPECT_EQ(pacer.DueCount(request + TxPacer::LineTimeNs(15)), 15u);
}

TEST(SimPacer, CharacterTimeIsTenBitsAt9600Baud) {
  // 141 bytes (a full 128-byte answer) take 146.875 ms on the line.
  EXPECT_EQ(TxPacer::LineTimeNs(141), 146'875'000);
}

TEST(SimPacer, ConsumedBytesLeaveTheQueueInOrder) {
  TxPacer pacer(false);
  pacer.Queue({1, 2, 3}, 0);
  pacer.Consume(1);
  uint8_t out[2] = {};
  pacer.Peek(out, 2);
  EXPECT_EQ(out[0], 2);
  EXPECT_EQ(out[1], 3);
  pacer.Consume(5);
  EXPECT_TRUE(pacer.Empty());
  EXPECT_FALSE(pacer.NextDueNs().has_value());
}
