#include "platform/registeredfilepath.h"

#include <algorithm>
#include <cerrno>
#include <limits>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"
#include "platform/fileattributes.h"
#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/types.h>
#endif

#ifndef QVA_INSTALL_PREFIX
#define QVA_INSTALL_PREFIX "/usr/local"
#endif

namespace {

struct FolderInfo {
  const char* valueName;
  const char* defaultPath;
};

#ifdef Q_OS_WIN
constexpr FolderInfo kFolders[kFileTypeCount] = {
    {"QVA Config Files", "C:\\Ulmora\\QVA\\Config"},
    {"QVA Config From Device Backups", "C:\\Ulmora\\QVA\\Config\\From Device Backups"},
    {"QVA Config Save Backups", "C:\\Ulmora\\QVA\\Config\\Save Backups"},
    {"QVA Config File Templates", "C:\\Ulmora\\QVA\\Config\\Templates"},
    {"QVA Setup Tables", "C:\\Ulmora\\QVA\\Setup Tables"},
};
constexpr int kAccessDenied = 5;  // ERROR_ACCESS_DENIED
constexpr int kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND
#else
// A desktop user cannot write below "/", so the folders live in the user's
// documents folder.
constexpr FolderInfo kFolders[kFileTypeCount] = {
    {"QVA Config Files", "<<DOCUMENTS>>/Ulmora/QVA/Config"},
    {"QVA Config From Device Backups", "<<DOCUMENTS>>/Ulmora/QVA/Config/From Device Backups"},
    {"QVA Config Save Backups", "<<DOCUMENTS>>/Ulmora/QVA/Config/Save Backups"},
    {"QVA Config File Templates", "<<DOCUMENTS>>/Ulmora/QVA/Config/Templates"},
    {"QVA Setup Tables", "<<DOCUMENTS>>/Ulmora/QVA/Setup Tables"},
};
constexpr int kAccessDenied = EACCES;
constexpr int kPathNotFound = ENOENT;
#endif

constexpr int kBackupNumberWidth = 3;
const QString kBackupTitleSeparator = QStringLiteral(" - ");
const QString kNoNameTitle = QStringLiteral("No Name");

int CheckedIndex(FileType kind) {
  const int index = static_cast<int>(kind);
  if (index < 0 || index >= kFileTypeCount) throw Exception(QStringLiteral("Internal Error: Bad file type."));
  return index;
}

bool IsSeparator(QChar c) {
#ifdef Q_OS_WIN
  return c == QLatin1Char('\\') || c == QLatin1Char('/');
#else
  return c == QLatin1Char('/');
#endif
}

// Where the folder part of a path ends: the index after its last separator
// (or drive colon on Windows), 0 when the path has no folder part.
qsizetype NameStart(const QString& path) {
  for (qsizetype i = path.size(); i > 0; --i) {
    const QChar c = path.at(i - 1);
    if (IsSeparator(c)) return i;
#ifdef Q_OS_WIN
    if (c == QLatin1Char(':')) return i;
#endif
  }
  return 0;
}

QString WithoutTrailingSeparator(QString path) {
  while (path.size() > 1 && IsSeparator(path.back())) path.chop(1);
  return path;
}

QString DocumentsDir() {
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty()) documents = QDir::homePath();
  return QDir::toNativeSeparators(WithoutTrailingSeparator(documents));
}

QString ProgramFilesDir() {
#ifdef Q_OS_WIN
  const QString dir = qEnvironmentVariable("ProgramFiles");
  return dir.isEmpty() ? QStringLiteral("C:\\PROGRAM FILES") : WithoutTrailingSeparator(dir);
#else
  return QStringLiteral(QVA_INSTALL_PREFIX);
#endif
}

// The program's own directory does not change while it runs; it is known
// once the application object exists.
QString AppDirNoSeparator() {
  static QString cached;
  if (!cached.isEmpty()) return cached;
  if (!QCoreApplication::instance())
    return QDir::toNativeSeparators(WithoutTrailingSeparator(QDir::currentPath()));
  cached = QDir::toNativeSeparators(WithoutTrailingSeparator(QCoreApplication::applicationDirPath()));
  return cached;
}

const QString& TempDirNoSeparator() {
  static const QString dir = QDir::toNativeSeparators(WithoutTrailingSeparator(QDir::tempPath()));
  return dir;
}

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

