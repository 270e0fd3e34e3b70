// The search for a meter: one port's probe on the fake line, the order of
// the ports, port names as typed, and why a port will not work, from given
// facts.
#include <gtest/gtest.h>

#include <cerrno>

#include <QDir>
#include <QFile>

#include "comms/portchoice.h"
#include "comms/portdevices.h"
#include "comms/portdiagnosis.h"
#include "comms/portprobe.h"
#include "commstestsupport.h"
#include "support/testenvironment.h"

namespace {

// A device node stand-in: the probe never opens a path that is not there.
QString ExistingDevice() {
  const QString path = TestEnvironment::PathIn(QStringLiteral("dev/ttyUSB0"));
  WriteAll(path, QByteArray());
  return path;
}

struct ProbeCase {
  const char* name;
  std::function<void(FakeSerialPort::State&, FakeDevice&)> line;
  QString expected;
  int requests;  // written to the line
};

}  // namespace

TEST(PortProbe, MarksEachKindOfPortAndWritesAtMostTheOneRequest) {
  const ProbeCase cases[] = {
      {"meter", [](FakeSerialPort::State& line, FakeDevice& device) { line.responder = device.Responder(); },
       QStringLiteral("QVA, firmware 1.1"), 1},
      {"newer meter",
       [](FakeSerialPort::State& line, FakeDevice& device) {
         device.firmwareWord = 123;
         line.responder = device.Responder();
       },
       QStringLiteral("QVA, firmware 1.2"), 1},
      {"silence", [](FakeSerialPort::State&, FakeDevice&) {}, QStringLiteral("no answer"), 1},
      {"garbage",
       [](FakeSerialPort::State& line, FakeDevice&) {
         line.responder = [](const QByteArray&) { return FakeSerialPort::Reply{QByteArray("AT\r\nOK\r\nERROR\r\n")}; };
       },
       QStringLiteral("answers, but not as a QVA"), 1},
      {"in use",
       [](FakeSerialPort::State& line, FakeDevice&) { line.openResult = {PortOpenFailure::AccessDenied, EBUSY}; },
       QStringLiteral("in use by another program"), 0},
      {"no permission",
       [](FakeSerialPort::State& line, FakeDevice&) { line.openResult = {PortOpenFailure::Open, EACCES}; },
       QStringLiteral("permission denied (add the user to the uucp group)"), 0},
      {"not a tty",
       [](FakeSerialPort::State& line, FakeDevice&) { line.openResult = {PortOpenFailure::GetSettings, ENOTTY}; },
       QStringLiteral("not a serial port"), 0},
  };
  for (const ProbeCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto line = std::make_shared<FakeSerialPort::State>();
    FakeDevice device;
    c.line(*line, device);
    const QString path = ExistingDevice();
    const ProbeResult result = ProbePort(path, std::make_unique<FakeSerialPort>(line));
    EXPECT_EQ(result.device, path);
    EXPECT_EQ(ProbeResultText(result, QStringLiteral("uucp")), c.expected);
    EXPECT_EQ(static_cast<int>(line->writes.size()), c.requests);
    EXPECT_FALSE(line->open) << "the port is closed again";
    // A probe never waits the link's full 2 s for an answer.
    for (const int silence : line->readSilences) {
      EXPECT_GT(silence, 0);
      EXPECT_LE(silence, 500);
    }
    if (c.requests == 1) {
      EXPECT_EQ(line->writes.front().at(5), 2) << "the firmware version base";
    }
  }
}

TEST(PortProbe, DoesNotOpenAPathThatIsNotThere) {
  auto line = std::make_shared<FakeSerialPort::State>();
  const ProbeResult result =
      ProbePort(TestEnvironment::PathIn(QStringLiteral("gone")), std::make_unique<FakeSerialPort>(line));
  EXPECT_EQ(ProbeResultText(result, QString()), QStringLiteral("not present"));
  EXPECT_TRUE(line->openedDevice.isEmpty());
}

