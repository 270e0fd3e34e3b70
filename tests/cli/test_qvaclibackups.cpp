// qva-cli backups and diff --units after real saves (set) and a real send
// against qva-device-sim.

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "platform/filepaths.h"
#include "platform/registeredfilepath.h"
#include "clitestsupport.h"
#include "simprocess.h"
#include "support/testenvironment.h"

// Faults caught: a list in the wrong order or missing a folder, JSON that
// does not parse or lacks a field, a listing that touches the backups, and
// a unit diff that prints raw record names.

TEST(CliBackups, ListsTheBackupsOfRealSavesAndASendNewestFirstAsJson) {
  QVA_CONFIG_DATA car = SampleConfig({.seed = 2, .sensorType = 3});
  car.display_config.filter_time = 5;
  const QString file = WriteSetup(QStringLiteral("Car.Q11"), car);
  for (const char* value : {"display_config.filter_time=7", "display_config.filter_time=8"}) {
    const CliResult set = RunQvaCli({QStringLiteral("set"), file, QString::fromLatin1(value)});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
  }
  SimProcess sim(
      {QStringLiteral("--config"), WriteSetup(QStringLiteral("meter.Q11"), SampleConfig({.seed = 9}))});
  ASSERT_TRUE(sim.Started());
  const CliResult send = RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), sim.Port(), file});
  ASSERT_EQ(send.exitCode, 0) << send.err.toStdString();
  sim.Stop();

  const CliResult listed = RunQvaCli({QStringLiteral("backups"), QStringLiteral("--json")});
  ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
  QJsonParseError error;
  const QJsonArray array = QJsonDocument::fromJson(listed.out, &error).array();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << listed.out.toStdString();
  QStringList rows;
  for (const QJsonValue& value : array) {
    const QJsonObject entry = value.toObject();
    const QString path = entry.value(QStringLiteral("path")).toString();
    EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    EXPECT_TRUE(QDateTime::fromString(entry.value(QStringLiteral("time")).toString(), Qt::ISODate).isValid());
    rows << QStringList{FileTitle(path), entry.value(QStringLiteral("folder")).toString(),
                        entry.value(QStringLiteral("source")).toString(),
                        entry.value(QStringLiteral("sensor_type")).toString()}
                .join(QLatin1Char('|'));
  }
  EXPECT_EQ(rows, (QStringList{QStringLiteral("QVA Backup - 000|device|QVA Backup|Bosch LSU4"),
                               QStringLiteral("Car - 001|save|Car|Bosch LSU4.2"),
                               QStringLiteral("Car - 000|save|Car|Bosch LSU4.2")}));

  const CliResult saves =
      RunQvaCli({QStringLiteral("backups"), QStringLiteral("--folder"), QStringLiteral("save")});
  EXPECT_EQ(saves.out.count('\n'), 2) << saves.out.toStdString();

  const QString newest = JoinPath(GetFolder(FileType::SaveBackups), QStringLiteral("Car - 001.Q11"));
  const CliResult diff = RunQvaCli({QStringLiteral("diff"), QStringLiteral("--units"), newest, file});
  EXPECT_EQ(diff.exitCode, 1);
  EXPECT_EQ(diff.out, QByteArray("Display\n  Filter Time: 0.7 s -> 0.8 s\n"));
}

TEST(CliBackups, RefusesAFolderItDoesNotKnow) {
  const CliResult result =
      RunQvaCli({QStringLiteral("backups"), QStringLiteral("--folder"), QStringLiteral("all")});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.err.startsWith("--folder takes device or save, not \"all\"."))
      << result.err.toStdString();
}