// The folder entries whose names pass `accept`, "." and ".." excluded.
template <typename Accept>
std::vector<FileEntry> ListFolder(const QString& folder, int attributeMask, Accept accept) {
  std::vector<FileEntry> entries;
  const QString dirPath = folder.isEmpty() ? QStringLiteral(".") : folder;
  QDir dir(dirPath);
  if (!dir.exists()) return entries;
  const QFileInfoList infos =
      dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
  // Hidden entries, system entries and folders only when asked for; normal
  // and read-only files always.
  const int excluded = ~attributeMask & (faHidden | faSysFile | faDirectory);
  for (const QFileInfo& info : infos) {
    const QString name = info.fileName();
    if (!accept(name)) continue;
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

int MakeDirectory(const QString& path) {
#ifdef Q_OS_WIN
  if (CreateDirectoryW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), nullptr))
    return 0;
  const int code = static_cast<int>(GetLastError());
  return code != 0 ? code : kAccessDenied;
#else
  const QByteArray native = QFile::encodeName(path);
  errno = 0;
  if (::mkdir(native.constData(), 0777) == 0) return 0;
  return errno != 0 ? errno : kAccessDenied;
#endif
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

QString FolderValueName(FileType kind) {
  return QString::fromLatin1(kFolders[CheckedIndex(kind)].valueName);
}

QString DefaultFolderPath(FileType kind) {
  return QString::fromLatin1(kFolders[CheckedIndex(kind)].defaultPath);
}

QString GetFolder(FileType kind) {
  const int index = CheckedIndex(kind);
  QString path;
  {
    TRegistry registry(RegistryRoot::LocalMachine);
    const QString keyPath = DirectoriesKeyPath();
    if (!registry.OpenKey(keyPath, true))
      throw Exception(QStringLiteral("Cannot access registry key ") + keyPath);
    const QString valueName = QString::fromLatin1(kFolders[index].valueName);
    if (registry.ValueExists(valueName)) {
      path = registry.ReadString(valueName);
    } else {
      path = ExpandPathMacros(QString::fromLatin1(kFolders[index].defaultPath));
      registry.WriteString(valueName, path);
    }
  }
  if (!QFileInfo(path).isDir()) {
    try {
      CreateDirectoryPath(path);
    } catch (const ESystemError&) {
      return ApplicationDir();
    }
  }
  return path;
}

void SetFolder(FileType kind, const QString& path) {
  const int index = CheckedIndex(kind);
  TRegistry registry(RegistryRoot::LocalMachine);
  const QString keyPath = DirectoriesKeyPath();
  if (!registry.OpenKey(keyPath, true))
    throw Exception(QStringLiteral("Cannot access registry key ") + keyPath);
  registry.WriteString(QString::fromLatin1(kFolders[index].valueName), path);
}

QString ExpandPathMacros(const QString& text) {
  QString result = text;
  auto replace = [&result](const char* macro, const auto& value) {
    if (result.contains(QLatin1String(macro), Qt::CaseSensitive))
      result.replace(QLatin1String(macro), value(), Qt::CaseSensitive);
  };
  replace("<<PROGRAMFILES>>", ProgramFilesDir);
  replace("<<APPDIR>>", AppDirNoSeparator);
  replace("<<TEMPDIR>>", TempDirNoSeparator);
  replace("<<DOCUMENTS>>", DocumentsDir);
  return result;
}

QString ApplicationDir() {
  return JoinPath(AppDirNoSeparator(), QString());
}

QString JoinPath(const QString& left, const QString& right) {
  if (!left.isEmpty()) {
    const QChar last = left.back();
    if (IsSeparator(last)) return left + right;
#ifdef Q_OS_WIN
    if (last == QLatin1Char(':')) return left + right;
#endif
  }
  return left + QDir::separator() + right;
}

QString FileTitle(const QString& path) {
  const QString name = path.mid(NameStart(path));
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? name : name.left(dot);
}

void CreateDirectoryPath(const QString& path) {
  QString full = path.trimmed();
  if (!full.isEmpty() && IsSeparator(full.back())) full.chop(1);
  if (full.isEmpty()) throw ESystemError(kPathNotFound, QStringLiteral("Error creating directory ") + full);
  // Each level in turn from the left, then the whole path.
  for (qsizetype i = 0; i <= full.size(); ++i) {
    if (i < full.size() && !IsSeparator(full.at(i))) continue;
    const QString prefix = full.left(i);
    if (prefix.isEmpty() || IsSeparator(prefix.back())) continue;  // the root, or a doubled separator
#ifdef Q_OS_WIN
    if (prefix.endsWith(QLatin1Char(':'))) continue;  // a drive
#endif
    if (QFileInfo(prefix).isDir()) continue;
    const int code = MakeDirectory(prefix);
    if (code != 0) throw ESystemError(code, QStringLiteral("Error creating directory ") + prefix);
  }
}

std::vector<FileEntry> ListFiles(const QString& pattern, int attributeMask) {
  const qsizetype start = NameStart(pattern);
  const QString folder = pattern.left(start);
  const QString namePattern = pattern.mid(start);
  return ListFolder(folder, attributeMask,
                    [&namePattern](const QString& name) { return WildcardMatch(namePattern, name); });
}

QString NextNumberedFileName(const QString& prefix, int width, const QString& suffix) {
  const qsizetype start = NameStart(prefix);
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

void SaveOverWithBackup(const QString& path, const QVA_CONFIG_DATA& config) {
  SaveOverWithBackup(path, config, [](const QString& from, const QString& to) {
    // QFile::rename never replaces an existing file.
    return !QFileInfo::exists(to) && QFile::rename(from, to);
  });
}

void SaveOverWithBackup(const QString& path, const QVA_CONFIG_DATA& config, const FileMover& move) {
  const QFileInfo info(path);
  const bool replacing = info.exists();
  // Only a writable regular file is ever replaced (never a folder, a device
  // or a file the user protected).
  if (replacing && (!info.isFile() || IsReadOnlyFile(path))) throw ESystemError(kAccessDenied);
  // Through a link, the file that holds the content is what moves to the
  // backup and what is written; the link stays as it is.
  const QString target = replacing && info.isSymLink() ? info.canonicalFilePath() : path;

  // The new content is complete on disk before the old file is touched.
  const QByteArray bytes = SetupFileBytes(config);
  QSaveFile file(target);
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) {
    const int code = LastSystemError();
    throw ESystemError(code != 0 ? code : kAccessDenied);
  }
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    throw EFileWrite();
  }

  QString backup;
  if (replacing) {
    const QString candidate = BackupFileName(FileType::SaveBackups, path);
    // A move that fails leaves the old file in place and the save goes on
    // without a backup.
    if (!QFileInfo::exists(candidate) && move(target, candidate)) {
      backup = candidate;
      SetReadOnlyAttribute(backup, true);
    }
  }

  if (!file.commit()) {
    // Put the old file back where it was rather than leave the user with
    // neither version at the path.
    if (!backup.isEmpty() && !QFileInfo::exists(target)) {
      SetReadOnlyAttribute(backup, false);
      if (!move(backup, target)) SetReadOnlyAttribute(backup, true);
    }
    throw EFileWrite();
  }
  // Pruning comes last so that the backup just made exists until the new
  // file is safely in place.
  if (!backup.isEmpty()) PruneBackups(FileType::SaveBackups);
}

