// The real serial stack (the QSerialPort-based port, QVASerialComms and the
// device commands) against qva-device-sim on a pseudo-terminal. Expected
// texts are written out here as the user reads them, not taken from the
// link's own functions.

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"
#include "comms/devicecommands.h"
#include "comms/portdevices.h"
#include "comms/qvaserialcomms.h"
#include "platform/sleeper.h"
#include "config/qvasetupfiler.h"
#include "support/samplerecords.h"
#include "support/devicesimulator.h"
#include "support/testenvironment.h"

namespace {

const QString kIntro = QStringLiteral(
    "There was an error communicating with the device.\n"
    "You should check that the device is properly connected and powered on.\n"
    "\n"
    "If the problem persists, you should contact your Ulmora dealer for advice.\n");

QStringList Args(std::initializer_list<const char*> words) {
  QStringList list;
  for (const char* word : words) list << QString::fromLatin1(word);
  return list;
}

QStringList FaultArgs(const QStringList& faults) {
  QStringList list;
  for (const QString& fault : faults) list << QStringLiteral("--fault") << fault;
  return list;
}

std::vector<uint8_t> Bytes(const QVA_CONFIG_DATA& record) {
  const ConfigBytes bytes = ConfigToBytes(record);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

QString Hex(const QVA_CONFIG_DATA& record) {
  return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(&record), kConfigSize).toHex());
}

QStringList RecentRequests(const QJsonObject& state) {
  QStringList list;
  for (const QJsonValue& value : state.value(QStringLiteral("recent_requests")).toArray()) {
    list << value.toString();
  }
  return list;
}

class SerialLinkE2E : public ::testing::Test {
 protected:
  // Starts a simulator answering at full speed unless told otherwise.
  void StartSim(QStringList arguments, bool pacing = false) {
    if (!pacing) arguments << QStringLiteral("--no-pacing");
    sim_ = std::make_unique<DeviceSimulator>(arguments);
    ASSERT_TRUE(sim_->Start()) << sim_->Error().toStdString();
  }

  // The failure of a firmware read, or a test failure when it succeeded.
  ESerialCommunications FirmwareReadFailure() {
    QVASerialComms comms(sim_->PortPath());
    try {
      ReadFirmwareVersion(comms);
    } catch (const ESerialCommunications& error) {
      return error;
    }
    ADD_FAILURE() << "the firmware read succeeded";
    return ESerialCommunications(QString(), 0xFF, 0);
  }

  void TearDown() override {
    if (sim_ && HasFailure()) std::cerr << "simulator log:\n" << sim_->Log().toStdString();
  }

  std::unique_ptr<DeviceSimulator> sim_;
};

}  // namespace

TEST_F(SerialLinkE2E, FirstRequestOfTheRunIsTheDocumentedFirmwareRead) {
  StartSim(Args({"--firmware", "115"}));
  {
    QVASerialComms comms(sim_->PortPath());
    EXPECT_EQ(ReadFirmwareVersion(comms), 11u);
  }
  const QJsonObject state = sim_->Stop();
  EXPECT_EQ(RecentRequests(state), QStringList{QStringLiteral("808182000102000002a981")});
  EXPECT_EQ(state.value(QStringLiteral("naks")).toInt(), 0);
}

TEST_F(SerialLinkE2E, FirmwareWordIsReducedByTen) {
  StartSim(Args({"--firmware", "120"}));
  QVASerialComms comms(sim_->PortPath());
  EXPECT_EQ(ReadFirmwareVersion(comms), 12u);
}

TEST_F(SerialLinkE2E, ReadsTheStoredConfigurationInSixExchanges) {
  const QString file = TestEnvironment::PathIn(QStringLiteral("start.Q11"));
  WriteSetupFile(file, SampleConfig());
  StartSim(Args({"--config"}) << file);
  QVA_CONFIG_DATA image{};
  {
    QVASerialComms comms(sim_->PortPath());
    image = ReadDeviceConfig(comms);
  }
  EXPECT_EQ(Bytes(image), Bytes(SealForDevice(SampleConfig())));
  EXPECT_TRUE(VerifyDeviceImage(image));
  const QJsonObject state = sim_->Stop();
  EXPECT_EQ(state.value(QStringLiteral("requests")).toInt(), 6);
  EXPECT_EQ(state.value(QStringLiteral("naks")).toInt(), 0);
}

TEST_F(SerialLinkE2E, StoredConfigurationWithAWrongCrcArrivesAsStored) {
  StartSim(Args({"--bad-crc"}));
  QVASerialComms comms(sim_->PortPath());
  EXPECT_FALSE(VerifyDeviceImage(ReadDeviceConfig(comms)));
}

