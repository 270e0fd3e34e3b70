#pragma once

#include <QByteArray>
#include <QString>

#include "config/qvaconfig.h"

// Every test process runs in a temporary root of its own, and every test
// case in a fresh folder of it: HOME, the XDG folders (settings store,
// documents, runtime) and the temporary folder all point inside it, so tests
// never touch the user's files and never see each other's, however they are
// run. The root is removed when the process ends.
namespace TestEnvironment {

// Called once by the test main, before the application object exists.
void Setup();
void TearDown();

// The folder of the running test case.
QString Root();

// A path inside the root; the folders leading to it are created.
QString PathIn(const QString& relative);

}  // namespace TestEnvironment

// Small file helpers for tests.
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);
// Writes a record through the program's own setup-file writer to a path
// inside the root and returns the path.
QString WriteSetup(const QString& relative, const QVA_CONFIG_DATA& config);
bool IsReadOnly(const QString& path);
void SetReadOnly(const QString& path, bool readOnly);
// The folder where the build puts the programs (qva-setup, qva-device-sim...).
QString BinDir();
