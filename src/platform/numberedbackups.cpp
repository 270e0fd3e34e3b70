#include "platform/numberedbackups.h"

#include <algorithm>
#include <limits>
#include <vector>

#include <QDir>
#include <QFile>

#include "platform/fileattributes.h"
#include "platform/filepaths.h"
#include "platform/qvaerrors.h"

namespace {

constexpr int kBackupNumberWidth = 3;
const QString kBackupTitleSeparator = QStringLiteral(" - ");
const QString kNoNameTitle = QStringLiteral("No Name");

// A run of ASCII digits read as a number, or -1 (also when too large).
qint64 DecimalOrMinusOne(QStringView text) {
  if (text.isEmpty()) return -1;
  qint64 value = 0;
  for (QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return -1;
    value = value * 10 + (c.unicode() - '0');
    if (value > std::numeric_limits<int>::max()) return -1;
  }
  return value;
}

int BackupLimit(FileType backupKind) {
  switch (backupKind) {
    case FileType::SaveBackups:
      return kSaveBackupsLimit;
    case FileType::FromDeviceBackups:
      return kFromDeviceBackupsLimit;
    default:
      // Pruning any other folder would delete the user's own read-only files.
      throw Exception(QStringLiteral("Internal Error: Bad file type."));
  }
}

}  // namespace

QString NextNumberedFileName(const QString& prefix, int width, const QString& suffix) {
  const qsizetype start = FileNameStart(prefix);
  const QString folder = prefix.left(start);
  const QString lead = prefix.mid(start);
  const qsizetype minLength = lead.size() + std::max(width, 0) + suffix.size();
  // The number field is taken literally, never as a wildcard, so titles with
  // "*" or "?" cannot match other files; numbers that outgrew the width
  // (1000 after 999) still count, so the next name is never one in use.
  auto accept = [&](const QString& name) {
    if (name.size() < minLength) return false;
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return name.startsWith(lead, cs) && name.endsWith(suffix, cs);
  };
  // Every entry counts, whatever its attributes, so only names are read.
  QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
  const QStringList names =
      dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
  qint64 next = 0;
  for (const QString& name : names) {
    if (!accept(name)) continue;
    const QStringView number = QStringView(name).mid(lead.size(), name.size() - lead.size() - suffix.size());
    next = std::max(next, DecimalOrMinusOne(number) + 1);
  }
  return prefix + QStringLiteral("%1").arg(next, width, 10, QLatin1Char('0')) + suffix;
}

QString BackupFileName(FileType backupKind, const QString& setupFileName) {
  BackupLimit(backupKind);
  QString title = FileTitle(setupFileName).trimmed();
  if (title.isEmpty()) title = kNoNameTitle;
  return NextNumberedFileName(JoinPath(GetFolder(backupKind), title + kBackupTitleSeparator),
                              kBackupNumberWidth, QLatin1Char('.') + kSetupFileExtension);
}

void PruneBackups(FileType backupKind) {
  const int limit = BackupLimit(backupKind);
  const QString folder = GetFolder(backupKind);
  std::vector<FileEntry> candidates;
  for (FileEntry& entry :
       ListFiles(JoinPath(folder, QStringLiteral("*.") + kSetupFileExtension), faReadOnly)) {
    if (!(entry.attributes & faReadOnly) || (entry.attributes & (faDirectory | faSysFile))) continue;
    const QString title = FileTitle(entry.name);
    if (title.size() < kBackupNumberWidth ||
        DecimalOrMinusOne(QStringView(title).right(kBackupNumberWidth)) < 0)
      continue;
    candidates.push_back(std::move(entry));
  }
  // Oldest first; on equal time stamps the first in name order.
  std::stable_sort(candidates.begin(), candidates.end(), [](const FileEntry& a, const FileEntry& b) {
    if (a.modified != b.modified) return a.modified < b.modified;
    return QString::compare(a.name, b.name, Qt::CaseSensitive) < 0;
  });
  const std::size_t excess = candidates.size() > static_cast<std::size_t>(limit)
                                 ? candidates.size() - static_cast<std::size_t>(limit)
                                 : 0;
  for (std::size_t i = 0; i < excess; ++i) {
    const QString file = JoinPath(folder, candidates[i].name);
    SetReadOnlyAttribute(file, false);
    // A backup that will not go keeps its mark, so it stays protected.
    if (!QFile::remove(file)) SetReadOnlyAttribute(file, true);
  }
}

QString BackupSourceTitle(const QString& fileName) {
  const QString title = FileTitle(fileName);
  const qsizetype numberAt = title.size() - kBackupNumberWidth;
  const qsizetype separatorAt = numberAt - kBackupTitleSeparator.size();
  // Numbers that outgrew the width (1000 after 999) are still numbers.
  const qsizetype separator = title.lastIndexOf(kBackupTitleSeparator);
  if (separatorAt < 0 || separator < 0 || separator > separatorAt) return title;
  if (DecimalOrMinusOne(QStringView(title).mid(separator + kBackupTitleSeparator.size())) < 0) return title;
  return title.left(separator);
}
