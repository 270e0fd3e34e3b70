#include "platform/filepaths.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/qvaerrors.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/types.h>
#endif

namespace {

// Wildcard match of a whole name: '*' any run of characters, '?' exactly
// one; every other character matches itself (on Windows ignoring case, as
// the platform compares names).
bool WildcardMatch(QStringView pattern, QStringView name) {
  qsizetype p = 0, n = 0, starP = -1, starN = 0;
  auto same = [](QChar a, QChar b) {
#ifdef Q_OS_WIN
    return a.toCaseFolded() == b.toCaseFolded();
#else
    return a == b;
#endif
  };
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == QLatin1Char('?') || (pattern[p] != QLatin1Char('*') && same(pattern[p], name[n])))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
      starP = p++;
      starN = n;
    } else if (starP >= 0) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == QLatin1Char('*')) ++p;
  return p == pattern.size();
}

int AttributesOf(const QFileInfo& info) {
  int attributes = 0;
  if (info.isDir()) {
    attributes |= faDirectory;
  } else if (!info.isFile()) {
    // Sockets, pipes and device nodes are never documents.
    attributes |= faSysFile;
  } else {
    attributes |= faArchive;
  }
#ifdef Q_OS_WIN
  if (info.isHidden()) attributes |= faHidden;
#else
  if (info.fileName().startsWith(QLatin1Char('.'))) attributes |= faHidden;
#endif
  // The same rule as IsReadOnlyFile, on the entry already read.
  constexpr QFileDevice::Permissions kWriteBits =
      QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
  if (!info.isDir() && info.exists() && (info.permissions() & kWriteBits) == 0) attributes |= faReadOnly;
  return attributes;
}

int MakeDirectory(const QString& path) {
#ifdef Q_OS_WIN
  if (CreateDirectoryW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), nullptr))
    return 0;
  const int code = static_cast<int>(GetLastError());
  return code != 0 ? code : kAccessDeniedCode;
#else
  const QByteArray native = QFile::encodeName(path);
  errno = 0;
  if (::mkdir(native.constData(), 0777) == 0) return 0;
  return errno != 0 ? errno : kAccessDeniedCode;
#endif
}

}  // namespace

bool IsPathSeparator(QChar c) {
#ifdef Q_OS_WIN
  return c == QLatin1Char('\\') || c == QLatin1Char('/');
#else
  return c == QLatin1Char('/');
#endif
}

qsizetype FileNameStart(const QString& path) {
  for (qsizetype i = path.size(); i > 0; --i) {
    const QChar c = path.at(i - 1);
    if (IsPathSeparator(c)) return i;
#ifdef Q_OS_WIN
    if (c == QLatin1Char(':')) return i;
#endif
  }
  return 0;
}

QString JoinPath(const QString& left, const QString& right) {
  if (!left.isEmpty()) {
    const QChar last = left.back();
    if (IsPathSeparator(last)) return left + right;
#ifdef Q_OS_WIN
    if (last == QLatin1Char(':')) return left + right;
#endif
  }
  return left + QDir::separator() + right;
}

QString FileTitle(const QString& path) {
  const QString name = path.mid(FileNameStart(path));
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? name : name.left(dot);
}

void CreateDirectoryPath(const QString& path) {
  QString full = path.trimmed();
  if (!full.isEmpty() && IsPathSeparator(full.back())) full.chop(1);
  if (full.isEmpty()) throw ESystemError(kPathNotFoundCode, QStringLiteral("Error creating directory ") + full);
  // Each level in turn from the left, then the whole path.
  for (qsizetype i = 0; i <= full.size(); ++i) {
    if (i < full.size() && !IsPathSeparator(full.at(i))) continue;
    const QString prefix = full.left(i);
    if (prefix.isEmpty() || IsPathSeparator(prefix.back())) continue;  // the root, or a doubled separator
#ifdef Q_OS_WIN
    if (prefix.endsWith(QLatin1Char(':'))) continue;  // a drive
#endif
    if (QFileInfo(prefix).isDir()) continue;
    const int code = MakeDirectory(prefix);
    if (code != 0) throw ESystemError(code, QStringLiteral("Error creating directory ") + prefix);
  }
}

std::vector<FileEntry> ListFiles(const QString& pattern, int attributeMask) {
  const qsizetype start = FileNameStart(pattern);
  const QString folder = pattern.left(start);
  const QString namePattern = pattern.mid(start);
  std::vector<FileEntry> entries;
  QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
  if (!dir.exists()) return entries;
  const QFileInfoList infos =
      dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
  // Hidden entries, system entries and folders only when asked for; normal
  // and read-only files always.
  const int excluded = ~attributeMask & (faHidden | faSysFile | faDirectory);
  for (const QFileInfo& info : infos) {
    const QString name = info.fileName();
    if (!WildcardMatch(namePattern, name)) continue;
    FileEntry entry;
    entry.name = name;
    entry.attributes = AttributesOf(info);
    if (entry.attributes & excluded) continue;
    entry.modified = info.lastModified();
    entry.size = info.isFile() ? info.size() : 0;
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(), [](const FileEntry& a, const FileEntry& b) {
    return QString::compare(a.name, b.name, Qt::CaseSensitive) < 0;
  });
  return entries;
}
