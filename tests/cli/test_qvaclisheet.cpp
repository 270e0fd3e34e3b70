// qva-cli sheet run as a process: the PDF of a setup file, written without
// a display, never over an existing file without --force, never over the
// setup file itself, and never half written on a full disk.

#include <cstdlib>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include "clitestsupport.h"
#include "support/filesizelimit.h"
#include "support/testenvironment.h"

namespace {

QStringList FilesIn(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString PdfText(const QString& path) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
  process.waitForFinished(30000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

TEST(CliSheet, WritesTheSheetWithoutADisplayOrAPlatformGiven) {
  const QString setup = WriteSetup(QStringLiteral("cars/Golf.Q11"), SampleConfig());
  const QString pdf = QFileInfo(setup).absolutePath() + QStringLiteral("/Golf.pdf");
  const QByteArray before = ReadAll(setup);
  const CliResult result = RunQvaCli({QStringLiteral("sheet"), setup, QStringLiteral("-o"), pdf,
                                      QStringLiteral("--note"), QStringLiteral("Golf GTI -platform xcb")},
                                     [] {
                                       unsetenv("QT_QPA_PLATFORM");
                                       unsetenv("DISPLAY");
                                       unsetenv("WAYLAND_DISPLAY");
                                     });
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.out.isEmpty());
  EXPECT_EQ(QString::fromLocal8Bit(result.err),
            QStringLiteral("Setup sheet written to %1 (2 pages).\n").arg(pdf));
  const QString text = PdfText(pdf);
  EXPECT_TRUE(text.contains(QStringLiteral("Golf GTI -platform xcb"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("Bosch LSU4")));
  EXPECT_TRUE(text.contains(QStringLiteral("Golf.Q11")));
  EXPECT_EQ(ReadAll(setup), before);
}

TEST(CliSheet, RefusesAnExistingFileWithoutForceAndReplacesItWithForce) {
  const QString setup = WriteSetup(QStringLiteral("cars/Golf.Q11"), SampleConfig());
  const QString pdf = TestEnvironment::PathIn(QStringLiteral("cars/Golf.pdf"));
  WriteAll(pdf, "an older sheet");
  const QStringList arguments = {QStringLiteral("sheet"), setup, QStringLiteral("-o"), pdf};
  const CliResult refused = RunQvaCli(arguments);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(refused.err),
            QStringLiteral("%1 already exists.\nUse --force to replace it.\n").arg(pdf));
  EXPECT_EQ(ReadAll(pdf), QByteArray("an older sheet"));

  const CliResult forced = RunQvaCli(arguments + QStringList{QStringLiteral("--force")});
  ASSERT_EQ(forced.exitCode, 0) << forced.err.toStdString();
  EXPECT_TRUE(ReadAll(pdf).startsWith("%PDF-"));
}

TEST(CliSheet, NeverReplacesTheSetupFileItIsMadeFrom) {
  const QString setup = WriteSetup(QStringLiteral("cars/Golf.Q11"), SampleConfig());
  const QByteArray before = ReadAll(setup);
  const CliResult result =
      RunQvaCli({QStringLiteral("sheet"), setup, QStringLiteral("-o"), setup, QStringLiteral("--force")});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(result.err),
            setup + QStringLiteral(":\nThe setup sheet cannot replace the setup file it is made from.\n"
                                   "You should choose another name for the sheet.\n"));
  EXPECT_EQ(ReadAll(setup), before);
}

TEST(CliSheet, AFullDiskLeavesNoPartOfASheetAndKeepsTheOldOne) {
  const QString setup = WriteSetup(QStringLiteral("cars/Golf.Q11"), SampleConfig());
  const QString folder = QFileInfo(setup).absolutePath();
  const QString fresh = folder + QStringLiteral("/Fresh.pdf");
  const QString old = folder + QStringLiteral("/Old.pdf");
  WriteAll(old, "the sheet printed last week");
  // Room for a few kilobytes: a sheet needs far more.
  for (const QString& target : {fresh, old}) {
    const CliResult result =
        RunQvaCli({QStringLiteral("sheet"), setup, QStringLiteral("-o"), target, QStringLiteral("--force")},
                  [] { LimitFileSizeOfThisProcess(4096); });
    EXPECT_EQ(result.exitCode, 2) << target.toStdString();
    EXPECT_EQ(QString::fromLocal8Bit(result.err), target + QStringLiteral(":\nFile write error\n"));
  }
  EXPECT_EQ(ReadAll(old), QByteArray("the sheet printed last week"));
  EXPECT_EQ(FilesIn(folder), (QStringList{QStringLiteral("Golf.Q11"), QStringLiteral("Old.pdf")}));
}

TEST(CliSheet, RefusesALongNoteAndAMissingOutput) {
  const QString setup = WriteSetup(QStringLiteral("cars/Golf.Q11"), SampleConfig());
  const CliResult noOutput = RunQvaCli({QStringLiteral("sheet"), setup});
  EXPECT_EQ(noOutput.exitCode, 2);
  EXPECT_EQ(noOutput.err, QByteArray("sheet needs -o FILE.\nTry \"qva-cli help sheet\".\n"));
  const CliResult longNote = RunQvaCli({QStringLiteral("sheet"), setup, QStringLiteral("-o"),
                                        TestEnvironment::PathIn(QStringLiteral("x.pdf")),
                                        QStringLiteral("--note"), QString(301, QLatin1Char('n'))});
  EXPECT_EQ(longNote.exitCode, 2);
  EXPECT_TRUE(longNote.err.startsWith("--note takes at most 300 characters.")) << longNote.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(TestEnvironment::PathIn(QStringLiteral("x.pdf"))));
}
