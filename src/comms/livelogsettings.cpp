#include "comms/livelogsettings.h"

#include <QDir>
#include <QFileInfo>

#include "comms/livelog.h"
#include "platform/filepaths.h"
#include "platform/qvaerrors.h"
#include "platform/qvaregistry.h"
#include "platform/registeredfilepath.h"
#include "platform/registryfunctions.h"

namespace {

const QString kLogsFolderName = QStringLiteral("Logs");

}  // namespace

QString LiveLogFolder() {
  {
    TRegistry registry;
    OpenApplicationKey(registry);
    if (registry.ValueExists(kLiveLogFolderValueName)) {
      try {
        const QString stored = registry.ReadString(kLiveLogFolderValueName).trimmed();
        if (!stored.isEmpty()) return stored;
      } catch (const Exception&) {
        // A value of another type, left by hand: the default folder.
      }
    }
  }
  const QString configFolder = QDir::cleanPath(GetFolder(FileType::ConfigFiles));
  return QDir::toNativeSeparators(JoinPath(QFileInfo(configFolder).absolutePath(), kLogsFolderName));
}

void SetLiveLogFolder(const QString& folder) {
  TRegistry registry;
  OpenApplicationKey(registry);
  registry.WriteString(kLiveLogFolderValueName, folder);
}

std::optional<int> LiveSmoothingSeconds() {
  TRegistry registry;
  OpenApplicationKey(registry);
  if (!registry.ValueExists(kLiveSmoothingValueName)) return std::nullopt;
  try {
    const int seconds = registry.ReadInteger(kLiveSmoothingValueName);
    if (seconds >= kMinSmoothingSeconds && seconds <= kMaxSmoothingSeconds) return seconds;
  } catch (const Exception&) {
    // Another type, left by hand: no smoothing.
  }
  return std::nullopt;
}

void SetLiveSmoothingSeconds(const std::optional<int>& seconds) {
  TRegistry registry;
  OpenApplicationKey(registry);
  registry.WriteInteger(kLiveSmoothingValueName, seconds.value_or(0));
}
