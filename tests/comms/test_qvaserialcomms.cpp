#include <gtest/gtest.h>

#include <cerrno>

#include <QDir>

#include "platform/qvaregistry.h"
#include "comms/portdevices.h"
#include "comms/qvaserialcomms.h"
#include "commstestsupport.h"

namespace {

// How messages name the operating system and the ports of the fake line
// (its default devices) here.
#ifdef Q_OS_WIN
const QString kSystem = QStringLiteral("Windows");
const QString kCom1 = QStringLiteral("COM1");
const QString kCom3 = QStringLiteral("COM3");
#else
const QString kSystem = QStringLiteral("Linux");
const QString kCom1 = QStringLiteral("COM1 (/dev/ttyS0)");
const QString kCom3 = QStringLiteral("COM3 (/dev/ttyS2)");
#endif

QString Intro() {
  return CommsErrorIntro();
}

// Runs an examine of 2 bytes against a line answering every attempt with
// the same reply; returns the failure.
ESerialCommunications ExamineFailure(FakeLink& link) {
  uint8_t buffer[2] = {};
  try {
    link.comms->ExamineMemory(buffer, 2, 2, 0);
  } catch (const ESerialCommunications& e) {
    return e;
  }
  ADD_FAILURE() << "no failure raised";
  return ESerialCommunications({}, 255, -1);
}

void RepeatReply(FakeLink& link, const FakeSerialPort::Reply& reply) {
  for (int i = 0; i < kAttemptsPerExchange + 2; ++i) link.line->script.push_back(reply);
}

FakeSerialPort::Reply Bytes(const QByteArray& bytes) {
  FakeSerialPort::Reply reply;
  reply.bytes = bytes;
  return reply;
}

QByteArray Corrupt(QByteArray bytes, int index) {
  bytes[index] = static_cast<char>(bytes[index] ^ 0x01);
  return bytes;
}

}  // namespace

TEST(CommsPackets, FirstRequestOfARunReadsTheFirmwareVersion) {
  FakeLink link;
  link.line->script.push_back(Bytes(AckWithData(1, Hex("0073"))));
  uint8_t version[2] = {};
  link.comms->ExamineMemory(version, 2, 2, 0);
  ASSERT_EQ(link.line->writes.size(), 1u);
  EXPECT_EQ(link.line->writes[0], Hex("80 81 82 00 01 02 00 00 02 A9 81"));
  EXPECT_EQ(version[1], 0x73);
}

TEST(CommsPackets, SetRequestOfTheCopyCommandWithSequenceFive) {
  FakeLink link(QStringLiteral("COM1"), 4);
  link.line->script.push_back(Bytes(BareAck(5)));
  const uint8_t command[2] = {0x7C, 0x3A};
  link.comms->SetMemory(command, 2, 3, 0);
  ASSERT_EQ(link.line->writes.size(), 1u);
  EXPECT_EQ(link.line->writes[0], Hex("80 81 82 81 05 03 00 00 02 C7 B3 7C 3A DA 2D"));
}

TEST(CommsPackets, EmptySetRequestHasNoDataFlagAndNoDataBlock) {
  EXPECT_EQ(BuildSetRequest(5, 3, 0, nullptr, 0).size(), kPacketHeaderSize);
  EXPECT_EQ(static_cast<uint8_t>(BuildSetRequest(5, 3, 0, nullptr, 0)[3]), kMsgSetMemory);
}

TEST(CommsPackets, AddressIsSentMostSignificantByteFirst) {
  const QByteArray request = BuildExamineRequest(9, 12, 0x1234, 28);
  EXPECT_EQ(static_cast<uint8_t>(request[6]), 0x12);
  EXPECT_EQ(static_cast<uint8_t>(request[7]), 0x34);
  EXPECT_EQ(static_cast<uint8_t>(request[8]), 28);
}

