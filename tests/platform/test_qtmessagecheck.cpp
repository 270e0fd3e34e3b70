// The check every test program runs on Qt's warnings (tests/support).

#include <QString>
#include <QtGlobal>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/qtmessagecheck.h"

namespace {

// An arg() with more values than the text has places, as a message table
// with a shorter text in it would make.
void ArgWithTooManyValues() {
  const QString text = QStringLiteral("The port %1 is in use.").arg(QStringLiteral("COM1"), QStringLiteral("Linux"));
  EXPECT_FALSE(text.isEmpty());
}

void WarnIfClosed() {
  qWarning("QIODevice::read (QFile, \"x\"): device not open");
}

}  // namespace

TEST(QtMessageCheck, AWarningTheTestDidNotExpectFailsIt) {
  EXPECT_NONFATAL_FAILURE(ArgWithTooManyValues(), "Unexpected Qt warning: QString::arg: 1 argument(s) missing");
  EXPECT_NONFATAL_FAILURE(WarnIfClosed(), "Unexpected Qt warning: QIODevice::read");
}

TEST(QtMessageCheck, ExpectedWarningsAndThePlatformsOwnNoisePass) {
  {
    const ExpectQtWarning expected(QStringLiteral("device not open"));
    WarnIfClosed();
  }
  qWarning("This plugin does not support propagateSizeHints()");
  qDebug("debug output is not checked");
}

TEST(QtMessageCheck, AnExpectedWarningThatNeverCameFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(ExpectQtWarning(QStringLiteral("device not open")),
                          "Expected a Qt warning containing: device not open");
}
