// Figures for the backups list: how long listing 100 save backups and 10
// device backups takes (each file read once), and with it the count of
// differing fields against a loaded configuration, as the Backups window
// shows them. Prints, never fails.
#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "platform/fileattributes.h"
#include "platform/filepaths.h"
#include "platform/registeredfilepath.h"
#include "config/backuplist.h"
#include "config/qvasetupfiler.h"
#include "editors/configcomparison.h"
#include "support/samplerecords.h"
#include "support/testenvironment.h"

namespace {

void MakeBackups(FileType folder, const QString& title, int count) {
  for (int i = 0; i < count; ++i) {
    const QString path =
        JoinPath(GetFolder(folder), QStringLiteral("%1 - %2.Q11").arg(title).arg(i, 3, 10, QLatin1Char('0')));
    WriteSetupFile(path, SampleConfig({.seed = static_cast<uint8_t>(i)}));
    SetReadOnlyAttribute(path, true);
  }
}

}  // namespace

int main(int argc, char** argv) {
  TestEnvironment::Setup();
  {
    QCoreApplication app(argc, argv);
    MakeBackups(FileType::SaveBackups, QStringLiteral("Engine"), 100);
    MakeBackups(FileType::FromDeviceBackups, QStringLiteral("QVA Backup"), 10);
    const QVA_CONFIG_DATA loaded = SampleConfig();
    constexpr int kRepeats = 20;
    std::size_t listed = 0;
    int fields = 0;
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < kRepeats; ++r) listed = ListBackups().size();
    const double listing = static_cast<double>(timer.nsecsElapsed()) / 1e6 / kRepeats;
    timer.restart();
    for (int r = 0; r < kRepeats; ++r) {
      fields = 0;
      for (const BackupEntry& entry : ListBackups())
        if (entry.config) fields += CountDifferingFields(loaded, *entry.config);
    }
    const double counting = static_cast<double>(timer.nsecsElapsed()) / 1e6 / kRepeats;
    std::printf("backups listed: %zu (100 save + 10 device)\n", listed);
    std::printf("list (read each file once):          %8.2f ms\n", listing);
    std::printf("list + differing fields of each:     %8.2f ms  (%d rows in all)\n", counting, fields);
  }
  TestEnvironment::TearDown();
  return 0;
}