TEST(CommsPackets, WriteDeadlineIsHalfASecondPlusFourMsPerByte) {
  FakeLink link;
  link.line->script.push_back(Bytes(BareAck(1)));
  const uint8_t data[10] = {};
  link.comms->SetMemory(data, 10, 11, 0);
  ASSERT_EQ(link.line->writeDeadlines.size(), 1u);
  EXPECT_EQ(link.line->writeDeadlines[0], 500 + 4 * (11 + 10 + 2));
}

struct FailureCase {
  const char* name;
  std::function<FakeSerialPort::Reply()> reply;
  std::function<QString()> piece;
  uint8_t kind;
  int32_t code;
};

class CommsFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(CommsFailure, RaisesTheExactMessageKindAndCodeAfterFourAttempts) {
  const FailureCase& c = GetParam();
  FakeLink link;
  RepeatReply(link, c.reply());
  const ESerialCommunications e = ExamineFailure(link);
  EXPECT_EQ(e.Message(), Intro() + c.piece());
  EXPECT_EQ(e.ErrorKind(), c.kind);
  EXPECT_EQ(e.Code(), c.code);
  EXPECT_EQ(link.line->writes.size(), 4u);
  EXPECT_EQ(link.sleeper.waits, std::vector<int>(4, 200));
  EXPECT_EQ(link.line->purges, 4 + 1 * 0);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, CommsFailure,
    testing::Values(
        FailureCase{"WriteCallFails",
                    [] {
                      FakeSerialPort::Reply r;
                      r.writeFails = true;
                      r.code = EIO;
                      return r;
                    },
                    [] {
                      return kSystem + QStringLiteral(" reported the following error : ") +
                             SystemErrorText(EIO) + QStringLiteral(" when attempting to write to ") + kCom1 +
                             QStringLiteral(".\n");
                    },
                    0, EIO},
        FailureCase{"WriteShort",
                    [] {
                      FakeSerialPort::Reply r;
                      r.writeShortBy = 3;
                      return r;
                    },
                    [] { return QStringLiteral("Error Type: Timed out while attempting to write to ") + kCom1; },
                    2, 0},
        FailureCase{"LineErrors",
                    [] {
                      FakeSerialPort::Reply r = Bytes(AckWithData(1, Hex("0073")));
                      r.lineErrors = kLineErrorFrame | kLineErrorParity;
                      return r;
                    },
                    [] { return QStringLiteral("Error code: 0000000C while reading from device."); }, 3,
                    0x0C},
        FailureCase{"HeaderReadFails",
                    [] {
                      FakeSerialPort::Reply r;
                      r.readFailsAt = 0;
                      r.code = EIO;
                      return r;
                    },
                    [] {
                      return kSystem + QStringLiteral(" reported the following error ") + SystemErrorText(EIO) +
                             QStringLiteral(" when attempting to read from ") + kCom1;
                    },
                    0, EIO},
        FailureCase{"SilentLine", [] { return FakeSerialPort::Reply{}; },
                    [] { return QStringLiteral("Error Type: Timed out waiting for start of message"); }, 1,
                    0},
        FailureCase{"ShortHeader", [] { return Bytes(AckWithData(1, Hex("0073")).left(10)); },
                    [] { return QStringLiteral("Error Type: Timed out waiting for start of message"); }, 1,
                    0},
        FailureCase{"WrongStart", [] { return Bytes(Corrupt(AckWithData(1, Hex("0073")), 1)); },
                    [] { return QStringLiteral("Error Type: The start of message sequence is not valid"); },
                    5, 0},
        FailureCase{"HeaderCrc", [] { return Bytes(Corrupt(AckWithData(1, Hex("0073")), 10)); },
                    [] { return QStringLiteral("Error Type: The header CRC is not valid"); }, 4, 0},
        FailureCase{"NakOverrun", [] { return Bytes(Nak(1, 2)); },
                    [] { return QStringLiteral("Error Type: NAK received, error = QVA receiver overrun"); },
                    10, 2},
        FailureCase{"NakUnknownCode", [] { return Bytes(Nak(1, 200)); },
                    [] { return QStringLiteral("Error Type: NAK received, error = Unknown error type -56"); },
                    10, 200},
        FailureCase{"MessageTypeExamine",
                    [] { return Bytes(ResponsePacket(kMsgExamineMemory, 1, 0, 0, Hex("0073"), true)); },
                    [] { return QStringLiteral("Error Type: The message type was not valid"); }, 7, 0},
        FailureCase{"WrongSequence", [] { return Bytes(AckWithData(2, Hex("0073"))); },
                    [] { return QStringLiteral("Error Type: The sequence number was not correct"); }, 6, 0},
        FailureCase{"DataFlagClear",
                    [] { return Bytes(ResponsePacket(kMsgAcknowledge, 1, 0, 0, Hex("0073"), false)); },
                    [] { return QStringLiteral("Error Type: The data block was missing"); }, 8, 0},
        FailureCase{"LengthMismatchWithGoodDataCrc", [] { return Bytes(AckWithData(1, Hex("007300"))); },
                    [] {
                      return QStringLiteral(
                          "Error Type: The data length does not match the expected message length");
                    },
                    9, 0},
        FailureCase{"DataReadFails",
                    [] {
                      FakeSerialPort::Reply r = Bytes(AckWithData(1, Hex("0073")));
                      r.readFailsAt = kPacketHeaderSize;
                      r.code = EIO;
                      return r;
                    },
                    [] {
                      return kSystem + QStringLiteral(" reported the following error ") + SystemErrorText(EIO) +
                             QStringLiteral(" when attempting to read message data from ") + kCom1;
                    },
                    0, EIO},
        FailureCase{"DataBlockIncomplete", [] { return Bytes(AckWithData(1, Hex("0073")).left(14)); },
                    [] { return QStringLiteral("Error Type: Timed out waiting for the data block"); }, 1, 1},
        FailureCase{"DataCrc", [] { return Bytes(Corrupt(AckWithData(1, Hex("0073")), 14)); },
                    [] { return QStringLiteral("Error Type: The data CRC is not valid"); }, 4, 1}),
    [](const testing::TestParamInfo<FailureCase>& param) { return std::string(param.param.name); });

