// qva-device-sim as a program: its command line, its line options, its
// files and its exit, seen from outside.

#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include "comms/devicecommands.h"
#include "comms/qvaserialcomms.h"
#include "platform/sleeper.h"
#include "config/qvasetupfiler.h"
#include "support/devicesimulator.h"
#include "support/silentpty.h"
#include "support/testenvironment.h"

namespace {

struct ProgramRun {
  int exitCode = -1;
  QString out;
  QString err;
};

ProgramRun RunSim(const QStringList& arguments) {
  QProcess process;
  process.start(DeviceSimulator::ProgramPath(), arguments);
  ProgramRun run;
  if (!process.waitForFinished(10000)) {
    process.kill();
    process.waitForFinished();
    return run;
  }
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
  run.err = QString::fromLocal8Bit(process.readAllStandardError());
  return run;
}

std::vector<uint8_t> ConfigVector(const QVA_CONFIG_DATA& record) {
  const ConfigBytes bytes = ConfigToBytes(record);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A pseudo-terminal made by the test, standing in for a real serial device.
class TestPty : public SilentPty {
 public:
  TestPty() : master_(Master()) {
    termios settings{};
    if (master_ >= 0 && tcgetattr(master_, &settings) == 0) {
      cfmakeraw(&settings);
      tcsetattr(master_, TCSANOW, &settings);
    }
  }
  bool Ok() const { return master_ >= 0 && !Slave().isEmpty(); }
  const QString& SlavePath() const { return Slave(); }

  bool Write(const std::vector<uint8_t>& bytes) {
    return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // Reads count bytes or what arrives within timeoutMs.
  std::vector<uint8_t> Read(std::size_t count, int timeoutMs) {
    std::vector<uint8_t> got;
    QElapsedTimer timer;
    timer.start();
    while (got.size() < count && timer.elapsed() < timeoutMs) {
      pollfd fd{master_, POLLIN, 0};
      if (::poll(&fd, 1, static_cast<int>(timeoutMs - timer.elapsed())) <= 0) break;
      uint8_t buffer[256];
      const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
      if (n <= 0) break;
      got.insert(got.end(), buffer, buffer + n);
    }
    return got;
  }

 private:
  int master_;
};

}  // namespace

TEST(SimProgram, HelpGoesToStdoutWithExitCodeZero) {
  const ProgramRun run = RunSim({QStringLiteral("--help")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: qva-device-sim"))) << run.out.toStdString();
  EXPECT_TRUE(run.err.isEmpty());
}

TEST(SimProgram, CommandLineMistakeExitsWithTwoAndNoPty) {
  const ProgramRun run = RunSim({QStringLiteral("--fault"), QStringLiteral("1:thunder")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.out.isEmpty());
  EXPECT_TRUE(run.err.contains(QStringLiteral("1:thunder"))) << run.err.toStdString();
}

TEST(SimProgram, UnreadableConfigurationExitsWithOne) {
  const QString path = TestEnvironment::PathIn(QStringLiteral("broken.Q11"));
  WriteAll(path, QByteArray(100, 'x'));
  const ProgramRun run = RunSim({QStringLiteral("--config"), path});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains(QStringLiteral("File format not valid"))) << run.err.toStdString();
}

TEST(SimProgram, StopsCleanlyOnSigtermAndWritesItsSummary) {
  DeviceSimulator sim({QStringLiteral("--no-pacing")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  {
    QVASerialComms comms(sim.PortPath());
    ReadFirmwareVersion(comms);
  }
  const QJsonObject state = sim.Stop();
  EXPECT_EQ(sim.ExitCode(), 0);
  EXPECT_EQ(state.value(QStringLiteral("requests")).toInt(), 1);
}

TEST(SimProgram, LinkLeadsToThePtyAndGoesAwayAtTheEnd) {
  const QString link = TestEnvironment::PathIn(QStringLiteral("dev/meter"));
  DeviceSimulator sim({QStringLiteral("--no-pacing"), QStringLiteral("--link"), link});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.PortPath());
  {
    QVASerialComms comms(link);
    EXPECT_EQ(ReadFirmwareVersion(comms), 11u);
  }
  sim.Stop();
  EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(SimProgram, LinkNeverReplacesARegularFile) {
  const QString path = TestEnvironment::PathIn(QStringLiteral("precious.txt"));
  WriteAll(path, "keep me");
  DeviceSimulator sim({QStringLiteral("--link"), path});
  EXPECT_FALSE(sim.Start());
  sim.Stop();
  EXPECT_EQ(sim.ExitCode(), 1);
  EXPECT_EQ(ReadAll(path), QByteArray("keep me"));
}

TEST(SimProgram, EepromFileCarriesTheConfigurationToTheNextRun) {
  const QString eeprom = TestEnvironment::PathIn(QStringLiteral("eeprom.Q11"));
  QVA_CONFIG_DATA host = MakeBlankConfig();
  host.sensor_type = 3;
  host.user_gain_factor = 1234;
  const QVA_CONFIG_DATA sealed = SealForDevice(host);
  {
    DeviceSimulator first({QStringLiteral("--no-pacing"), QStringLiteral("--eeprom"), eeprom});
    ASSERT_TRUE(first.Start()) << first.Error().toStdString();
    QVASerialComms comms(first.PortPath());
    WriteDeviceConfig(comms, sealed);
    ASSERT_TRUE(CopyConfigToEE(comms, DefaultSleeper()));
  }
  DeviceSimulator second({QStringLiteral("--no-pacing"), QStringLiteral("--eeprom"), eeprom});
  ASSERT_TRUE(second.Start()) << second.Error().toStdString();
  QVASerialComms comms(second.PortPath());
  EXPECT_EQ(ConfigVector(ReadDeviceConfig(comms)), ConfigVector(sealed));
  EXPECT_EQ(ReadStatusBlock(comms).SensorType(), 3);
}

TEST(SimProgram, PacedLineDeliversTheConfigurationIntact) {
  DeviceSimulator sim;  // paced at 9600 baud
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  QVASerialComms comms(sim.PortPath());
  EXPECT_TRUE(VerifyDeviceImage(ReadDeviceConfig(comms)));
}

TEST(SimProgram, ServesARealSerialDeviceGivenByPath) {
  TestPty pty;
  ASSERT_TRUE(pty.Ok());
  DeviceSimulator sim({QStringLiteral("--no-pacing"), QStringLiteral("--device"), pty.SlavePath()});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  EXPECT_EQ(sim.PortPath(), pty.SlavePath());
  ASSERT_TRUE(pty.Write({0x80, 0x81, 0x82, 0x00, 0x01, 0x02, 0x00, 0x00, 0x02, 0xA9, 0x81}));
  const std::vector<uint8_t> answer = pty.Read(15, 3000);
  ASSERT_EQ(answer.size(), 15u);
  EXPECT_EQ(answer[3], 0x82);  // acknowledge with data
  EXPECT_EQ(answer[4], 0x01);
  EXPECT_EQ(answer[11], 0x00);
  EXPECT_EQ(answer[12], 115);
}