TEST_F(SerialLinkE2E, WritesAndCopiesAConfigurationToEeprom) {
  const QString eeprom = TestEnvironment::PathIn(QStringLiteral("device/eeprom.Q11"));
  StartSim(Args({"--eeprom"}) << eeprom);
  const QVA_CONFIG_DATA sealed = SealForDevice(SampleConfig());
  {
    QVASerialComms comms(sim_->PortPath());
    WriteDeviceConfig(comms, sealed);
    EXPECT_TRUE(CopyConfigToEE(comms, DefaultSleeper()));
    // What the meter now reads back is what was sent.
    EXPECT_EQ(Bytes(ReadDeviceConfig(comms)), Bytes(sealed));
  }
  const QJsonObject state = sim_->Stop();
  EXPECT_EQ(state.value(QStringLiteral("copies")).toInt(), 1);
  EXPECT_EQ(state.value(QStringLiteral("copy_successes")).toInt(), 1);
  EXPECT_TRUE(state.value(QStringLiteral("stored_config_crc_valid")).toBool());
  EXPECT_EQ(state.value(QStringLiteral("write_area_bytes_written")).toInt(), 672);
  EXPECT_EQ(state.value(QStringLiteral("stored_config")).toString(), Hex(sealed));
  // The copy command went out as 7C 3A.
  const QRegularExpression copyCommand(QStringLiteral("^80818281..03000002....7c3a....$"));
  EXPECT_EQ(RecentRequests(state).filter(copyCommand).size(), 1);
  // The EEPROM file keeps it for the next run.
  EXPECT_EQ(Bytes(ToDeviceImage(ReadSetupFile(eeprom))), Bytes(sealed));
}

TEST_F(SerialLinkE2E, FailedCopyIsReportedAndTheNextOneSucceeds) {
  StartSim(Args({"--fail-copies", "1"}));
  const QVA_CONFIG_DATA sealed = SealForDevice(SampleConfig());
  {
    QVASerialComms comms(sim_->PortPath());
    WriteDeviceConfig(comms, sealed);
    EXPECT_FALSE(CopyConfigToEE(comms, DefaultSleeper()));
    EXPECT_NE(Bytes(ReadDeviceConfig(comms)), Bytes(sealed));
    EXPECT_TRUE(CopyConfigToEE(comms, DefaultSleeper()));
    EXPECT_EQ(Bytes(ReadDeviceConfig(comms)), Bytes(sealed));
  }
  const QJsonObject state = sim_->Stop();
  EXPECT_EQ(state.value(QStringLiteral("copy_failures")).toInt(), 1);
  EXPECT_EQ(state.value(QStringLiteral("copy_successes")).toInt(), 1);
}

TEST_F(SerialLinkE2E, StatusBlockAndLiveData) {
  StartSim(Args({"--states", "WARM_UP:600,RUN", "--sensor-type", "3", "--crc-bypass", "--ip", "-1500"}));
  QVASerialComms comms(sim_->PortPath());
  const DeviceStatusBlock status = ReadStatusBlock(comms);
  EXPECT_EQ(status.command, 0);
  EXPECT_EQ(status.State(), 3);
  EXPECT_EQ(DeviceStateName(status.State()), QStringLiteral("WARM_UP"));
  EXPECT_EQ(status.SensorType(), 3);
  EXPECT_NE(status.CrcCheckBypass(), 0);
  EXPECT_EQ(ReadLiveData(comms).ip, -1500);
}

TEST_F(SerialLinkE2E, PortIsFreeAgainOnceTheLinkIsGone) {
  StartSim({});
  for (int run = 0; run < 3; ++run) {
    QVASerialComms comms(sim_->PortPath());
    EXPECT_EQ(ReadFirmwareVersion(comms), 11u) << "run " << run;
  }
}

TEST_F(SerialLinkE2E, SecondOpenOfAPortInUseSaysSo) {
  StartSim({});
  QVASerialComms first(sim_->PortPath());
  try {
    QVASerialComms second(sim_->PortPath());
    FAIL() << "the port opened twice";
  } catch (const ESerialCommunications& error) {
    EXPECT_EQ(error.Message(), QStringLiteral("The communication port ") + sim_->PortPath() +
                                   QStringLiteral(" is in use by another program.\n"
                                                  "You should close the other program and try the "
                                                  "operation again.\n"));
    EXPECT_EQ(error.ErrorKind(), 0);
  }
  // The first link is unharmed.
  EXPECT_EQ(ReadFirmwareVersion(first), 11u);
}

