#include "platform/registeredfilepath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"
#include "platform/filepaths.h"
#include "platform/qvaerrors.h"

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
#endif

int CheckedIndex(FileType kind) {
  const int index = static_cast<int>(kind);
  if (index < 0 || index >= kFileTypeCount) throw Exception(QStringLiteral("Internal Error: Bad file type."));
  return index;
}

QString WithoutTrailingSeparator(QString path) {
  while (path.size() > 1 && IsPathSeparator(path.back())) path.chop(1);
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
