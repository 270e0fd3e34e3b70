// The setup sheet as a PDF, read back with poppler's pdftotext and pdfinfo
// (poppler-utils) as a user's viewer would: real text, A4 or Letter pages.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "editors/setupsheet.h"
#include "editors/setupsheetpdf.h"
#include "support/filesizelimit.h"
#include "support/samplerecords.h"
#include "support/testenvironment.h"

namespace {

QString Poppler(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(30000) || process.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
    return QString();
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

QString WriteSample(const QString& name, const QPageSize& size, int* pages = nullptr) {
  const SetupSheet sheet = BuildSetupSheet(
      SampleConfig(),
      {QStringLiteral("/cars/Sample.Q11"), QDate(2026, 3, 14), QStringLiteral("Golf GTI, J. Smith")});
  const QString path = TestEnvironment::PathIn(name);
  const int written = WriteSetupSheet(path, sheet, size);
  if (pages) *pages = written;
  return path;
}

}  // namespace

TEST(SetupSheetPdf, SampleSheetReadsBackAsTextOnTwoA4Pages) {
  int pages = 0;
  const QString path = WriteSample(QStringLiteral("Sample.pdf"), QPageSize(QPageSize::A4), &pages);
  const QString text =
      Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
  const QString expected[] = {
      "QVA Setup Sheet", "Sample.Q11", "2026-03-14", "Golf GTI, J. Smith",
      // Every section heading, in the order of the Setup menu.
      "Sensor Setup", "Display Setup", "Output Table Setup: Table 1", "Output Table Setup: Table 2",
      "Digital Inputs Setup", "CAN Message Setup", "Analog Output Setup",
      // The sensor type's name and the tables by name.
      "Bosch LSU4", "Table 1: Lambda", "Table 2: AFR",
      // Message 2's standard identifier 0x5A0 (IDR0 180).
      "Message 2", "5A0",
      // The checksum the meter computes, and the stale one the sample holds.
      "0x" +
          QString::number(ConfigImageCrc(ToDeviceImage(SampleConfig())), 16).toUpper().rightJustified(4, '0'),
      "0xBEEF (48879)"};
  int at = 0;
  for (const QString& item : expected) {
    const int found = static_cast<int>(text.indexOf(item, 0));
    EXPECT_GE(found, 0) << "missing: " << item.toStdString();
  }
  for (const char* heading :
       {"Sensor Setup", "Display Setup", "Output Table Setup: Table 1", "Output Table Setup: Table 2",
        "Digital Inputs Setup", "CAN Message Setup", "Analog Output Setup"}) {
    const int found = static_cast<int>(text.indexOf(
        QRegularExpression(
            QStringLiteral("^[\\f ]*") + QRegularExpression::escape(heading) + QStringLiteral(" *$"),
            QRegularExpression::MultilineOption),
        at));
    EXPECT_GT(found, at) << "heading out of order: " << heading;
    at = std::max(at, found);
  }
  // Real text without ligatures: the analog output's function reads "Off".
  EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Output Function\\s+Off\\n"))));
  // First and last points of both output tables, input beside output.
  for (const char* row :
       {"0\\.000\\s+-0\\.400", "1\\.500\\s+0\\.200", "-1\\.200\\s+735", "1\\.500\\s+2205"}) {
    EXPECT_TRUE(text.contains(QRegularExpression(QLatin1String(row)))) << "missing point " << row;
  }
  const QString info = Poppler(QStringLiteral("pdfinfo"), {path});
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))))
      << info.toStdString();
  EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
  EXPECT_EQ(pages, 2);
}

TEST(SetupSheetPdf, LetterPagesWhereTheLocaleMeasuresInInches) {
  EXPECT_EQ(SheetPageSize(QLocale(QLocale::English, QLocale::UnitedStates)).id(), QPageSize::Letter);
  EXPECT_EQ(SheetPageSize(QLocale(QLocale::German, QLocale::Germany)).id(), QPageSize::A4);
  const QString path = WriteSample(QStringLiteral("Letter.pdf"),
                                   SheetPageSize(QLocale(QLocale::English, QLocale::UnitedStates)));
  const QString info = Poppler(QStringLiteral("pdfinfo"), {path});
  EXPECT_TRUE(info.contains(QStringLiteral("612 x 792 pts (letter)"))) << info.toStdString();
}

TEST(SetupSheetPdf, AFullDiskLeavesNoPartOfTheSheet) {
  const SetupSheet sheet =
      BuildSetupSheet(SampleConfig(), {QStringLiteral("Sample.Q11"), QDate(2026, 3, 14), QString()});
  const QString path = TestEnvironment::PathIn(QStringLiteral("full/Sample.pdf"));
  const QString folder = QFileInfo(path).absolutePath();
  const LimitedRun run =
      RunUnderFileSizeLimit(4096, [&] { WriteSetupSheet(path, sheet, QPageSize(QPageSize::A4)); });
  EXPECT_TRUE(run.completed);
  EXPECT_TRUE(run.raised);
  EXPECT_EQ(run.message, "File write error");
  EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
}
