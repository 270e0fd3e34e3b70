#include <gtest/gtest.h>

#include "comms/devicecommands.h"
#include "commstestsupport.h"

namespace {

struct Bench {
  FakeDevice device;
  FakeLink link;
  Bench() { link.AttachDevice(device); }
  QVASerialComms& comms() { return *link.comms; }
};

}  // namespace

struct FirmwareCase {
  uint16_t word;
  unsigned reduced;
  bool get;
  bool send;
};

class DeviceFirmware : public testing::TestWithParam<FirmwareCase> {};

TEST_P(DeviceFirmware, WordIsReducedAndJudgedByTheRule) {
  Bench bench;
  bench.device.firmwareWord = GetParam().word;
  const unsigned version = ReadFirmwareVersion(bench.comms());
  EXPECT_EQ(version, GetParam().reduced);
  EXPECT_EQ(FirmwareAllowsGet(version), GetParam().get);
  EXPECT_EQ(FirmwareAllowsSend(version), GetParam().send);
}

INSTANTIATE_TEST_SUITE_P(Words, DeviceFirmware,
                         testing::Values(FirmwareCase{0, 0, true, false}, FirmwareCase{105, 10, true, false},
                                         FirmwareCase{110, 11, true, true}, FirmwareCase{115, 11, true, true},
                                         FirmwareCase{119, 11, true, true},
                                         FirmwareCase{120, 12, false, false},
                                         FirmwareCase{65535, 6553, false, false}),
                         [](const auto& param) { return "Word" + std::to_string(param.param.word); });

TEST(DeviceFirmware, ReadsTwoBytesOfBaseTwoAtAddressZero) {
  Bench bench;
  ReadFirmwareVersion(bench.comms());
  ASSERT_EQ(bench.link.line->writes.size(), 1u);
  EXPECT_EQ(bench.link.line->writes[0].mid(3, 6), Hex("00 01 02 00 00 02"));
}

TEST(DeviceVersionMismatch, GetTextForFirmware12) {
  EXPECT_EQ(VersionMismatchMessage(TransferDirection::Get, 12),
            QStringLiteral(
                "The configuration could not be retrieved from the QVA.\n\n\rThe QVA firmware version "
                "(V1.2) is newer than this version of QVA Setup (V1.1). \n\n\rThe correct version of QVA "
                "Setup for this QVA is available from the Ulmora website."));
}

TEST(DeviceVersionMismatch, SendTextForFirmware10) {
  EXPECT_EQ(VersionMismatchMessage(TransferDirection::Send, 10),
            QStringLiteral(
                "The configuration could not be sent to the QVA.\n\n\rThe QVA firmware version (V1.0) is "
                "not compatible with this version of QVA Setup (V1.1). \n\n\rThe correct version of QVA "
                "Setup for this QVA is available from the Ulmora website."));
}

TEST(DeviceVersionMismatch, LargeVersionsKeepTheirDigits) {
  EXPECT_TRUE(VersionMismatchMessage(TransferDirection::Send, 123).contains(QStringLiteral("(V12.3)")));
}

TEST(DeviceStates, NamesOfEveryState) {
  const std::vector<std::pair<uint8_t, QString>> cases = {{0, QStringLiteral("RUN")},
                                                          {1, QStringLiteral("CONTROL_WAIT")},
                                                          {2, QStringLiteral("PUMP_WAIT")},
                                                          {3, QStringLiteral("WARM_UP")},
                                                          {4, QStringLiteral("NO_HEATER")},
                                                          {5, QStringLiteral("STOP")},
                                                          {6, QStringLiteral("PUMP_OFF")},
                                                          {7, QStringLiteral("Unknown state (7)")},
                                                          {127, QStringLiteral("Unknown state (127)")},
                                                          {128, QStringLiteral("Unknown state (-128)")},
                                                          {0xFF, QStringLiteral("Unknown state (-1)")}};
  for (const auto& [state, name] : cases) EXPECT_EQ(DeviceStateName(state), name) << int(state);
}

TEST(DeviceStatus, WordsAreConvertedToHostOrderAndBytesKept) {
  Bench bench;
  bench.device.status = {0x12, 0x34, 0xAB, 0xCD, 0x00, 0x07, 9, 9, 3, 1, 0, 0, 4, 2};
  const DeviceStatusBlock status = ReadStatusBlock(bench.comms());
  EXPECT_EQ(status.command, 0x1234);
  EXPECT_EQ(status.word2, 0xABCD);
  EXPECT_EQ(status.word4, 0x0007);
  EXPECT_EQ(status.CopyResult(), 3);
  EXPECT_EQ(status.CrcCheckBypass(), 1);
  EXPECT_EQ(status.State(), 4);
  EXPECT_EQ(status.SensorType(), 2);
  EXPECT_EQ(bench.link.line->writes[0].mid(3, 6), Hex("00 01 03 00 00 0E"));
}

