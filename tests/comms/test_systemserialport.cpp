#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>

#include <QDir>

#include "comms/qvaserialcomms.h"
#include "support/qtprinters.h"
#include "support/silentpty.h"
#include "support/testenvironment.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#endif

// The port on the platform's serial layer, opened on real things that are
// no usable serial line: what the user reads for each.

#ifndef Q_OS_WIN

namespace {

using Pty = SilentPty;

// The port as the user gave it and what must stay alive while it is opened.
struct Target {
  QString port;
  std::shared_ptr<void> keep;
};

struct RealPortCase {
  const char* name;
  std::function<Target()> make;
  // The message, given the port as messages name it.
  std::function<QString(const QString& port)> message;
  int code;
};

QString OpenFailure(const QString& port, int code) {
  return QStringLiteral("An error occurred while opening communication port ") + port +
         QStringLiteral(".\nLinux reported the following error : ") + SystemErrorText(code) +
         QStringLiteral(".\nYou should close all other programs and try the operation again.\n");
}

QString SettingsUnreadable(const QString& port) {
  return QStringLiteral("There was an internal error while retrieving parameters for communication port ") + port +
         QStringLiteral(".\n\nYou should contact your Ulmora dealer for advice.\nLinux reported the following "
                        "error : ") +
         SystemErrorText(ENOTTY) + QStringLiteral(" when attempting to get the communication port state.\n");
}

// Runs a case from the test's own folder, so that relative paths land there.
class SystemSerialPortOpen : public testing::TestWithParam<RealPortCase> {
 protected:
  void SetUp() override { QDir::setCurrent(TestEnvironment::Root()); }
  void TearDown() override { QDir::setCurrent(previous_); }

 private:
  QString previous_ = QDir::currentPath();
};

TEST_P(SystemSerialPortOpen, SaysWhichStepFailedAndWhy) {
#ifndef Q_OS_LINUX
  GTEST_SKIP() << "the messages name Linux";
#endif
  const RealPortCase& c = GetParam();
  const Target target = c.make();
  ASSERT_FALSE(target.port.isEmpty());
  try {
    QVASerialComms comms(target.port);
    FAIL() << "opened";
  } catch (const ESerialCommunications& e) {
    // A path given as it is names itself, a relative one with the device
    // found from the working directory.
    const QString absolute = QDir(TestEnvironment::Root()).absoluteFilePath(target.port);
    const QString named = target.port == absolute ? target.port : target.port + " (" + absolute + ")";
    EXPECT_EQ(e.Message(), c.message(named));
    EXPECT_EQ(e.ErrorKind(), kCommsPlatformError);
    EXPECT_EQ(e.Code(), c.code);
  }
}

INSTANTIATE_TEST_SUITE_P(
    RealThings, SystemSerialPortOpen,
    testing::Values(
        RealPortCase{"MissingDevice", [] { return Target{TestEnvironment::PathIn("no-such-tty"), {}}; },
                     [](const QString& port) { return OpenFailure(port, ENOENT); }, ENOENT},
        RealPortCase{"Folder",
                     [] {
                       QDir().mkpath(TestEnvironment::PathIn("a-folder"));
                       return Target{TestEnvironment::PathIn("a-folder"), {}};
                     },
                     [](const QString& port) { return OpenFailure(port, EISDIR); }, EISDIR},
        RealPortCase{"PlainFile",
                     [] {
                       WriteAll(TestEnvironment::PathIn("plain-file"), "not a tty");
                       return Target{TestEnvironment::PathIn("plain-file"), {}};
                     },
                     SettingsUnreadable, ENOTTY},
        RealPortCase{"DevNull", [] { return Target{QStringLiteral("/dev/null"), {}}; }, SettingsUnreadable,
                     ENOTTY},
        // Looked for in the working directory, never in /dev.
        RealPortCase{"RelativePathFromTheWorkingDirectory", [] { return Target{QStringLiteral("null"), {}}; },
                     [](const QString& port) { return OpenFailure(port, ENOENT); }, ENOENT},
        RealPortCase{"PtyHeldByAnotherLink",
                     [] {
                       auto pty = std::make_shared<Pty>();
                       if (pty->Slave().isEmpty()) return Target{};
                       auto first = std::make_shared<QVASerialComms>(pty->Slave());
                       return Target{pty->Slave(), std::make_shared<std::pair<std::shared_ptr<Pty>,
                                                                              std::shared_ptr<QVASerialComms>>>(
                                                       pty, first)};
                     },
                     [](const QString& port) {
                       return QStringLiteral("The communication port ") + port +
                              QStringLiteral(" is in use by another program.\nYou should close the other "
                                             "program and try the operation again.\n");
                     },
                     EBUSY}),
    [](const testing::TestParamInfo<RealPortCase>& param) { return std::string(param.param.name); });

}  // namespace

TEST(SystemSerialPort, PlainFileIsLeftAsItWas) {
  const QString path = TestEnvironment::PathIn(QStringLiteral("plain-file"));
  WriteAll(path, QByteArray("not a tty"));
  EXPECT_THROW(QVASerialComms comms(path), ESerialCommunications);
  EXPECT_EQ(ReadAll(path), QByteArray("not a tty"));
}

#endif
