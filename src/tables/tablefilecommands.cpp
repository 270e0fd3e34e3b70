#include "tables/tablefilecommands.h"

#include <optional>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/prompter.h"
#include "platform/qvaerrors.h"
#include "platform/registeredfilepath.h"
#include "platform/safefilewriter.h"
#include "tables/qvatablefiler.h"

namespace {

template <typename Table>
TableLoadResult LoadImpl(Prompter& prompter, const QString& caption, Table& work, const QString& title) {
  const TableFileKind kind = KindOf(work);
  FileDialogRequest request;
  request.title = title;
  request.filter = TableLoadFilter(kind);
  request.defaultExtension = KindInfo(kind).extension;
  request.initialDir = GetFolder(FileType::SetupTables);
  const std::optional<QString> path = prompter.OpenFile(request);
  if (!path) return TableLoadResult::Cancelled;

  // A file that cannot be opened reads as empty.
  QFile file(*path);
  const bool opened = QFileInfo(*path).isFile() && file.open(QIODevice::ReadOnly);
  QBuffer empty;
  empty.open(QIODevice::ReadOnly);
  QIODevice& in = opened ? static_cast<QIODevice&>(file) : empty;

  if (IsBinaryTableFileName(*path, kind)) {
    ReadTableFile(work, in, false);
    return TableLoadResult::LoadedBinary;
  }
  if (ReadTableFile(work, in, true) == 0) {
    ShowInformation(prompter, kNoValuesLoadedMessage, caption);
    return TableLoadResult::NoValues;
  }
  return TableLoadResult::LoadedPoints;
}

template <typename Table>
bool SaveImpl(Prompter& prompter, const Table& table, const QString& title) {
  const TableFileKind kind = KindOf(table);
  const QString& extension = KindInfo(kind).extension;
  FileDialogRequest request;
  request.title = title;
  request.filter = TableSaveFilter(kind);
  request.defaultExtension = extension;
  request.initialDir = GetFolder(FileType::SetupTables);
  request.overwritePrompt = true;
  const std::optional<QString> chosen = prompter.SaveFile(request);
  if (!chosen) return false;
  QString path = *chosen;
  if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + extension;
  const bool text = !IsBinaryTableFileName(path, kind);
  try {
    WriteFileSafely(path, TableFileBytes(table, text));
  } catch (const ESystemError& failure) {
    // The system's words alone do not say which file could not be written.
    throw ESystemError(failure.Code(), QDir::toNativeSeparators(path));
  }
  return true;
}

}  // namespace

TableLoadResult LoadTableFromFile(Prompter& prompter, const QString& caption, QVA_OUTPUT_CAL_TABLE& work,
                                  const QString& dialogTitle) {
  return LoadImpl(prompter, caption, work, dialogTitle);
}
TableLoadResult LoadTableFromFile(Prompter& prompter, const QString& caption, QVA_ANALOG_OUT_TABLE& work,
                                  const QString& dialogTitle) {
  return LoadImpl(prompter, caption, work, dialogTitle);
}
TableLoadResult LoadTableFromFile(Prompter& prompter, const QString& caption, QVA_USER_CAL_TABLE& work,
                                  const QString& dialogTitle) {
  return LoadImpl(prompter, caption, work, dialogTitle);
}

bool SaveTableToFile(Prompter& prompter, const QVA_OUTPUT_CAL_TABLE& table, const QString& dialogTitle) {
  return SaveImpl(prompter, table, dialogTitle);
}
bool SaveTableToFile(Prompter& prompter, const QVA_ANALOG_OUT_TABLE& table, const QString& dialogTitle) {
  return SaveImpl(prompter, table, dialogTitle);
}
bool SaveTableToFile(Prompter& prompter, const QVA_USER_CAL_TABLE& table, const QString& dialogTitle) {
  return SaveImpl(prompter, table, dialogTitle);
}