TEST(CommsRetry, TwoBadCrcsThenAGoodAnswerSucceedsWithIdenticalRequests) {
  FakeLink link(QStringLiteral("COM1"), 41);
  link.line->script.push_back(Bytes(Corrupt(AckWithData(42, Hex("0077")), 14)));
  link.line->script.push_back(Bytes(Corrupt(AckWithData(42, Hex("0077")), 9)));
  link.line->script.push_back(Bytes(AckWithData(42, Hex("0077"))));
  uint8_t version[2] = {};
  link.comms->ExamineMemory(version, 2, 2, 0);
  ASSERT_EQ(link.line->writes.size(), 3u);
  EXPECT_EQ(link.line->writes[1], link.line->writes[0]);
  EXPECT_EQ(link.line->writes[2], link.line->writes[0]);
  EXPECT_EQ(static_cast<uint8_t>(link.line->writes[0][4]), 42);
  EXPECT_EQ(version[1], 0x77);
  EXPECT_EQ(link.sleeper.waits, (std::vector<int>{200, 200}));
  EXPECT_EQ(link.line->purges, 2);
}

TEST(CommsRetry, FourFailuresRaiseTheFourthMessageAndStop) {
  FakeLink link;
  link.line->script.push_back(FakeSerialPort::Reply{});
  link.line->script.push_back(Bytes(Nak(1, 1)));
  link.line->script.push_back(Bytes(Corrupt(AckWithData(1, Hex("0073")), 0)));
  link.line->script.push_back(Bytes(Nak(1, 7)));
  link.line->script.push_back(Bytes(AckWithData(1, Hex("0073"))));  // a fifth attempt would succeed
  const ESerialCommunications e = ExamineFailure(link);
  EXPECT_EQ(e.Message(), Intro() + QStringLiteral("Error Type: NAK received, error = Examine Memory Fail"));
  EXPECT_EQ(e.ErrorKind(), kCommsNak);
  EXPECT_EQ(e.Code(), 7);
  EXPECT_EQ(link.line->writes.size(), 4u);
}