TEST(PortProbe, OrdersUsbAdaptersFirstAndNumbersNumerically) {
  const QStringList given{"/dev/ttyS1",   "/dev/ttyS0",   "/dev/pts/4",   "/dev/ttyUSB10",
                          "/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyAMA0", "/dev/serial/by-id/usb-FTDI_A5-port0"};
  EXPECT_EQ(OrderForProbe(given),
            (QStringList{"/dev/serial/by-id/usb-FTDI_A5-port0", "/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10",
                         "/dev/pts/4", "/dev/ttyAMA0", "/dev/ttyS0", "/dev/ttyS1"}));
}

TEST(PortProbe, SearchesThePortNamesDevicesOnceEach) {
  if (!PortDevicesConfigurable()) GTEST_SKIP() << "names are devices on this platform";
  const QString usb = ExistingDevice();
  const QString link = TestEnvironment::PathIn(QStringLiteral("by-id/usb-FTDI"));
  ASSERT_TRUE(QFile::link(usb, link));
  const QString other = TestEnvironment::PathIn(QStringLiteral("dev/ttyACM3"));
  WriteAll(other, QByteArray());
  for (const QString& name : CommPortNames()) SetPortDevice(name, TestEnvironment::PathIn("missing-" + name));
  SetPortDevice(QStringLiteral("COM2"), link);   // the listed device under its stable name
  SetPortDevice(QStringLiteral("COM5"), other);  // not listed
  PortDetails listed;
  listed.device = usb;
  EXPECT_EQ(ProbeCandidates({listed}), (QStringList{other, usb}));
}

TEST(PortNames, AreReadWithoutRegardToCaseAndTyposAreRefused) {
  const QString existing = ExistingDevice();
  struct Case {
    QString typed;
    std::optional<QString> expected;
  };
  const Case cases[] = {
      {"COM1", QStringLiteral("COM1")},
      {"com1", QStringLiteral("COM1")},
      {"Com8", QStringLiteral("COM8")},
      {"COM9", std::nullopt},
      {"com0", std::nullopt},
      {"", std::nullopt},
      {existing, existing},
      {TestEnvironment::PathIn("no-such-device"), std::nullopt},
  };
  if (!PortDevicesConfigurable()) GTEST_SKIP() << "every name is its own device on this platform";
  for (const Case& c : cases) EXPECT_EQ(ParsePortArgument(c.typed), c.expected) << c.typed.toStdString();
}

namespace {

PortFacts Facts(const QString& device) {
  PortFacts facts;
  facts.device = device;
  facts.userGroups = {"alice", "plugdev"};
  facts.sessionGroups = {"alice", "plugdev"};
  return facts;
}

ProbeResult Outcome(ProbeOutcome outcome) {
  ProbeResult result;
  result.outcome = outcome;
  return result;
}

}  // namespace

