// The reports behind qva-cli dump and diff, checked against every field.

#include <cstdio>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "clitestsupport.h"
#include "config/configfields.h"
#include "clirun.h"
#include "configreport.h"
#include "support/testenvironment.h"

namespace {

uint8_t* Bytes(QVA_CONFIG_DATA& config) {
  return reinterpret_cast<uint8_t*>(&config);
}

}  // namespace

TEST(ConfigReportDiff, EveryNamedFieldChangedAloneGivesExactlyItsLine) {
  const QVA_CONFIG_DATA base = SampleConfig();
  for (const ConfigField& field : ConfigFields()) {
    // Change the field's last byte: for a name that is a byte after its
    // terminator, which the diff must still report.
    QVA_CONFIG_DATA changed = base;
    Bytes(changed)[field.offset + field.size - 1] ^= 0x41;
    const ConfigDifference difference = DiffConfigs(base, changed);
    EXPECT_FALSE(difference.equal);
    ASSERT_EQ(difference.lines.size(), 1) << field.name.toStdString();
    const QString& line = difference.lines.front();
    EXPECT_TRUE(line.startsWith(field.name + QStringLiteral(": "))) << line.toStdString();
    const QStringList sides = line.mid(field.name.size() + 2).split(QStringLiteral(" -> "));
    ASSERT_EQ(sides.size(), 2) << line.toStdString();
    EXPECT_NE(sides[0], sides[1]) << line.toStdString();
  }
}

TEST(ConfigReportDiff, EveryReservedByteChangedAloneIsNamedByOffset) {
  const QVA_CONFIG_DATA base = SampleConfig();
  for (const ReservedRange& range : ReservedRanges()) {
    for (int i = 0; i < range.size; ++i) {
      QVA_CONFIG_DATA changed = base;
      Bytes(changed)[range.offset + i] = 0xA5;
      const ConfigDifference difference = DiffConfigs(base, changed);
      EXPECT_EQ(difference.lines,
                QStringList{QStringLiteral("reserved bytes differ at offsets: %1").arg(range.offset + i)});
    }
  }
}

TEST(ConfigReportDiff, EqualRecordsGiveNoLines) {
  const ConfigDifference difference = DiffConfigs(SampleConfig(), SampleConfig());
  EXPECT_TRUE(difference.equal);
  EXPECT_TRUE(difference.lines.isEmpty());
}

TEST(ConfigReportDump, TextAndJsonAgreeOnEveryNumber) {
  QVA_CONFIG_DATA config = SampleConfig();
  // A different value in every byte, so a field read from the wrong place shows.
  for (std::size_t i = 4; i < kConfigSize; ++i) Bytes(config)[i] = static_cast<uint8_t>(i * 7 + 3);
  const QJsonObject json = QJsonDocument::fromJson(DumpJson(config)).object();
  const QList<QByteArray> lines = DumpText(config).split('\n');
  ASSERT_GE(lines.size(), static_cast<qsizetype>(ConfigFields().size()));
  for (std::size_t i = 0; i < ConfigFields().size(); ++i) {
    const ConfigField& field = ConfigFields()[i];
    if (field.kind == FieldKind::Text) continue;
    const QString value = QString::fromLatin1(lines[i].mid(field.name.size() + 3));
    const QJsonValue jsonValue = json.value(field.name);
    if (field.kind == FieldKind::Point) {
      EXPECT_EQ(value, QStringLiteral("%1, %2").arg(jsonValue[0].toInt()).arg(jsonValue[1].toInt()));
    } else {
      EXPECT_EQ(value, QString::number(jsonValue.toInt())) << field.name.toStdString();
    }
  }
}

TEST(CliReportOutput, AReportThatCannotBeWrittenIsAFailure) {
  const QString file = WriteSetup(QStringLiteral("A.Q11"), SampleConfig());
  const QString outPath = TestEnvironment::PathIn(QStringLiteral("capture/out.txt"));
  const QString errPath = TestEnvironment::PathIn(QStringLiteral("capture/err.txt"));
  WriteAll(outPath, QByteArray());
  // A stream open for reading only refuses every write, as a full disk would.
  std::FILE* out = std::fopen(QFile::encodeName(outPath).constData(), "rb");
  std::FILE* err = std::fopen(QFile::encodeName(errPath).constData(), "wb");
  ASSERT_TRUE(out && err);
  CliOutput output(out, err);
  EXPECT_EQ(RunCli({QStringLiteral("dump"), file}, output), 2);
  std::fclose(out);
  std::fclose(err);
  EXPECT_EQ(ReadAll(errPath), QByteArray("File write error\n"));
}

TEST(ConfigReportDump, AnyRecordGivesPrintableLinesAndValidJson) {
  // Records as a damaged file or a confused meter might hold them.
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<uint8_t>(state >> 24);
  };
  for (int round = 0; round < 200; ++round) {
    QVA_CONFIG_DATA config;
    for (std::size_t i = 0; i < kConfigSize; ++i) Bytes(config)[i] = next();
    const QList<QByteArray> lines = DumpText(config).split('\n');
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(ConfigFields().size()) + 1);  // and the final empty part
    for (const QByteArray& line : lines) {
      for (const char c : line) ASSERT_TRUE(c >= 0x20 && c < 0x7F) << line.toStdString();
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(DumpJson(config), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_EQ(document.object().size(), static_cast<qsizetype>(ConfigFields().size()));
  }
}