TEST_F(SerialLinkE2E, RegisteredPortNameLeadsTheProgramToTheSimulator) {
  StartSim(Args({"--register-port", "COM5", "--select-port"}));
  TRegistry registry(RegistryRoot::LocalMachine);
  ASSERT_TRUE(registry.OpenKeyReadOnly(ApplicationKeyPath()));
  EXPECT_EQ(registry.ReadString(QStringLiteral("Communications Port")), QStringLiteral("COM5"));
  registry.CloseKey();
  EXPECT_EQ(PortDeviceName(QStringLiteral("COM5")), sim_->PortPath());
  QVASerialComms comms(QStringLiteral("COM5"));
  EXPECT_EQ(ReadFirmwareVersion(comms), 11u);
}

TEST_F(SerialLinkE2E, MissingDeviceIsAnOpenFailure) {
  const QString path = TestEnvironment::PathIn(QStringLiteral("no-such-tty"));
  try {
    QVASerialComms comms(path);
    FAIL() << "a missing device opened";
  } catch (const ESerialCommunications& error) {
    EXPECT_TRUE(
        error.Message().startsWith(QStringLiteral("An error occurred while opening communication port ") +
                                   path + QStringLiteral(".\nLinux reported the following error : ")))
        << error.Message().toStdString();
    EXPECT_TRUE(error.Message().endsWith(
        QStringLiteral(".\nYou should close all other programs and try the operation again.\n")));
  }
}

TEST_F(SerialLinkE2E, RequestTheMeterRefusesEndsWithItsNakText) {
  StartSim({});
  QVASerialComms comms(sim_->PortPath());
  uint8_t buffer[2] = {};
  try {
    comms.ExamineMemory(buffer, 2, 42, 0);
    FAIL() << "base 42 was read";
  } catch (const ESerialCommunications& error) {
    EXPECT_EQ(error.Message(), kIntro + QStringLiteral("Error Type: NAK received, error = Bad Base"));
    EXPECT_EQ(error.ErrorKind(), 10);
    EXPECT_EQ(error.Code(), 4);
  }
  EXPECT_EQ(sim_->Stop().value(QStringLiteral("requests")).toInt(), 4);
}

TEST_F(SerialLinkE2E, SetAcknowledgeIsAcceptedWhateverItsLengthByteSays) {
  // Exchange 2 is the second chunk written; its answer claims 1 data byte.
  StartSim(FaultArgs({QStringLiteral("2:length")}));
  {
    QVASerialComms comms(sim_->PortPath());
    WriteDeviceConfig(comms, SealForDevice(SampleConfig()));
  }
  const QJsonObject state = sim_->Stop();
  EXPECT_EQ(state.value(QStringLiteral("faults")).toInt(), 1);
  EXPECT_EQ(state.value(QStringLiteral("requests")).toInt(), 6);  // no retry
}

TEST_F(SerialLinkE2E, FaultInTheMiddleOfAConfigurationReadIsRetried) {
  const QString file = TestEnvironment::PathIn(QStringLiteral("start.Q11"));
  WriteSetupFile(file, SampleConfig());
  StartSim(FaultArgs({QStringLiteral("3:data-crc"), QStringLiteral("4:garbage")})
           << QStringLiteral("--config") << file);
  QVA_CONFIG_DATA image{};
  {
    QVASerialComms comms(sim_->PortPath());
    image = ReadDeviceConfig(comms);
  }
  EXPECT_EQ(Bytes(image), Bytes(SealForDevice(SampleConfig())));
  const QJsonObject state = sim_->Stop();
  EXPECT_EQ(state.value(QStringLiteral("requests")).toInt(), 8);
  const QStringList requests = RecentRequests(state);
  ASSERT_EQ(requests.size(), 8);
  // The three attempts of the third chunk are the very same bytes.
  EXPECT_EQ(requests[2], requests[3]);
  EXPECT_EQ(requests[3], requests[4]);
  EXPECT_NE(requests[4], requests[5]);
}

TEST_F(SerialLinkE2E, RandomFaultsNeverTurnIntoWrongData) {
  const QString file = TestEnvironment::PathIn(QStringLiteral("start.Q11"));
  WriteSetupFile(file, SampleConfig());
  StartSim(Args({"--fault-rate", "20", "--seed", "11", "--config"}) << file);
  const std::vector<uint8_t> expected = Bytes(SealForDevice(SampleConfig()));
  int good = 0;
  QVASerialComms comms(sim_->PortPath());
  for (int read = 0; read < 3; ++read) {
    try {
      ASSERT_EQ(Bytes(ReadDeviceConfig(comms)), expected) << "read " << read;
      ++good;
    } catch (const ESerialCommunications& error) {
      // Four faults in a row may end a read; they must never end it well.
      EXPECT_TRUE(error.Message().startsWith(kIntro)) << error.Message().toStdString();
    }
  }
  EXPECT_GT(good, 0);
  // The faults did happen, or the test proved nothing.
  EXPECT_GT(sim_->Stop().value(QStringLiteral("faults")).toInt(), 2);
}