TEST(DeviceLiveData, PumpCurrentIsASignedBigEndianWord) {
  FakeLink link;
  QByteArray data(kLiveDataSize, '\x11');
  data[0] = static_cast<char>(0xFE);
  data[1] = static_cast<char>(0x0C);
  link.line->script.push_back({AckWithData(1, data)});
  const DeviceLiveData live = ReadLiveData(*link.comms);
  EXPECT_EQ(live.ip, -500);
  EXPECT_EQ(live.raw[27], 0x11);
  EXPECT_EQ(link.line->writes[0].mid(3, 6), Hex("00 01 0C 00 00 1C"));
}

TEST(DeviceConfig, ReadAndWriteMoveTheWholeImageOfTheirBases) {
  Bench bench;
  for (size_t i = 0; i < kConfigSize; ++i) bench.device.storedImage[i] = static_cast<uint8_t>(i ^ 0x5A);
  const QVA_CONFIG_DATA image = ReadDeviceConfig(bench.comms());
  const ConfigBytes bytes = ConfigToBytes(image);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), bench.device.storedImage.begin()));
  WriteDeviceConfig(bench.comms(), image);
  EXPECT_EQ(bench.device.receivedImage, bench.device.storedImage);
  EXPECT_EQ(bench.link.line->writes.size(), 12u);
  EXPECT_EQ(static_cast<uint8_t>(bench.link.line->writes[0][5]), ConfigReadBase);
  EXPECT_EQ(static_cast<uint8_t>(bench.link.line->writes[6][5]), ConfigWriteBase);
}

TEST(DeviceCopyToEE, WritesTheCommandBytesInOrder) {
  Bench bench;
  EXPECT_TRUE(CopyConfigToEE(bench.comms(), bench.link.sleeper));
  EXPECT_EQ(bench.link.line->writes[0].mid(3, 6), Hex("81 01 03 00 00 02"));
  EXPECT_EQ(bench.link.line->writes[0].mid(11, 2), Hex("7C 3A"));
}

TEST(DeviceCopyToEE, CommandAlreadyClearAtTheFirstPollEndsAfterOneWait) {
  Bench bench;
  int polls = 0;
  EXPECT_TRUE(CopyConfigToEE(bench.comms(), bench.link.sleeper, [&] { ++polls; }));
  EXPECT_EQ(bench.link.sleeper.waits, std::vector<int>{50});
  EXPECT_EQ(bench.device.statusReads, 1);
  EXPECT_EQ(polls, 1);
}

TEST(DeviceCopyToEE, PollsEvery50MsUntilTheCommandClears) {
  Bench bench;
  bench.device.busyPolls = 3;
  int callsBeforeRead = 0;
  std::vector<int> readsSeen;
  EXPECT_TRUE(CopyConfigToEE(bench.comms(), bench.link.sleeper, [&] {
    ++callsBeforeRead;
    readsSeen.push_back(bench.device.statusReads);
  }));
  EXPECT_EQ(bench.link.sleeper.waits, std::vector<int>(4, 50));
  EXPECT_EQ(readsSeen, (std::vector<int>{0, 1, 2, 3}));  // called before each read
}

TEST(DeviceCopyToEE, NonZeroResultByteIsFailure) {
  Bench bench;
  bench.device.copyResults = {5};
  EXPECT_FALSE(CopyConfigToEE(bench.comms(), bench.link.sleeper));
}

TEST(DeviceCopyToEE, MeterThatNeverClearsTheCommandIsGivenUpWithFailure) {
  Bench bench;
  bench.device.busyPolls = -1;
  EXPECT_FALSE(CopyConfigToEE(bench.comms(), bench.link.sleeper));
  EXPECT_EQ(bench.device.statusReads, kCopyPollLimit);
  EXPECT_EQ(static_cast<int>(bench.link.sleeper.waits.size()), kCopyPollLimit);
}

TEST(DeviceCopyToEE, LinkFailureDuringPollingPropagates) {
  Bench bench;
  bench.device.busyPolls = -1;
  int reads = 0;
  auto responder = bench.device.Responder();
  bench.link.line->responder = [&](const QByteArray& request) {
    if (static_cast<uint8_t>(request[5]) == StatusBlockBase &&
        (request[3] & kPacketTypeMask) == kMsgExamineMemory && ++reads > 2)
      return FakeSerialPort::Reply{};  // the line goes silent
    return responder(request);
  };
  try {
    CopyConfigToEE(bench.comms(), bench.link.sleeper);
    FAIL() << "no failure";
  } catch (const ESerialCommunications& e) {
    EXPECT_EQ(e.ErrorKind(), kCommsReadTimeout);
  }
}
