#include "app/historylist.h"

#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"
#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"

namespace {

const QString kHistoryKey = QStringLiteral("Config Files");
const QString kCountValue = QStringLiteral("Count");
const QString kHistoryValue = QStringLiteral("History");

QString HistoryKeyPath() {
  return JoinKeyPart(ApplicationKeyPath(), kHistoryKey);
}

// Index just past the folder part of a path, accepting either separator so
// that names written on Windows read the same here.
qsizetype FolderEnd(const QString& path) {
  const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  return slash + 1;
}

bool IsSeparator(QChar c) {
  return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

bool EndsWithSeparator(const QString& path) {
  return !path.isEmpty() && IsSeparator(path.back());
}

}  // namespace

void HistoryList::Load() {
  entries_.clear();
  TRegistry registry(RegistryRoot::CurrentUser);
  OpenVendorKey(registry, RegistryRoot::CurrentUser, ApplicationKeyPath());
  if (!registry.OpenKey(HistoryKeyPath(), true)) return;
  try {
    if (!registry.ValueExists(kCountValue)) return;
    const int count = std::min(registry.ReadInteger(kCountValue), kLimit);
    QStringList loaded;
    for (int index = 0; index < count; ++index) {
      const QString name = kHistoryValue + QString::number(index);
      if (!registry.ValueExists(name)) continue;
      const QString entry = registry.ReadString(name);
      // A hand-edited store may hold blanks or the same file twice; the
      // menu shows each file once.
      if (entry.trimmed().isEmpty() || loaded.contains(entry, Qt::CaseInsensitive)) continue;
      loaded.append(entry);
    }
    entries_ = loaded;
  } catch (const Exception&) {
    entries_.clear();
  }
}

void HistoryList::Save() const {
  TRegistry registry(RegistryRoot::CurrentUser);
  OpenVendorKey(registry, RegistryRoot::CurrentUser, ApplicationKeyPath());
  registry.DeleteKey(HistoryKeyPath());
  OpenVendorKey(registry, RegistryRoot::CurrentUser, HistoryKeyPath());
  registry.WriteInteger(kCountValue, static_cast<int>(entries_.size()));
  for (qsizetype index = 0; index < entries_.size(); ++index) {
    registry.WriteString(kHistoryValue + QString::number(index), entries_[index]);
  }
}

void HistoryList::Remove(const QString& path, bool save) {
  entries_.removeIf([&](const QString& entry) { return entry.compare(path, Qt::CaseInsensitive) == 0; });
  if (save) Save();
}

void HistoryList::Add(const QString& path, bool save) {
  Remove(path, false);
  entries_.prepend(path);
  while (entries_.size() > kLimit) entries_.removeLast();
  if (save) Save();
}

QString HistoryCaptionPrefix(int n, int count) {
  if (n == 10) return QStringLiteral("1&0 ");
  const QString lead = count > 9 ? QStringLiteral("  ") : QString();
  return lead + QLatin1Char('&') + QString::number(n) + QLatin1Char(' ');
}

QString HistoryDisplayName(const QString& path, const QString& configFolder) {
  QString name = path.trimmed();
  const QString extension = QLatin1Char('.') + kSetupFileExtension;
  if (name.endsWith(extension, Qt::CaseInsensitive) && name.size() > extension.size() &&
      !EndsWithSeparator(name.left(name.size() - extension.size()))) {
    name.chop(extension.size());
  }
  QString folder = configFolder;
  if (!folder.isEmpty() && !EndsWithSeparator(folder)) folder += QLatin1Char('/');
  const qsizetype end = FolderEnd(name);
  if (end > 0 && !folder.isEmpty()) {
    QString own = name.left(end);
    // Compare with one separator style, so "C:\Data\" and "C:/Data/" agree.
    own.replace(QLatin1Char('\\'), QLatin1Char('/'));
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (own.compare(folder, Qt::CaseInsensitive) == 0) name = name.mid(end);
  }
  return name;
}

QString ShortenPathToFit(const QString& path, int maxWidth, const std::function<int(const QString&)>& widthOf) {
  const qsizetype nameStart = FolderEnd(path);
  if (widthOf(path) <= maxWidth || nameStart == 0 || nameStart >= path.size()) return path;
  const QString ellipsis(QChar(0x2026));
  // The first folder ("/tmp" of "/tmp/a/Old", the drive "C:" of "C:\a\Old")
  // stays while there are others to drop.
  qsizetype firstEnd = 0;
  while (firstEnd < path.size() && IsSeparator(path[firstEnd])) ++firstEnd;
  while (firstEnd < path.size() && !IsSeparator(path[firstEnd])) ++firstEnd;
  for (qsizetype at = firstEnd + 1; at < nameStart; ++at) {
    if (!IsSeparator(path[at])) continue;
    const QString shortened = path.left(firstEnd + 1) + ellipsis + path.mid(at);
    if (widthOf(shortened) <= maxWidth) return shortened;
  }
  const QString inFolder = ellipsis + path.mid(nameStart - 1);
  if (widthOf(inFolder) <= maxWidth) return inFolder;
  return path.mid(nameStart);
}

QString HistoryHint(const QString& path) {
  return QStringLiteral("Opens the configuration file ") + path;
}
