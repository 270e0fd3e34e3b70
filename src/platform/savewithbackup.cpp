#include "platform/savewithbackup.h"

#include <QFile>
#include <QFileInfo>

#include "platform/fileattributes.h"
#include "platform/filepaths.h"
#include "platform/numberedbackups.h"
#include "platform/qvaerrors.h"
#include "platform/registeredfilepath.h"
#include "platform/safefilewriter.h"

bool MoveWithoutReplacing(const QString& from, const QString& to) {
  // QFile::rename never replaces an existing file.
  return !QFileInfo::exists(to) && QFile::rename(from, to);
}

QString SaveOverWithBackup(const QString& path, const QByteArray& bytes, const FileMover& move) {
  const QFileInfo info(path);
  const bool replacing = info.exists();
  // Only a writable regular file is ever replaced (never a folder, a device
  // or a file the user protected).
  if (replacing && (!info.isFile() || IsReadOnlyFile(path))) throw ESystemError(kAccessDeniedCode);
  // Through a link, the file that holds the content is what moves to the
  // backup and what is written; the link stays as it is.
  const QString target = replacing && info.isSymLink() ? info.canonicalFilePath() : path;
  const QFileDevice::Permissions oldPermissions = QFileInfo(target).permissions();

  // The new content is complete on disk before the old file is touched.
  SafeFileWriter writer(target);
  writer.Write(bytes);

  QString backup;
  if (replacing) {
    const QString candidate = BackupFileName(FileType::SaveBackups, path);
    if (!QFileInfo::exists(candidate) && move(target, candidate)) {
      backup = candidate;
      SetReadOnlyAttribute(backup, true);
    }
  }

  try {
    writer.Commit();
  } catch (const EFileWrite&) {
    // Put the old file back where it was rather than leave the user with
    // neither version at the path; the mover never replaces what is there.
    if (!backup.isEmpty()) {
      SetReadOnlyAttribute(backup, false);
      if (move(backup, target)) {
        QFile::setPermissions(target, oldPermissions);
      } else {
        SetReadOnlyAttribute(backup, true);
      }
    }
    throw;
  }
  // Pruning comes last so that the backup just made exists until the new
  // file is safely in place.
  if (!backup.isEmpty()) PruneBackups(FileType::SaveBackups);
  return backup;
}
