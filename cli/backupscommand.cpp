#include "backupscommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "clirun.h"
#include "exitcodes.h"
#include "config/backuplist.h"
#include "config/sensortypes.h"
#include "editors/configcomparison.h"

namespace {

QByteArray BackupsJson(const std::vector<BackupEntry>& entries) {
  QJsonArray array;
  for (const BackupEntry& entry : entries) {
    QJsonObject object{
        {QStringLiteral("path"), entry.path},
        {QStringLiteral("time"),
         entry.time.toOffsetFromUtc(entry.time.offsetFromUtc()).toString(Qt::ISODate)},
        {QStringLiteral("folder"),
         entry.folder == BackupFolder::FromDevice ? QStringLiteral("device") : QStringLiteral("save")},
        {QStringLiteral("source"), entry.sourceName},
    };
    if (entry.config) {
      object.insert(QStringLiteral("sensor_type"), SensorTypeName(entry.config->sensor_type));
    } else {
      object.insert(QStringLiteral("sensor_type"), QJsonValue::Null);
      object.insert(QStringLiteral("error"), entry.error);
    }
    array.append(object);
  }
  return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QByteArray BackupsText(const std::vector<BackupEntry>& entries) {
  QStringList lines;
  for (const BackupEntry& entry : entries) {
    const QString state = entry.config
                              ? SensorTypeName(entry.config->sensor_type)
                              : QStringLiteral("cannot be read: ") +
                                    QString(entry.error).replace(QLatin1Char('\n'), QLatin1Char(' '));
    lines << QStringList{entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                         BackupFolderText(entry.folder), entry.sourceName, state, entry.path}
                 .join(QLatin1Char('\t'));
  }
  return lines.isEmpty() ? QByteArray() : lines.join(QLatin1Char('\n')).toUtf8() + '\n';
}

}  // namespace

int BackupsCommand(const CommandLine& line, CliOutput& output) {
  std::optional<BackupFolder> only;
  if (line.folder == QLatin1String("device")) only = BackupFolder::FromDevice;
  if (line.folder == QLatin1String("save")) only = BackupFolder::Save;
  const std::vector<BackupEntry> entries = ListBackups(only);
  output.Report(line.json ? BackupsJson(entries) : BackupsText(entries));
  return kExitSuccess;
}

int DiffInUnits(QVA_CONFIG_DATA a, QVA_CONFIG_DATA b, CliOutput& output) {
  UpgradeConfig(a);
  UpgradeConfig(b);
  const ConfigComparison comparison = CompareConfigs(a, b);
  output.Report(ComparisonLines(comparison).join(QLatin1Char('\n')).toUtf8() + '\n');
  return comparison.equal ? kExitSuccess : kExitDifferent;
}