TEST(CommsRetry, LineErrorsAreClearedBetweenAttempts) {
  FakeLink link;
  FakeSerialPort::Reply noisy = Bytes(AckWithData(1, Hex("0073")));
  noisy.lineErrors = kLineErrorOverrun;
  link.line->script.push_back(noisy);
  link.line->script.push_back(Bytes(AckWithData(1, Hex("0073"))));
  uint8_t version[2] = {};
  link.comms->ExamineMemory(version, 2, 2, 0);
  EXPECT_EQ(link.line->writes.size(), 2u);
  // One check after each of the three reads, one clear after the failure.
  EXPECT_EQ(link.line->lineErrorReads, 4);
}

TEST(CommsRetry, AnswerInSingleByteReadsIsAssembled) {
  FakeLink link;
  FakeSerialPort::Reply slow = Bytes(AckWithData(1, Hex("0073")));
  slow.chunk = 1;
  link.line->script.push_back(slow);
  uint8_t version[2] = {};
  link.comms->ExamineMemory(version, 2, 2, 0);
  EXPECT_EQ(version[0], 0x00);
  EXPECT_EQ(version[1], 0x73);
  EXPECT_EQ(link.line->writes.size(), 1u);
}

struct AckCase {
  const char* name;
  bool dataFlag;
  int lengthByte;
};

class CommsSetAcknowledge : public testing::TestWithParam<AckCase> {};

TEST_P(CommsSetAcknowledge, IsAcceptedWhateverItsDataFlagAndLength) {
  FakeLink link;
  link.line->script.push_back(
      Bytes(ResponsePacket(kMsgAcknowledge, 1, 0, 0, {}, GetParam().dataFlag, GetParam().lengthByte)));
  const uint8_t data[4] = {1, 2, 3, 4};
  link.comms->SetMemory(data, 4, 11, 0);
  EXPECT_EQ(link.line->writes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Forms, CommsSetAcknowledge,
                         testing::Values(AckCase{"Bare", false, 0}, AckCase{"FlagSet", true, 0},
                                         AckCase{"OtherLength", false, 77},
                                         AckCase{"FlagAndLength", true, 200}),
                         [](const testing::TestParamInfo<AckCase>& param) {
                           return std::string(param.param.name);
                         });

struct ChunkCase {
  int count;
  uint16_t address;
  std::vector<std::pair<int, int>> chunks;  // address, length
};

class CommsChunking : public testing::TestWithParam<ChunkCase> {};

std::vector<std::pair<int, int>> RequestedChunks(const FakeLink& link) {
  std::vector<std::pair<int, int>> chunks;
  for (const QByteArray& w : link.line->writes) {
    const auto* b = reinterpret_cast<const uint8_t*>(w.constData());
    chunks.emplace_back((b[6] << 8) | b[7], b[8]);
  }
  return chunks;
}

TEST_P(CommsChunking, ExamineCutsTheBlockIntoChunksOf128) {
  FakeDevice device;
  for (size_t i = 0; i < device.storedImage.size(); ++i) device.storedImage[i] = static_cast<uint8_t>(i * 7);
  FakeLink link;
  link.AttachDevice(device);
  std::vector<uint8_t> buffer(GetParam().count + 1, 0xEE);
  link.comms->ExamineMemory(buffer.data(), static_cast<uint16_t>(GetParam().count), ConfigReadBase,
                            GetParam().address);
  EXPECT_EQ(RequestedChunks(link), GetParam().chunks);
  for (int i = 0; i < GetParam().count; ++i)
    ASSERT_EQ(buffer[i], static_cast<uint8_t>((GetParam().address + i) * 7)) << "byte " << i;
  EXPECT_EQ(buffer[GetParam().count], 0xEE);  // nothing written past the block
}

TEST_P(CommsChunking, SetCutsTheBlockIntoChunksOf128WithTheirData) {
  FakeDevice device;
  FakeLink link;
  link.AttachDevice(device);
  std::vector<uint8_t> data(GetParam().count);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i + 3);
  link.comms->SetMemory(data.data(), static_cast<uint16_t>(data.size()), ConfigWriteBase, GetParam().address);
  EXPECT_EQ(RequestedChunks(link), GetParam().chunks);
  for (int i = 0; i < GetParam().count; ++i)
    ASSERT_EQ(device.receivedImage[GetParam().address + i], data[i]) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Counts, CommsChunking,
    testing::Values(ChunkCase{0, 0, {}}, ChunkCase{128, 0, {{0, 128}}},
                    ChunkCase{129, 5, {{5, 128}, {133, 1}}},
                    ChunkCase{
                        672, 0, {{0, 128}, {128, 128}, {256, 128}, {384, 128}, {512, 128}, {640, 32}}}));