TEST(PortDiagnosis, NamesTheCauseAndTheFixFromTheFacts) {
  struct Case {
    const char* name;
    ProbeOutcome outcome;
    std::function<void(PortFacts&)> facts;
    QString expected;
    bool probed = true;
  };
  const QString usb = QStringLiteral("/dev/ttyUSB0");
  const QString acm = QStringLiteral("/dev/ttyACM0");
  const Case cases[] = {
      {"not in the owning group", ProbeOutcome::PermissionDenied,
       [](PortFacts& f) { f.ownerGroup = "dialout"; },
       "You are not in the group dialout that owns /dev/ttyUSB0: join it (sudo usermod -aG dialout $USER), then "
       "log out and log in again."},
      {"other distributions' group", ProbeOutcome::PermissionDenied, [](PortFacts& f) { f.ownerGroup = "uucp"; },
       "You are not in the group uucp that owns /dev/ttyUSB0: join it (sudo usermod -aG uucp $USER), then log "
       "out and log in again."},
      {"joined but not logged in again", ProbeOutcome::PermissionDenied,
       [](PortFacts& f) {
         f.ownerGroup = "dialout";
         f.userGroups << "dialout";
       },
       "You were added to the group dialout after this session began: log out and log in again, then try again."},
      {"owner group unknown", ProbeOutcome::PermissionDenied, [](PortFacts&) {},
       "You may not open /dev/ttyUSB0: ask the administrator for read and write access to it."},
      {"only listed, not accessible", ProbeOutcome::NoAnswer,
       [](PortFacts& f) {
         f.ownerGroup = "dialout";
         f.accessible = false;
       },
       "You are not in the group dialout that owns /dev/ttyUSB0: join it (sudo usermod -aG dialout $USER), then "
       "log out and log in again.",
       false},
      {"brltty took it", ProbeOutcome::Missing,
       [](PortFacts& f) {
         f.vanished = true;
         f.exists = false;
         f.brlttyRunning = true;
       },
       "The braille display service brltty claims USB serial adapters, so /dev/ttyUSB0 appears and vanishes: "
       "remove it (sudo apt remove brltty) or disable its udev rules, then plug the adapter in again."},
      {"vanished without brltty", ProbeOutcome::Missing,
       [](PortFacts& f) {
         f.vanished = true;
         f.exists = false;
       },
       "/dev/ttyUSB0 vanished a moment after it was listed: check the cable and plug the adapter in again."},
      {"never there", ProbeOutcome::Missing, [](PortFacts& f) { f.exists = false; },
       "/dev/ttyUSB0 does not exist: plug the meter's adapter in, or choose the device it appears as."},
      {"held by a program", ProbeOutcome::InUse, [](PortFacts&) {},
       "Another program holds /dev/ttyUSB0: close it (a terminal program, or another copy of QVA Setup) and try "
       "again."},
      {"ModemManager does not take ttyUSB", ProbeOutcome::InUse, [](PortFacts& f) { f.modemManagerRunning = true; },
       "Another program holds /dev/ttyUSB0: close it (a terminal program, or another copy of QVA Setup) and try "
       "again."},
      {"a meter", ProbeOutcome::Meter, [](PortFacts& f) { f.brlttyRunning = f.modemManagerRunning = true; }, ""},
      {"silence", ProbeOutcome::NoAnswer, [](PortFacts&) {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PortFacts facts = Facts(usb);
    c.facts(facts);
    EXPECT_EQ(DiagnosePort(Outcome(c.outcome), facts, c.probed), c.expected);
  }
  const QString modemManager = QStringLiteral(
      "ModemManager opens and probes a new /dev/ttyACM0 for a few seconds after it appears: wait a few seconds and "
      "try again, or stop it (sudo systemctl stop ModemManager).");
  for (const ProbeOutcome outcome : {ProbeOutcome::InUse, ProbeOutcome::NoAnswer, ProbeOutcome::NotAMeter}) {
    PortFacts facts = Facts(acm);
    facts.modemManagerRunning = true;
    EXPECT_EQ(DiagnosePort(Outcome(outcome), facts), modemManager);
    EXPECT_EQ(DiagnosePort(ProbeResult{}, facts, false), QString()) << "only listed: nothing was tried";
  }
}

TEST(PortDiagnosis, GathersTheFactsOfThisMachine) {
  // A file of the test's own: it exists and the user may write it.
  const QString device = ExistingDevice();
  const PortFacts facts = GatherPortFacts(device, true);
  EXPECT_TRUE(facts.exists);
  EXPECT_FALSE(facts.vanished);
  EXPECT_TRUE(facts.accessible);
  EXPECT_FALSE(facts.sessionGroups.isEmpty());
  QFile::remove(device);
  EXPECT_TRUE(GatherPortFacts(device, true).vanished);
  EXPECT_FALSE(GatherPortFacts(device, false).vanished);
}
