#include <gtest/gtest.h>

#include <cerrno>

#include "comms/qvaserialcomms.h"
#include "support/testenvironment.h"

// The port on the platform's serial layer, where no device is needed: what
// the user reads when the named device is missing or is no serial line.

TEST(SystemSerialPort, MissingDeviceGivesTheOpenFailureWithTheSystemText) {
#ifdef Q_OS_WIN
  GTEST_SKIP() << "device paths are a POSIX matter";
#endif
  const QString path = TestEnvironment::PathIn(QStringLiteral("no-such-tty"));
  try {
    QVASerialComms comms(path);
    FAIL() << "opened";
  } catch (const ESerialCommunications& e) {
    EXPECT_EQ(e.Message(),
              QStringLiteral("An error occurred while opening communication port ") + path +
                  QStringLiteral(".\nWindows reported the following error : ") + SystemErrorText(ENOENT) +
                  QStringLiteral(".\nYou should close all other programs and try the operation again.\n"));
    EXPECT_EQ(e.ErrorKind(), kCommsPlatformError);
    EXPECT_EQ(e.Code(), ENOENT);
  }
}

TEST(SystemSerialPort, RegularFileIsRefusedAsAPort) {
#ifdef Q_OS_WIN
  GTEST_SKIP() << "device paths are a POSIX matter";
#endif
  const QString path = TestEnvironment::PathIn(QStringLiteral("plain-file"));
  WriteAll(path, QByteArray("not a tty"));
  try {
    QVASerialComms comms(path);
    FAIL() << "a plain file was taken for a serial line";
  } catch (const ESerialCommunications& e) {
    EXPECT_EQ(e.ErrorKind(), kCommsPlatformError);
    EXPECT_TRUE(e.Message().contains(path)) << e.Message().toStdString();
    EXPECT_FALSE(e.Message().contains(QStringLiteral("in use by another program")));
  }
  EXPECT_EQ(ReadAll(path), QByteArray("not a tty"));
}
