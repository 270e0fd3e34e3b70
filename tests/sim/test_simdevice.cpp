// The simulated meter's memory map, its checks of requests, the copy to
// EEPROM, its command line and its files.

#include <random>

#include <QJsonObject>

#include <gtest/gtest.h>

#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"
#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"
#include "simdevice.h"
#include "simoptions.h"
#include "simregister.h"
#include "simstore.h"
#include "support/samplerecords.h"
#include "support/testenvironment.h"

using namespace qvasim;

namespace {

Request MakeRequest(uint8_t type, uint8_t base, uint16_t address, uint8_t length, const Bytes& data = {}) {
  Request r;
  r.typeByte = static_cast<uint8_t>(type | (data.empty() ? 0 : kDataFlag));
  r.sequence = 1;
  r.base = base;
  r.address = address;
  r.length = length;
  r.data = data;
  return r;
}

Request Examine(uint8_t base, uint16_t address, uint8_t length) {
  return MakeRequest(kTypeExamine, base, address, length);
}

Request Set(uint8_t base, uint16_t address, const Bytes& data) {
  return MakeRequest(kTypeSet, base, address, static_cast<uint8_t>(data.size()), data);
}

// The data block of an acknowledge, checked as the host checks it.
Bytes AckData(const Bytes& answer) {
  EXPECT_GE(answer.size(), kHeaderSize);
  if (answer.size() < kHeaderSize) return {};
  EXPECT_EQ(answer[3] & kTypeMask, kTypeAck);
  if (answer.size() == kHeaderSize) return {};
  return Bytes(answer.begin() + kHeaderSize, answer.end() - kDataCrcSize);
}

// The sample record as the device stores it; the sensor type tells images apart.
ConfigBytes SealedImage(uint8_t sensorType) {
  return ConfigToBytes(SealForDevice(SampleConfig({.sensorType = sensorType})));
}

// Writes a whole image to the write area as the host does: 128-byte chunks.
void WriteImage(SimDevice& device, const ConfigBytes& image, int64_t nowMs) {
  for (std::size_t offset = 0; offset < image.size(); offset += kMaxDataLength) {
    const std::size_t chunk = std::min(kMaxDataLength, image.size() - offset);
    const Bytes data(image.begin() + offset, image.begin() + offset + chunk);
    ASSERT_EQ(AckData(device.Handle(Set(kConfigWriteBase, static_cast<uint16_t>(offset), data), nowMs)),
              Bytes());
  }
}

uint16_t CommandWord(SimDevice& device, int64_t nowMs) {
  const Bytes block = AckData(device.Handle(Examine(kStatusBlockBase, 0, 14), nowMs));
  return block.size() == 14 ? static_cast<uint16_t>((block[0] << 8) | block[1]) : 0xFFFF;
}

uint8_t CopyResultByte(SimDevice& device, int64_t nowMs) {
  const Bytes block = AckData(device.Handle(Examine(kStatusBlockBase, 0, 14), nowMs));
  return block.size() == 14 ? block[8] : 0xFF;
}

void StartCopy(SimDevice& device, int64_t nowMs) {
  ASSERT_EQ(AckData(device.Handle(Set(kStatusBlockBase, 0, {0x7C, 0x3A}), nowMs)), Bytes());
}

}  // namespace

// ---- checks of requests -------------------------------------------------

struct CheckCase {
  const char* name;
  Request request;
  std::optional<uint8_t> nak;
};

class SimDeviceCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SimDeviceCheck, AnswersAsTheMeterDoes) {
  SimDevice device(DeviceSettings{}, SealedImage(1), 0);
  const CheckCase& c = GetParam();
  const std::optional<uint8_t> nak = device.Check(c.request);
  ASSERT_EQ(nak.has_value(), c.nak.has_value()) << c.name;
  if (nak) {
    EXPECT_EQ(*nak, *c.nak) << c.name;
  }
}

Request WithBadHeader() {
  Request r = Examine(2, 0, 2);
  r.headerCrcOk = false;
  return r;
}

Request WithBadData() {
  Request r = Set(11, 0, {1, 2});
  r.dataCrcOk = false;
  return r;
}

Request ExamineWithData() {
  Request r = Examine(10, 0, 2);
  r.typeByte |= kDataFlag;
  r.data = {1, 2};
  return r;
}