QString ConfigLocationPath(const QString& text) {
  QString path = text.trimmed();
  while (!path.isEmpty() && IsSeparator(path.back())) path.chop(1);
  if (path.isEmpty()) return path;
  return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

bool AcceptConfigFileLocation(const QString& path, Prompter& prompter, const QString& caption) {
  if (path.trimmed().isEmpty()) {
    ShowInformation(prompter, QStringLiteral("You should enter a directory to proceed"), caption);
    return false;
  }
  if (!QFileInfo(path).isDir()) {
    MessageRequest question;
    question.text = QStringLiteral("The directory ") + path +
                    QStringLiteral(" does not exist.\nDo you want to create this directory ?");
    question.caption = caption;
    question.buttons = MessageButtons::YesNo;
    question.icon = MessageIcon::Information;
    if (prompter.Message(question) != MessageResult::Yes) return false;
    CreateDirectoryPath(path);
  }
  const QString saveBackups = JoinPath(path, kSaveBackupsFolderName);
  const QString fromDeviceBackups = JoinPath(path, kFromDeviceBackupsFolderName);
  for (const QString& folder : {saveBackups, fromDeviceBackups}) {
    if (!QFileInfo(folder).isDir()) CreateDirectoryPath(folder);
  }
  SetFolder(FileType::ConfigFiles, path);
  SetFolder(FileType::SaveBackups, saveBackups);
  SetFolder(FileType::FromDeviceBackups, fromDeviceBackups);
  return true;
}

std::vector<TemplateEntry> ListTemplates(const QString& folder) {
  std::vector<TemplateEntry> entries;
  for (const FileEntry& file :
       ListFiles(JoinPath(folder, QStringLiteral("*.") + kSetupFileExtension), faReadOnly)) {
    entries.push_back({FileTitle(file.name), file.name});
  }
  if (entries.empty()) entries.push_back({kBlankConfigurationEntry, QString()});
  return entries;
}

QString TemplatePath(const QString& folder, const TemplateEntry& entry) {
  return entry.fileName.isEmpty() ? QString() : JoinPath(folder, entry.fileName);
}
