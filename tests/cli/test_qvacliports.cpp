// qva-cli ports against qva-device-sim and a silent pseudo-terminal, and
// port names as typed on the command line.
#include <QFileInfo>

#include <gtest/gtest.h>

#include "clitestsupport.h"
#include "comms/portdevices.h"
#include "simprocess.h"
#include "support/silentpty.h"
#include "support/testenvironment.h"

TEST(CliPorts, ProbeMarksExactlyTheMetersAmongThePathsGiven) {
  SimProcess first({});
  SimProcess second({QStringLiteral("--firmware"), QStringLiteral("123")});
  ASSERT_TRUE(first.Started());
  ASSERT_TRUE(second.Started());
  SilentPty silent;
  ASSERT_FALSE(silent.Slave().isEmpty());
  const CliResult result =
      RunQvaCli({QStringLiteral("ports"), QStringLiteral("--probe"), first.Port(), silent.Slave(), second.Port()});
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_EQ(QString::fromLocal8Bit(result.out), first.Port() + QStringLiteral(": QVA, firmware 1.1\n") +
                                                    silent.Slave() + QStringLiteral(": no answer\n") +
                                                    second.Port() + QStringLiteral(": QVA, firmware 1.2\n"));
  // One request each, nothing else: the meters saw one examine of base 2.
  EXPECT_EQ(first.Stop().value(QStringLiteral("requests")).toInt(), 1);
}

TEST(CliPorts, NoMeterAnsweringExitsWith1AndSaysWhyAPortIsMissing) {
  SilentPty silent;
  const QString gone = TestEnvironment::PathIn(QStringLiteral("ttyUSB7"));
  const CliResult result = RunQvaCli({QStringLiteral("ports"), QStringLiteral("--probe"), silent.Slave(), gone});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(QString::fromLocal8Bit(result.out),
            silent.Slave() + QStringLiteral(": no answer\n") + gone + QStringLiteral(": not present\n"));
  EXPECT_EQ(QString::fromLocal8Bit(result.err),
            gone + QStringLiteral(" does not exist: plug the meter's adapter in, or choose the device it appears "
                                  "as.\n"));
}

TEST(CliPorts, APortNameInAnyCaseLeadsToItsDevice) {
  if (!PortDevicesConfigurable()) GTEST_SKIP() << "names are devices on this platform";
  SimProcess sim({});
  ASSERT_TRUE(sim.Started());
  SetPortDevice(QStringLiteral("COM3"), sim.Port());
  const CliResult probe = RunQvaCli({QStringLiteral("ports"), QStringLiteral("--probe"), QStringLiteral("com3")});
  EXPECT_EQ(probe.exitCode, 0);
  EXPECT_EQ(QString::fromLocal8Bit(probe.out), QStringLiteral("COM3 (%1): QVA, firmware 1.1\n").arg(sim.Port()));

  const QString out = TestEnvironment::PathIn(QStringLiteral("out/FromMeter.Q11"));
  const CliResult get = RunQvaCli(
      {QStringLiteral("get"), QStringLiteral("--port"), QStringLiteral("com3"), QStringLiteral("-o"), out});
  EXPECT_EQ(get.exitCode, 0) << get.err.toStdString();
  EXPECT_TRUE(QFileInfo::exists(out));
}

TEST(CliPorts, ANameThatIsNoPortIsRefusedBeforeAnythingIsOpened) {
  const QString out = TestEnvironment::PathIn(QStringLiteral("out/Never.Q11"));
  for (const QString& typed : {QStringLiteral("COM9"), QStringLiteral("com0"), QStringLiteral("ttyUSB0")}) {
    SCOPED_TRACE(typed.toStdString());
    const CliResult result =
        RunQvaCli({QStringLiteral("get"), QStringLiteral("--port"), typed, QStringLiteral("-o"), out});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(QString::fromLocal8Bit(result.err),
              QStringLiteral("--port %1: expected COM1 to COM8 (in any case) or the path of an existing device.\n")
                  .arg(typed));
    EXPECT_FALSE(QFileInfo::exists(out));
  }
}