Request SetWithoutFlag() {
  Request r = Set(11, 0, {1, 2});
  r.typeByte &= kTypeMask;
  r.data.clear();
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, SimDeviceCheck,
    ::testing::Values(CheckCase{"firmware", Examine(2, 0, 2), std::nullopt},
                      CheckCase{"status block", Examine(3, 0, 14), std::nullopt},
                      CheckCase{"last config chunk", Examine(10, 640, 32), std::nullopt},
                      CheckCase{"live data", Examine(12, 0, 28), std::nullopt},
                      CheckCase{"write area chunk", Set(11, 512, Bytes(128, 0)), std::nullopt},
                      CheckCase{"command word", Set(3, 0, {0x7C, 0x3A}), std::nullopt},
                      CheckCase{"bad header CRC", WithBadHeader(), kNakBadPacket},
                      CheckCase{"bad data CRC", WithBadData(), kNakBadPacket},
                      CheckCase{"examine carrying data", ExamineWithData(), kNakBadPacket},
                      CheckCase{"set length without data", SetWithoutFlag(), kNakBadPacket},
                      CheckCase{"acknowledge as request", MakeRequest(kTypeAck, 2, 0, 2), kNakBadCommand},
                      CheckCase{"type 0x7F", MakeRequest(0x7F, 2, 0, 2), kNakBadCommand},
                      CheckCase{"base 0", Examine(0, 0, 2), kNakBadBase},
                      CheckCase{"base 13", Examine(13, 0, 2), kNakBadBase},
                      CheckCase{"base 255", Set(255, 0, {1}), kNakBadBase},
                      CheckCase{"examine nothing", Examine(10, 0, 0), kNakBadLength},
                      CheckCase{"examine 129", Examine(10, 0, 129), kNakBadLength},
                      CheckCase{"set 129", Set(11, 0, Bytes(129, 0)), kNakBadLength},
                      CheckCase{"past the config", Examine(10, 640, 33), kNakBadLength},
                      CheckCase{"address past the config", Examine(10, 672, 1), kNakBadLength},
                      CheckCase{"firmware 3 bytes", Examine(2, 0, 3), kNakBadLength},
                      CheckCase{"address wraps 16 bits", Examine(10, 0xFFFF, 2), kNakBadLength},
                      CheckCase{"status tail written", Set(3, 2, {0, 0}), kNakBadLength},
                      CheckCase{"half command word", Set(3, 0, {0x7C}), kNakBadLength},
                      CheckCase{"write firmware", Set(2, 0, {0, 0}), kNakSetMemoryFail},
                      CheckCase{"write stored config", Set(10, 0, {0}), kNakSetMemoryFail},
                      CheckCase{"write live data", Set(12, 0, {0}), kNakSetMemoryFail},
                      CheckCase{"read write area", Examine(11, 0, 2), kNakExamineMemoryFail}),
    [](const ::testing::TestParamInfo<CheckCase>& param) {
      std::string name = param.param.name;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

TEST(SimDevice, RefusedRequestIsAnsweredWithANakOfItsSequence) {
  SimDevice device(DeviceSettings{}, SealedImage(1), 0);
  Request request = Examine(42, 0, 2);
  request.sequence = 77;
  const Bytes answer = device.Handle(request, 0);
  ASSERT_EQ(answer.size(), kHeaderSize);
  EXPECT_EQ(answer[3], kTypeNak);
  EXPECT_EQ(answer[4], 77);
  EXPECT_EQ(answer[5], kNakBadBase);
  EXPECT_EQ(device.Stats().naks, 1u);
}

// ---- memory map ---------------------------------------------------------

TEST(SimDevice, FirmwareWordIsHighByteFirst) {
  DeviceSettings settings;
  settings.firmwareWord = 0x0173;
  SimDevice device(settings, SealedImage(1), 0);
  EXPECT_EQ(AckData(device.Handle(Examine(2, 0, 2), 0)), (Bytes{0x01, 0x73}));
}

TEST(SimDevice, StoredConfigurationReadsBackInChunks) {
  const ConfigBytes image = SealedImage(3);
  SimDevice device(DeviceSettings{}, image, 0);
  Bytes all;
  for (uint16_t address = 0; address < kConfigSize; address += 128) {
    const uint8_t length = static_cast<uint8_t>(std::min<std::size_t>(128, kConfigSize - address));
    const Bytes chunk = AckData(device.Handle(Examine(10, address, length), 0));
    ASSERT_EQ(chunk.size(), length);
    all.insert(all.end(), chunk.begin(), chunk.end());
  }
  EXPECT_EQ(all, Bytes(image.begin(), image.end()));
}

TEST(SimDevice, StatusBlockReportsBypassStateAndSensor) {
  DeviceSettings settings;
  settings.crcBypass = 1;
  settings.states = {{kStatePumpOff, 0}};
  SimDevice device(settings, SealedImage(2), 0);
  const Bytes block = AckData(device.Handle(Examine(3, 0, 14), 0));
  ASSERT_EQ(block.size(), 14u);
  EXPECT_EQ(block[0], 0);
  EXPECT_EQ(block[1], 0);
  EXPECT_EQ(block[8], kCopyOk);
  EXPECT_EQ(block[9], 1);
  EXPECT_EQ(block[12], kStatePumpOff);
  EXPECT_EQ(block[13], 2);  // the stored configuration's sensor
}

TEST(SimDevice, SensorTypeOptionOverridesTheStoredOne) {
  DeviceSettings settings;
  settings.sensorType = 3;
  SimDevice device(settings, SealedImage(1), 0);
  EXPECT_EQ(device.StatusBlock(0)[13], 3);
}

TEST(SimDevice, StatesFollowTheirSequenceAndTheLastLastsForEver) {
  DeviceSettings settings;
  settings.states = {{kStateWarmUp, 3000}, {kStatePumpWait, 500}, {kStateRun, 0}};
  SimDevice device(settings, SealedImage(1), 1000);
  EXPECT_EQ(device.StateAt(1000), kStateWarmUp);
  EXPECT_EQ(device.StateAt(3999), kStateWarmUp);
  EXPECT_EQ(device.StateAt(4000), kStatePumpWait);
  EXPECT_EQ(device.StateAt(4499), kStatePumpWait);
  EXPECT_EQ(device.StateAt(4500), kStateRun);
  EXPECT_EQ(device.StateAt(1'000'000), kStateRun);
}

TEST(SimDevice, LiveDataCarriesSignedIpHighByteFirst) {
  DeviceSettings settings;
  settings.ipMicroamps = -1234;
  SimDevice device(settings, SealedImage(1), 0);
  const Bytes data = AckData(device.Handle(Examine(12, 0, 28), 0));
  ASSERT_EQ(data.size(), 28u);
  EXPECT_EQ(static_cast<int16_t>((data[0] << 8) | data[1]), -1234);
}

TEST(SimDevice, IpNoiseStaysWithinItsBoundAndVaries) {
  DeviceSettings settings;
  settings.ipMicroamps = 500;
  settings.ipNoise = 20;
  SimDevice device(settings, SealedImage(1), 0);
  int low = 1000, high = -1000;
  for (int i = 0; i < 500; ++i) {
    const Bytes data = device.LiveData();
    const int ip = static_cast<int16_t>((data[0] << 8) | data[1]);
    low = std::min(low, ip);
    high = std::max(high, ip);
  }
  EXPECT_GE(low, 480);
  EXPECT_LE(high, 520);
  EXPECT_LT(low, high);
}

TEST(SimDevice, IpWithNoiseIsClampedToSixteenBits) {
  DeviceSettings settings;
  settings.ipMicroamps = 32767;
  settings.ipNoise = 100;
  SimDevice device(settings, SealedImage(1), 0);
  for (int i = 0; i < 100; ++i) {
    const Bytes data = device.LiveData();
    ASSERT_GE(static_cast<int16_t>((data[0] << 8) | data[1]), 32667);
  }
}

// ---- copy to EEPROM -----------------------------------------------------

TEST(SimDeviceCopy, StoresTheWriteAreaAfterTheDelayAndClearsTheCommand) {
  DeviceSettings settings;
  settings.copyDelayMs = 100;
  SimDevice device(settings, SealedImage(1), 0);
  const ConfigBytes image = SealedImage(2);
  WriteImage(device, image, 0);
  StartCopy(device, 10);
  EXPECT_EQ(CommandWord(device, 60), 0x7C3A);
  EXPECT_EQ(device.StoredImage(), SealedImage(1));
  EXPECT_EQ(CommandWord(device, 110), 0);
  EXPECT_EQ(CopyResultByte(device, 111), kCopyOk);
  EXPECT_EQ(device.StoredImage(), image);
  EXPECT_EQ(device.Stats().copies, 1u);
  EXPECT_EQ(device.Stats().copySuccesses, 1u);
}

TEST(SimDeviceCopy, InjectedFailuresLeaveTheStoredConfigurationAndThenSucceed) {
  DeviceSettings settings;
  settings.failCopies = 2;
  SimDevice device(settings, SealedImage(1), 0);
  const ConfigBytes image = SealedImage(3);
  WriteImage(device, image, 0);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int64_t t = 1000 * (attempt + 1);
    StartCopy(device, t);
    ASSERT_EQ(CommandWord(device, t + 200), 0);
    EXPECT_EQ(CopyResultByte(device, t + 200), kCopyFailed);
    EXPECT_EQ(device.StoredImage(), SealedImage(1));
  }
  StartCopy(device, 5000);
  EXPECT_EQ(CommandWord(device, 5200), 0);
  EXPECT_EQ(CopyResultByte(device, 5200), kCopyOk);
  EXPECT_EQ(device.StoredImage(), image);
  EXPECT_EQ(device.Stats().copyFailures, 2u);
  EXPECT_EQ(device.Stats().copySuccesses, 1u);
}

TEST(SimDeviceCopy, ImageWithAWrongCrcIsRefused) {
  SimDevice device(DeviceSettings{}, SealedImage(1), 0);
  ConfigBytes image = SealedImage(2);
  image[100] ^= 0x01;  // contents changed after sealing
  WriteImage(device, image, 0);
  StartCopy(device, 0);
  EXPECT_EQ(CommandWord(device, 500), 0);
  EXPECT_EQ(CopyResultByte(device, 500), kCopyImageRejected);
  EXPECT_EQ(device.StoredImage(), SealedImage(1));
}

TEST(SimDeviceCopy, WithoutTheCrcCheckAnyImageIsStored) {
  DeviceSettings settings;
  settings.checkWriteCrc = false;
  SimDevice device(settings, SealedImage(1), 0);
  ConfigBytes image = SealedImage(2);
  image[100] ^= 0x01;
  WriteImage(device, image, 0);
  StartCopy(device, 0);
  EXPECT_EQ(CopyResultByte(device, 500), kCopyOk);
  EXPECT_EQ(device.StoredImage(), image);
}

TEST(SimDeviceCopy, CopiesTheWriteAreaAsItWasWhenTheCommandCame) {
  SimDevice device(DeviceSettings{}, SealedImage(1), 0);
  const ConfigBytes image = SealedImage(2);
  WriteImage(device, image, 0);
  StartCopy(device, 0);
  WriteImage(device, SealedImage(3), 20);
  EXPECT_EQ(CommandWord(device, 500), 0);
  EXPECT_EQ(device.StoredImage(), image);
}

TEST(SimDeviceCopy, RepeatedCommandWhileCopyingStartsNoSecondCopy) {
  SimDevice device(DeviceSettings{}, SealedImage(1), 0);
  WriteImage(device, SealedImage(2), 0);
  StartCopy(device, 0);
  StartCopy(device, 50);
  EXPECT_EQ(CommandWord(device, 100), 0);
  EXPECT_EQ(CommandWord(device, 1000), 0);
  EXPECT_EQ(device.Stats().copies, 1u);
}

TEST(SimDeviceCopy, UnknownCommandWordIsClearedWithAFailure) {
  SimDevice device(DeviceSettings{}, SealedImage(1), 0);
  ASSERT_EQ(AckData(device.Handle(Set(3, 0, {0x12, 0x34}), 0)), Bytes());
  EXPECT_EQ(CommandWord(device, 0), 0);
  EXPECT_EQ(CopyResultByte(device, 0), kCopyUnknownCommand);
  EXPECT_EQ(device.Stats().copies, 0u);
}

TEST(SimDeviceCopy, FailedStoreLeavesTheConfigurationAndReportsIt) {
  SimDevice device(DeviceSettings{}, SealedImage(1), 0);
  int calls = 0;
  device.SetStoreHook([&calls](const ConfigBytes&) {
    ++calls;
    return QStringLiteral("disk full");
  });
  WriteImage(device, SealedImage(2), 0);
  StartCopy(device, 0);
  EXPECT_EQ(CopyResultByte(device, 500), kCopyStoreFailed);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(device.StoredImage(), SealedImage(1));
}

TEST(SimDeviceCopy, SummaryTellsWhatTheDeviceEndedUpWith) {
  SimDevice device(DeviceSettings{}, SealedImage(1), 0);
  WriteImage(device, SealedImage(2), 0);
  StartCopy(device, 0);
  device.Tick(1000);
  const QJsonObject summary = device.Summary(1000);
  EXPECT_EQ(summary.value(QStringLiteral("copies")).toInt(), 1);
  EXPECT_EQ(summary.value(QStringLiteral("copy_successes")).toInt(), 1);
  EXPECT_EQ(summary.value(QStringLiteral("copy_failures")).toInt(), 0);
  EXPECT_TRUE(summary.value(QStringLiteral("stored_config_crc_valid")).toBool());
  EXPECT_EQ(summary.value(QStringLiteral("write_area_bytes_written")).toInt(), 672);
  const ConfigBytes image = SealedImage(2);
  EXPECT_EQ(summary.value(QStringLiteral("write_area")).toString(), ToHex(image.data(), image.size()));
  EXPECT_EQ(summary.value(QStringLiteral("stored_config")).toString(), ToHex(image.data(), image.size()));
}

// ---- states by name -----------------------------------------------------

TEST(SimStates, NamesAreTheOnesTheProgramShows) {
  const std::pair<uint8_t, const char*> names[] = {{0, "RUN"},     {1, "CONTROL_WAIT"}, {2, "PUMP_WAIT"},
                                                   {3, "WARM_UP"}, {4, "NO_HEATER"},    {5, "STOP"},
                                                   {6, "PUMP_OFF"}};
  for (const auto& [value, name] : names) {
    EXPECT_EQ(DeviceStateName(value), QString::fromLatin1(name));
    EXPECT_EQ(ParseDeviceState(QString::fromLatin1(name)), value);
  }
  EXPECT_FALSE(DeviceStateName(7).has_value());
  EXPECT_EQ(ParseDeviceState(QStringLiteral("255")), 255);
  EXPECT_FALSE(ParseDeviceState(QStringLiteral("256")).has_value());
  EXPECT_FALSE(ParseDeviceState(QStringLiteral("IDLE")).has_value());
}

TEST(SimStates, ParsesASequence) {
  const auto steps = ParseStates(QStringLiteral("WARM_UP:3,pump_wait:0.5,RUN"));
  ASSERT_TRUE(steps.has_value());
  ASSERT_EQ(steps->size(), 3u);
  EXPECT_EQ((*steps)[0].state, kStateWarmUp);
  EXPECT_EQ((*steps)[0].durationMs, 3000);
  EXPECT_EQ((*steps)[1].state, kStatePumpWait);
  EXPECT_EQ((*steps)[1].durationMs, 500);
  EXPECT_EQ((*steps)[2].state, kStateRun);
}

TEST(SimStates, RejectsMalformedSequences) {
  for (const char* text : {"", "WARM_UP,RUN", "WARM_UP:x,RUN", "WARM_UP:-1,RUN", "RUN:1:2", "BOGUS"}) {
    EXPECT_FALSE(ParseStates(QString::fromLatin1(text)).has_value()) << text;
  }
}

// ---- command line -------------------------------------------------------

TEST(SimOptions, DefaultsServeAPacedPtyWithFirmware115) {
  const ParseOutcome outcome = ParseSimOptions({});
  ASSERT_TRUE(outcome.options.has_value());
  EXPECT_TRUE(outcome.options->devicePath.isEmpty());
  EXPECT_TRUE(outcome.options->pacing);
  EXPECT_EQ(outcome.options->device.firmwareWord, 115);
  EXPECT_EQ(outcome.options->device.copyDelayMs, 100);
  EXPECT_TRUE(outcome.options->device.checkWriteCrc);
}

TEST(SimOptions, ReadsEveryOption) {
  const ParseOutcome outcome = ParseSimOptions({QStringLiteral("--firmware"),
                                                QStringLiteral("120"),
                                                QStringLiteral("--crc-bypass"),
                                                QStringLiteral("--sensor-type=2"),
                                                QStringLiteral("--states"),
                                                QStringLiteral("WARM_UP:3,RUN"),
                                                QStringLiteral("--ip"),
                                                QStringLiteral("-250"),
                                                QStringLiteral("--ip-noise"),
                                                QStringLiteral("5"),
                                                QStringLiteral("--fail-copies"),
                                                QStringLiteral("2"),
                                                QStringLiteral("--copy-delay"),
                                                QStringLiteral("30"),
                                                QStringLiteral("--no-crc-check"),
                                                QStringLiteral("--fault"),
                                                QStringLiteral("3:nak:200"),
                                                QStringLiteral("--fault"),
                                                QStringLiteral("1:silence"),
                                                QStringLiteral("--fault-rate"),
                                                QStringLiteral("10"),
                                                QStringLiteral("--seed"),
                                                QStringLiteral("42"),
                                                QStringLiteral("--no-pacing"),
                                                QStringLiteral("--log"),
                                                QStringLiteral("--config"),
                                                QStringLiteral("a.Q11"),
                                                QStringLiteral("--bad-crc"),
                                                QStringLiteral("--eeprom"),
                                                QStringLiteral("e.Q11"),
                                                QStringLiteral("--state-file"),
                                                QStringLiteral("s.json"),
                                                QStringLiteral("--link"),
                                                QStringLiteral("/tmp/x/qva")});
  ASSERT_TRUE(outcome.options.has_value()) << outcome.text.toStdString();
  const SimOptions& o = *outcome.options;
  EXPECT_EQ(o.device.firmwareWord, 120);
  EXPECT_EQ(o.device.crcBypass, 1);
  EXPECT_EQ(o.device.sensorType, 2);
  ASSERT_EQ(o.device.states.size(), 2u);
  EXPECT_EQ(o.device.ipMicroamps, -250);
  EXPECT_EQ(o.device.ipNoise, 5);
  EXPECT_EQ(o.device.failCopies, 2);
  EXPECT_EQ(o.device.copyDelayMs, 30);
  EXPECT_FALSE(o.device.checkWriteCrc);
  ASSERT_EQ(o.faults.size(), 2u);
  EXPECT_EQ(o.faults.at(3).kind, FaultKind::Nak);
  EXPECT_EQ(o.faults.at(3).arg, 200);
  EXPECT_EQ(o.faults.at(1).kind, FaultKind::Silence);
  EXPECT_EQ(o.faultRate, 10);
  EXPECT_EQ(o.seed, 42u);
  EXPECT_EQ(o.device.seed, 42u);
  EXPECT_FALSE(o.pacing);
  EXPECT_TRUE(o.log);
  EXPECT_EQ(o.configFile, QStringLiteral("a.Q11"));
  EXPECT_TRUE(o.badCrc);
  EXPECT_EQ(o.eepromFile, QStringLiteral("e.Q11"));
  EXPECT_EQ(o.stateFile, QStringLiteral("s.json"));
  EXPECT_EQ(o.linkPath, QStringLiteral("/tmp/x/qva"));
}

TEST(SimOptions, HelpExitsCleanlyAndDocumentsTheFaultsAndNakCodes) {
  const ParseOutcome outcome = ParseSimOptions({QStringLiteral("--help")});
  EXPECT_FALSE(outcome.options.has_value());
  EXPECT_EQ(outcome.exitCode, 0);
  for (const char* word : {"--fault N:KIND", "no-data-flag", "garbage", "nak:CODE", "5 Bad Length",
                           "--state-file", "--eeprom", "--states", "--device", "--link", "--no-pacing"}) {
    EXPECT_TRUE(outcome.text.contains(QLatin1String(word))) << word;
  }
}

TEST(SimOptions, MistakesExitWithTwoAndSayWhat) {
  struct Case {
    QStringList args;
    QString text;
  };
  const Case cases[] = {
      {{"--firmware", "65536"}, R"(--firmware: expected a whole number from 0 to 65535, not "65536")"},
      {{"--firmware"}, "Missing value after '--firmware'. (see --help)"},
      {{"--sensor-type", "x"}, R"(--sensor-type: expected a whole number from 0 to 255, not "x")"},
      {{"--ip", "40000"}, R"(--ip: expected a whole number from -32768 to 32767, not "40000")"},
      {{"--fault-rate", "101"}, R"(--fault-rate: expected a whole number from 0 to 100, not "101")"},
      {{"--fault", "0:silence"}, "--fault 0:silence: expected N:KIND[:ARG] with N counting from 1"},
      {{"--fault", "2:start", "--fault", "2:type"}, "--fault 2:type: exchange 2 already has a fault"},
      {{"--states", "WARM_UP,RUN"},
       "--states WARM_UP,RUN: expected NAME:SECONDS,...,NAME (names or numbers 0 to 255)"},
      {{"--log=yes"}, "Unexpected value after '--log'. (see --help)"},
      {{"--config="}, "--config needs a value"},
      {{"--bogus"}, R"(unknown option "--bogus" (see --help))"},
      {{"-x"}, R"(unknown option "-x" (see --help))"},
      {{"--register-port", "COM9"}, "--register-port COM9: expected COM1 to COM8"},
      {{"--register-port", "/dev/ttyS0"}, "--register-port /dev/ttyS0: expected COM1 to COM8"},
      {{"--select-port"}, "--select-port needs --register-port"},
      {{"stray"}, R"(unknown option "stray" (see --help))"},
  };
  for (const Case& c : cases) {
    const ParseOutcome outcome = ParseSimOptions(c.args);
    const std::string what = c.args.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(outcome.options.has_value()) << what;
    EXPECT_EQ(outcome.exitCode, 2) << what;
    EXPECT_EQ(outcome.text, c.text) << what;
  }
}

TEST(SimOptions, ALaterValueWinsAndHexadecimalIsRead) {
  const ParseOutcome outcome =
      ParseSimOptions({"--firmware", "100", "--firmware=0x73", "--ip", "-0x10", "--seed", "4294967295"});
  ASSERT_TRUE(outcome.options.has_value()) << outcome.text.toStdString();
  EXPECT_EQ(outcome.options->device.firmwareWord, 0x73);
  EXPECT_EQ(outcome.options->device.ipMicroamps, -16);
  EXPECT_EQ(outcome.options->device.seed, 4294967295u);
}

TEST(SimOptions, RegisterPortTakesOneOfTheEightNames) {
  const ParseOutcome outcome = ParseSimOptions(
      {QStringLiteral("--register-port"), QStringLiteral("COM8"), QStringLiteral("--select-port")});
  ASSERT_TRUE(outcome.options.has_value()) << outcome.text.toStdString();
  EXPECT_EQ(outcome.options->registerPort, QStringLiteral("COM8"));
  EXPECT_TRUE(outcome.options->selectPort);
}

TEST(SimRegister, WritesTheDeviceAndOnlyWithSelectThePortChoice) {
  ASSERT_TRUE(RegisterPort(QStringLiteral("COM3"), QStringLiteral("/tmp/sim-tty"), false).isEmpty());
  TRegistry registry(RegistryRoot::LocalMachine);
  ASSERT_TRUE(registry.OpenKeyReadOnly(ApplicationKeyPath() + QStringLiteral("\\Port Devices")));
  EXPECT_EQ(registry.ReadString(QStringLiteral("COM3")), QStringLiteral("/tmp/sim-tty"));
  registry.CloseKey();
  ASSERT_TRUE(registry.OpenKeyReadOnly(ApplicationKeyPath()));
  EXPECT_FALSE(registry.ValueExists(QStringLiteral("Communications Port")));
  registry.CloseKey();

  ASSERT_TRUE(RegisterPort(QStringLiteral("COM3"), QStringLiteral("/tmp/sim-tty"), true).isEmpty());
  ASSERT_TRUE(registry.OpenKeyReadOnly(ApplicationKeyPath()));
  EXPECT_EQ(registry.ReadString(QStringLiteral("Communications Port")), QStringLiteral("COM3"));
}

TEST(SimRegister, RefusesOtherNames) {
  EXPECT_FALSE(RegisterPort(QStringLiteral("COM0"), QStringLiteral("/tmp/x"), true).isEmpty());
  EXPECT_FALSE(RegisterPort(QStringLiteral("com1"), QStringLiteral("/tmp/x"), true).isEmpty());
}

// ---- files --------------------------------------------------------------

TEST(SimStore, BlankStartIsSealedWithAValidCrc) {
  const ConfigBytes image = LoadStartImage({});
  EXPECT_TRUE(VerifyDeviceImage(ConfigFromBytes(image.data())));
  EXPECT_EQ(image[0], 0x00);
  EXPECT_EQ(image[1], 0x6E);  // version 110, high byte first
}

TEST(SimStore, SetupFileIsConvertedToTheDeviceImageAndSealed) {
  QVA_CONFIG_DATA host = MakeBlankConfig();
  host.sensor_type = 2;
  host.user_gain_factor = 0x0102;
  host.cfg_crc16 = 0xDEAD;  // whatever the file says, the device seals afresh
  const QString path = TestEnvironment::PathIn(QStringLiteral("start.Q11"));
  WriteSetupFile(path, host);
  const ConfigBytes image = LoadStartImage({path, QString(), false});
  EXPECT_EQ(image, ConfigToBytes(SealForDevice(host)));
  EXPECT_EQ(image[653], 0x01);
  EXPECT_EQ(image[654], 0x02);
}

TEST(SimStore, BadCrcOptionStoresAWrongCrc) {
  const ConfigBytes image = LoadStartImage({QString(), QString(), true});
  EXPECT_FALSE(VerifyDeviceImage(ConfigFromBytes(image.data())));
}

TEST(SimStore, EepromFileWinsAndKeepsItsStoredCrc) {
  QVA_CONFIG_DATA host = MakeBlankConfig();
  host.sensor_type = 3;
  host.cfg_crc16 = 0x1234;  // wrong on purpose: the EEPROM holds what it holds
  const QString eeprom = TestEnvironment::PathIn(QStringLiteral("eeprom.Q11"));
  const QString config = TestEnvironment::PathIn(QStringLiteral("other.Q11"));
  WriteSetupFile(eeprom, host);
  WriteSetupFile(config, MakeBlankConfig());
  const ConfigBytes image = LoadStartImage({config, eeprom, false});
  EXPECT_EQ(image, ConfigToBytes(ToDeviceImage(host)));
}

TEST(SimStore, MissingEepromFileFallsBackToTheSetupFile) {
  const QString config = TestEnvironment::PathIn(QStringLiteral("other.Q11"));
  QVA_CONFIG_DATA host = MakeBlankConfig();
  host.sensor_type = 1;
  WriteSetupFile(config, host);
  const ConfigBytes image =
      LoadStartImage({config, TestEnvironment::PathIn(QStringLiteral("none/eeprom.Q11")), false});
  EXPECT_EQ(image, ConfigToBytes(SealForDevice(host)));
}

TEST(SimStore, UnreadableSetupFileRaisesItsError) {
  const QString path = TestEnvironment::PathIn(QStringLiteral("short.Q11"));
  WriteAll(path, QByteArray(943, '\0'));
  try {
    LoadStartImage({path, QString(), false});
    FAIL() << "a short file was accepted";
  } catch (const EFileFormat& error) {
    EXPECT_EQ(error.Message(), QStringLiteral("File format not valid"));
  }
}

TEST(SimStore, EepromImageRoundTripsThroughTheFile) {
  const QString path = TestEnvironment::PathIn(QStringLiteral("eeprom.Q11"));
  const ConfigBytes image = SealedImage(2);
  ASSERT_TRUE(StoreEepromImage(path, image).isEmpty());
  EXPECT_EQ(ReadAll(path).size(), 944);
  EXPECT_EQ(LoadStartImage({QString(), path, false}), image);
}

TEST(SimStore, FailedWritesAreReportedNotThrown) {
  const QString blocker = TestEnvironment::PathIn(QStringLiteral("plain-file"));
  WriteAll(blocker, "x");
  EXPECT_FALSE(StoreEepromImage(blocker + QStringLiteral("/eeprom.Q11"), SealedImage(1)).isEmpty());
  EXPECT_FALSE(WriteStateFile(blocker + QStringLiteral("/state.json"), QJsonObject()).isEmpty());
  EXPECT_EQ(ReadAll(blocker), QByteArray("x"));
}

// ---- hostile line ---------------------------------------------------------

TEST(SimDeviceNoise, EveryAnswerToRandomBytesIsASoundPacket) {
  std::mt19937 random(2024);
  std::uniform_int_distribution<int> byte(0, 0xFF);
  std::uniform_int_distribution<int> size(1, 300);
  RequestFramer framer;
  SimDevice device(DeviceSettings{}, SealedImage(1), 0);
  int answered = 0;
  for (int round = 0; round < 3000; ++round) {
    Bytes chunk(static_cast<std::size_t>(size(random)));
    for (uint8_t& value : chunk) value = static_cast<uint8_t>(byte(random));
    // Now and then a real header, so that framing gets past the start bytes.
    if (round % 3 == 0) {
      const Bytes packet =
          BuildPacket(static_cast<uint8_t>(byte(random) & 0x7F), 1, static_cast<uint8_t>(byte(random) % 14),
                      static_cast<uint16_t>(byte(random) * 3), static_cast<uint8_t>(byte(random)));
      chunk.insert(chunk.begin(), packet.begin(), packet.end());
    }
    framer.Feed(chunk.data(), chunk.size(), round);
    while (const std::optional<Request> request = framer.Next()) {
      const Bytes answer = device.Handle(*request, round);
      ASSERT_GE(answer.size(), kHeaderSize);
      const uint8_t type = answer[3] & kTypeMask;
      ASSERT_TRUE(type == kTypeAck || type == kTypeNak);
      ASSERT_EQ(answer[4], request->sequence);
      if (answer.size() > kHeaderSize) {
        ASSERT_EQ(answer.size(), kHeaderSize + answer[8] + kDataCrcSize);
      }
      ++answered;
    }
  }
  // Noise never keeps the framer from finding the headers that follow it.
  EXPECT_GE(answered, 900);
  // Only valid requests may change what the meter holds.
  EXPECT_EQ(device.StoredImage(), SealedImage(1));
}
