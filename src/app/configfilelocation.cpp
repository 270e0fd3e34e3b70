#include "app/configfilelocation.h"

#include <QDir>
#include <QFileInfo>

#include "platform/filepaths.h"
#include "platform/prompter.h"
#include "platform/registeredfilepath.h"

QString ConfigLocationPath(const QString& text) {
  QString path = text.trimmed();
  while (!path.isEmpty() && IsPathSeparator(path.back())) path.chop(1);
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
