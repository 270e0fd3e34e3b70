#include "support/testenvironment.h"

#include "config/fileattributes.h"

#include <cstdlib>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QTemporaryDir* g_root = nullptr;

void SetEnv(const char* name, const QString& value) {
  qputenv(name, QFile::encodeName(value));
}

}  // namespace

namespace TestEnvironment {

void Setup() {
  g_root = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/qva-test-XXXXXX"));
  const QString root = g_root->path();
  for (const char* sub : {"home", "config", "data", "cache", "runtime", "tmp", "home/Documents"}) {
    QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
  }
  QFile::setPermissions(root + QStringLiteral("/runtime"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  SetEnv("HOME", root + QStringLiteral("/home"));
  SetEnv("XDG_CONFIG_HOME", root + QStringLiteral("/config"));
  SetEnv("XDG_DATA_HOME", root + QStringLiteral("/data"));
  SetEnv("XDG_CACHE_HOME", root + QStringLiteral("/cache"));
  SetEnv("XDG_RUNTIME_DIR", root + QStringLiteral("/runtime"));
  SetEnv("XDG_DOCUMENTS_DIR", root + QStringLiteral("/home/Documents"));
  SetEnv("TMPDIR", root + QStringLiteral("/tmp"));
}

void TearDown() {
  if (!g_root) return;
  delete g_root;
  g_root = nullptr;
}

QString Root() {
  return g_root ? g_root->path() : QDir::tempPath();
}

QString PathIn(const QString& relative) {
  const QString path = Root() + QLatin1Char('/') + relative;
  QDir().mkpath(QFileInfo(path).absolutePath());
  return path;
}

}  // namespace TestEnvironment

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

bool IsReadOnly(const QString& path) {
  return IsReadOnlyFile(path);
}

void SetReadOnly(const QString& path, bool readOnly) {
  ASSERT_TRUE(SetReadOnlyAttribute(path, readOnly));
}

QString BinDir() {
  const QByteArray dir = qgetenv("QVA_BIN_DIR");
  if (!dir.isEmpty()) return QFile::decodeName(dir);
  // The build puts the test programs in the same bin folder as the
  // programs they run.
  if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
  return QStringLiteral(".");
}
