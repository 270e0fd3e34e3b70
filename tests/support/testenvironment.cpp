#include "support/testenvironment.h"

#include "config/qvasetupfiler.h"
#include "platform/fileattributes.h"

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

namespace {

int g_caseNumber = 0;
QString g_caseRoot;

// Points HOME, the XDG folders and TMPDIR at a new, empty folder of the
// root, so that what one test case stored (settings, recent files, folders,
// a lock) is never seen by the next.
void StartFreshCase() {
  const QString base = g_root->path() + QStringLiteral("/case-") + QString::number(++g_caseNumber);
  g_caseRoot = base;
  for (const char* sub : {"home", "config", "data", "cache", "runtime", "tmp", "home/Documents"}) {
    QDir().mkpath(base + QLatin1Char('/') + QLatin1String(sub));
  }
  QFile::setPermissions(base + QStringLiteral("/runtime"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  SetEnv("HOME", base + QStringLiteral("/home"));
  SetEnv("XDG_CONFIG_HOME", base + QStringLiteral("/config"));
  SetEnv("XDG_DATA_HOME", base + QStringLiteral("/data"));
  SetEnv("XDG_CACHE_HOME", base + QStringLiteral("/cache"));
  SetEnv("XDG_RUNTIME_DIR", base + QStringLiteral("/runtime"));
  SetEnv("XDG_DOCUMENTS_DIR", base + QStringLiteral("/home/Documents"));
  SetEnv("TMPDIR", base + QStringLiteral("/tmp"));
}

class FreshCaseListener : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { StartFreshCase(); }
};

}  // namespace

void Setup() {
  g_root = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/qva-test-XXXXXX"));
  // The process itself starts in a fresh folder too (static set-up, the
  // application object), and every test case then in one of its own.
  StartFreshCase();
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshCaseListener);
}

void TearDown() {
  if (!g_root) return;
  delete g_root;
  g_root = nullptr;
}

QString Root() {
  return g_root ? g_caseRoot : QDir::tempPath();
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

QString WriteSetup(const QString& relative, const QVA_CONFIG_DATA& config) {
  const QString path = TestEnvironment::PathIn(relative);
  WriteSetupFile(path, config);
  return path;
}