TEST(CommsChunking, AddressesWrapAt16Bits) {
  FakeLink link;
  link.line->responder = [](const QByteArray& request) {
    FakeSerialPort::Reply r;
    r.bytes = BareAck(static_cast<uint8_t>(request[4]));
    return r;
  };
  std::vector<uint8_t> data(200, 1);
  link.comms->SetMemory(data.data(), 200, 11, 0xFFC0);
  EXPECT_EQ(RequestedChunks(link), (std::vector<std::pair<int, int>>{{0xFFC0, 128}, {0x0040, 72}}));
}

TEST(CommsSequence, TwoHundredFiftyFiveIsFollowedByZero) {
  FakeLink link(QStringLiteral("COM1"), 254);
  link.line->responder = [](const QByteArray& request) {
    FakeSerialPort::Reply r;
    r.bytes = AckWithData(static_cast<uint8_t>(request[4]), Hex("0073"));
    return r;
  };
  uint8_t buffer[2];
  link.comms->ExamineMemory(buffer, 2, 2, 0);
  link.comms->ExamineMemory(buffer, 2, 2, 0);
  link.comms->ExamineMemory(buffer, 2, 2, 0);
  ASSERT_EQ(link.line->writes.size(), 3u);
  EXPECT_EQ(static_cast<uint8_t>(link.line->writes[0][4]), 255);
  EXPECT_EQ(static_cast<uint8_t>(link.line->writes[1][4]), 0);
  EXPECT_EQ(static_cast<uint8_t>(link.line->writes[2][4]), 1);
}

TEST(CommsSequence, CounterSurvivesTheLink) {
  {
    FakeLink first(QStringLiteral("COM1"), 10);
    first.line->script.push_back(Bytes(AckWithData(11, Hex("0073"))));
    uint8_t buffer[2];
    first.comms->ExamineMemory(buffer, 2, 2, 0);
  }
  auto line = std::make_shared<FakeSerialPort::State>();
  RecordingSleeper sleeper;
  QVASerialComms second(QStringLiteral("COM1"), std::make_unique<FakeSerialPort>(line), sleeper);
  line->script.push_back(Bytes(AckWithData(12, Hex("0073"))));
  uint8_t buffer[2];
  second.ExamineMemory(buffer, 2, 2, 0);
  EXPECT_EQ(static_cast<uint8_t>(line->writes[0][4]), 12);
}

TEST(CommsProgress, ReportsEachChunkOffsetAndAbortsWithItsText) {
  FakeDevice device;
  FakeLink link;
  link.AttachDevice(device);
  std::vector<int> offsets;
  std::vector<uint8_t> buffer(300);
  link.comms->ExamineMemory(buffer.data(), 300, ConfigReadBase, 0, [&](int offset) {
    offsets.push_back(offset);
    return true;
  });
  EXPECT_EQ(offsets, (std::vector<int>{0, 128, 256}));

  try {
    link.comms->ExamineMemory(buffer.data(), 300, ConfigReadBase, 0, [](int) { return false; });
    FAIL() << "no abort";
  } catch (const EAbort& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Read aborted"));
  }
  try {
    link.comms->SetMemory(buffer.data(), 300, ConfigWriteBase, 0, [](int offset) { return offset < 128; });
    FAIL() << "no abort";
  } catch (const EAbort& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Send aborted"));
  }
  // The set stopped after its second chunk.
  EXPECT_EQ(RequestedChunks(link).back(), (std::pair<int, int>{128, 128}));
}

