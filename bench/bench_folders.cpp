// Figures for the folder operations on a well-used backup folder: how long
// numbering, listing, pruning and a full save take. Prints, never fails.
#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include "platform/registeredfilepath.h"
#include "platform/filepaths.h"
#include "platform/numberedbackups.h"
#include "config/qvasetupfiler.h"
#include "platform/fileattributes.h"
#include "config/qvaconfig.h"
#include "support/testenvironment.h"

namespace {

void MakeBackups(const QString& folder, int count) {
  for (int i = 0; i < count; ++i) {
    const QString path = JoinPath(folder, QStringLiteral("Engine - %1.Q11").arg(i, 3, 10, QLatin1Char('0')));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(QByteArray(944, 'x'));
    file.close();
    SetReadOnlyAttribute(path, true);
  }
}

template <typename F>
double Milliseconds(F&& work, int repeats = 1) {
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < repeats; ++i) work();
  return static_cast<double>(timer.nsecsElapsed()) / 1e6 / repeats;
}

}  // namespace

int main(int argc, char** argv) {
  TestEnvironment::Setup();
  {
    QCoreApplication app(argc, argv);
    const QString saves = GetFolder(FileType::SaveBackups);
    constexpr int kFiles = 1000;
    MakeBackups(saves, kFiles);
    QString next;
    const double numbering =
        Milliseconds([&] { next = BackupFileName(FileType::SaveBackups, "Engine.Q11"); }, 20);
    std::size_t listed = 0;
    const double listing =
        Milliseconds([&] { listed = ListFiles(JoinPath(saves, "*.Q11"), faReadOnly).size(); }, 20);
    const double pruning = Milliseconds([] { PruneBackups(FileType::SaveBackups); });
    const std::size_t left = ListFiles(JoinPath(saves, "*.Q11"), faReadOnly).size();

    const QString path = TestEnvironment::PathIn("work/Engine.Q11");
    const QVA_CONFIG_DATA config = MakeBlankConfig();
    SaveOverWithBackup(path, config);
    const double saving = Milliseconds([&] { SaveOverWithBackup(path, config); }, 20);

    std::printf("backup folder with %d read-only backups:\n", kFiles);
    std::printf("  next backup name (%s): %.2f ms\n", qPrintable(FileTitle(next)), numbering);
    std::printf("  list *.Q11 (%zu entries): %.2f ms\n", listed, listing);
    std::printf("  prune %d -> %zu: %.2f ms\n", kFiles, left, pruning);
    std::printf("  save over a file with %zu backups kept: %.2f ms per save\n", left, saving);
  }
  TestEnvironment::TearDown();
  return 0;
}