// ---- each fault kind: recovered by a retry, and as the 4th failure ------

struct FaultCase {
  const char* fault;
  const char* piece;  // what follows the intro in the user's message
  int kind;
  int code;
};

const FaultCase kFaultCases[] = {
    {"header-crc", "Error Type: The header CRC is not valid", 4, 0},
    {"data-crc", "Error Type: The data CRC is not valid", 4, 1},
    {"start", "Error Type: The start of message sequence is not valid", 5, 0},
    {"sequence", "Error Type: The sequence number was not correct", 6, 0},
    {"type", "Error Type: The message type was not valid", 7, 0},
    {"no-data-flag", "Error Type: The data block was missing", 8, 0},
    {"length", "Error Type: The data length does not match the expected message length", 9, 0},
    {"nak:2", "Error Type: NAK received, error = QVA receiver overrun", 10, 2},
    {"nak:200", "Error Type: NAK received, error = Unknown error type -56", 10, 200},
    {"garbage", "Error Type: The start of message sequence is not valid", 5, 0},
};

class SerialLinkFaultE2E : public SerialLinkE2E, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SerialLinkFaultE2E, OneFaultIsRecoveredByTheRetry) {
  StartSim(FaultArgs({QStringLiteral("1:") + QLatin1String(GetParam().fault)})
           << QStringLiteral("--firmware") << QStringLiteral("105"));
  {
    QVASerialComms comms(sim_->PortPath());
    EXPECT_EQ(ReadFirmwareVersion(comms), 10u);
  }
  const QJsonObject state = sim_->Stop();
  EXPECT_EQ(state.value(QStringLiteral("faults")).toInt(), 1);
  const QStringList requests = RecentRequests(state);
  ASSERT_EQ(requests.size(), 2);
  EXPECT_EQ(requests[0], requests[1]);  // same bytes, same sequence number
}

TEST_P(SerialLinkFaultE2E, FourthFailureIsTheOneTheUserReads) {
  // Three other failures first: the message must be the 4th one's.
  StartSim(FaultArgs({QStringLiteral("1:nak:1"), QStringLiteral("2:header-crc"), QStringLiteral("3:type"),
                      QStringLiteral("4:") + QLatin1String(GetParam().fault)}));
  const ESerialCommunications error = FirmwareReadFailure();
  EXPECT_EQ(error.Message(), kIntro + QLatin1String(GetParam().piece));
  EXPECT_EQ(error.ErrorKind(), GetParam().kind);
  EXPECT_EQ(error.Code(), GetParam().code);
  const QJsonObject state = sim_->Stop();
  EXPECT_EQ(state.value(QStringLiteral("requests")).toInt(), 4);  // no fifth attempt
}

INSTANTIATE_TEST_SUITE_P(Kinds, SerialLinkFaultE2E, ::testing::ValuesIn(kFaultCases),
                         [](const ::testing::TestParamInfo<FaultCase>& param) {
                           std::string name = param.param.fault;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name;
                         });

// A silent attempt costs 2 s of waiting plus 200 ms: these two cases are
// the only slow ones.
TEST_F(SerialLinkE2E, OneSilentAnswerIsRecoveredByTheRetry) {
  StartSim(FaultArgs({QStringLiteral("1:silence")}));
  QVASerialComms comms(sim_->PortPath());
  EXPECT_EQ(ReadFirmwareVersion(comms), 11u);
}

TEST_F(SerialLinkE2E, SilentDeviceTimesOutAfterFourAttempts) {
  StartSim(FaultArgs({QStringLiteral("1:silence"), QStringLiteral("2:silence"), QStringLiteral("3:silence"),
                      QStringLiteral("4:silence")}));
  const ESerialCommunications error = FirmwareReadFailure();
  EXPECT_EQ(error.Message(), kIntro + QStringLiteral("Error Type: Timed out waiting for start of message"));
  EXPECT_EQ(error.ErrorKind(), 1);
  EXPECT_EQ(error.Code(), 0);
  EXPECT_EQ(sim_->Stop().value(QStringLiteral("requests")).toInt(), 4);
}