TEST(CommsNak, TextsOfEveryCode) {
  const char* texts[] = {"No Error", "Bad Packet", "QVA receiver overrun", "Bad Command",
                         "Bad Base", "Bad Length", "Set Memory Fail",      "Examine Memory Fail"};
  for (int code = 0; code < 8; ++code)
    EXPECT_EQ(NakErrorText(static_cast<uint8_t>(code)), QString::fromLatin1(texts[code]));
  EXPECT_EQ(NakErrorText(8), QStringLiteral("Unknown error type 8"));
  EXPECT_EQ(NakErrorText(127), QStringLiteral("Unknown error type 127"));
  EXPECT_EQ(NakErrorText(255), QStringLiteral("Unknown error type -1"));
}

TEST(CommsIntro, IsFourLinesWithABlankLine) {
  EXPECT_EQ(
      CommsErrorIntro(),
      QStringLiteral("There was an error communicating with the device.\nYou should check that the device is "
                     "properly connected and powered on.\n\nIf the problem persists, you should contact your "
                     "Ulmora dealer for advice.\n"));
}

struct OpenCase {
  const char* name;
  PortOpenFailure failure;
  std::function<QString()> message;
};

class CommsOpen : public testing::TestWithParam<OpenCase> {};

TEST_P(CommsOpen, FailureRaisesItsMessageNamingThePortTheUserChoseAndItsDevice) {
  auto line = std::make_shared<FakeSerialPort::State>();
  line->openResult = {GetParam().failure, EINVAL};
  RecordingSleeper sleeper;
  try {
    QVASerialComms comms(QStringLiteral("COM3"), std::make_unique<FakeSerialPort>(line), sleeper);
    FAIL() << "opened";
  } catch (const ESerialCommunications& e) {
    EXPECT_EQ(e.Message(), GetParam().message());
    EXPECT_EQ(e.ErrorKind(), kCommsPlatformError);
    EXPECT_EQ(e.Code(), EINVAL);
  }
  EXPECT_TRUE(line->writes.empty());
}

QString Internal() {
  return QStringLiteral(".\n\nYou should contact your Ulmora dealer for advice.\n") + kSystem +
         QStringLiteral(" reported the following error : ");
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CommsOpen,
    testing::Values(
        OpenCase{"AccessDenied", PortOpenFailure::AccessDenied,
                 [] {
                   return QStringLiteral("The communication port ") + kCom3 +
                          QStringLiteral(" is in use by another program.\nYou should close the other program "
                                         "and try the operation again.\n");
                 }},
        OpenCase{"Open", PortOpenFailure::Open,
                 [] {
                   return QStringLiteral("An error occurred while opening communication port ") + kCom3 +
                          QStringLiteral(".\n") + kSystem + QStringLiteral(" reported the following error : ") +
                          SystemErrorText(EINVAL) +
                          QStringLiteral(".\nYou should close all other programs and try the operation again.\n");
                 }},
        OpenCase{"GetSettings", PortOpenFailure::GetSettings,
                 [] {
                   return QStringLiteral(
                              "There was an internal error while retrieving parameters for communication port ") +
                          kCom3 + Internal() + SystemErrorText(EINVAL) +
                          QStringLiteral(" when attempting to get the communication port state.\n");
                 }},
        OpenCase{"SetSettings", PortOpenFailure::SetSettings,
                 [] {
                   return QStringLiteral("There was an internal error while setting parameters for port ") + kCom3 +
                          Internal() + SystemErrorText(EINVAL) +
                          QStringLiteral(" when attempting to set the communication port state.\n");
                 }},
        OpenCase{"QueueSizes", PortOpenFailure::QueueSizes,
                 [] {
                   return QStringLiteral(
                              "There was an internal error while setting parameters for communication port ") +
                          kCom3 + Internal() + SystemErrorText(EINVAL) +
                          QStringLiteral(" when attempting to set the queue sizes.\n");
                 }},
        OpenCase{"Timeouts", PortOpenFailure::Timeouts,
                 [] {
                   return QStringLiteral(
                              "There was an internal error while setting parameters for communication port ") +
                          kCom3 + Internal() + SystemErrorText(EINVAL) +
                          QStringLiteral(" when attempting to set the communication timeouts.\n");
                 }}),
    [](const testing::TestParamInfo<OpenCase>& param) { return std::string(param.param.name); });

TEST(CommsOpen, ClosesThePortWhenTheLinkEnds) {
  auto line = std::make_shared<FakeSerialPort::State>();
  RecordingSleeper sleeper;
  {
    QVASerialComms comms(QStringLiteral("COM1"), std::make_unique<FakeSerialPort>(line), sleeper);
    EXPECT_TRUE(line->open);
  }
  EXPECT_TRUE(line->closed);
}

TEST(CommsPortDevices, OnlyTheEightNamesMapToDevicesAndAnythingElseIsAPath) {
  if (!PortDevicesConfigurable()) GTEST_SKIP() << "port names are devices on this platform";
  const QString here = QDir::currentPath();
  const struct {
    const char* name;
    QString device;
  } cases[] = {
      {"COM1", QStringLiteral("/dev/ttyS0")},
      {"COM8", QStringLiteral("/dev/ttyS7")},
      {"/tmp/some/pty", QStringLiteral("/tmp/some/pty")},
      {"link", here + QStringLiteral("/link")},
      {"sub/link", here + QStringLiteral("/sub/link")},
      {"COM9", here + QStringLiteral("/COM9")},
      {"com1", here + QStringLiteral("/com1")},
  };
  for (const auto& c : cases) EXPECT_EQ(PortDeviceName(QString::fromLatin1(c.name)), c.device) << c.name;
}

TEST(CommsPortDevices, StoredDevicesReplaceTheDefaults) {
  if (!PortDevicesConfigurable()) GTEST_SKIP() << "port names are devices on this platform";
  SetPortDevice(QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0"));
  EXPECT_EQ(PortDeviceName(QStringLiteral("COM3")), QStringLiteral("/dev/ttyUSB0"));
  EXPECT_EQ(PortDeviceName(QStringLiteral("COM2")), QStringLiteral("/dev/ttyS1"));
  // A bare device name typed in the port dialog is one in /dev, never one
  // in whatever folder the program was started from.
  SetPortDevice(QStringLiteral("COM4"), QStringLiteral("ttyACM1"));
  EXPECT_EQ(PortDeviceName(QStringLiteral("COM4")), QStringLiteral("/dev/ttyACM1"));
  SetPortDevice(QStringLiteral("COM3"), QStringLiteral("  "));
  EXPECT_EQ(PortDeviceName(QStringLiteral("COM3")), QStringLiteral("/dev/ttyS2"));
}

TEST(CommsPortDevices, LinkOpensTheMappedDeviceButNamesThePort) {
  if (!PortDevicesConfigurable()) GTEST_SKIP() << "port names are devices on this platform";
  SetPortDevice(QStringLiteral("COM2"), QStringLiteral("/dev/ttyACM4"));
  auto line = std::make_shared<FakeSerialPort::State>();
  RecordingSleeper sleeper;
  QVASerialComms comms(QStringLiteral("COM2"), std::make_unique<FakeSerialPort>(line), sleeper);
  EXPECT_EQ(line->openedDevice, QStringLiteral("/dev/ttyACM4"));
  EXPECT_EQ(comms.PortName(), QStringLiteral("COM2"));
  EXPECT_EQ(comms.PortLabel(), QStringLiteral("COM2 (/dev/ttyACM4)"));
}
