#include "tables/tablefilecommands.h"

#include <optional>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include "platform/prompter.h"
#include "platform/registeredfilepath.h"
#include "platform/safefilewriter.h"
#include "tables/qvatablefiler.h"

namespace {

template <typename Table>
TableLoadResult LoadImpl(Prompter& prompter, const QString& caption, Table& work) {
  const TableFileKind kind = KindOf(work);
  FileDialogRequest request;
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
bool SaveImpl(Prompter& prompter, const Table& table) {
  const TableFileKind kind = KindOf(table);
  const QString& extension = KindInfo(kind).extension;
  FileDialogRequest request;
  request.filter = TableSaveFilter(kind);
  request.defaultExtension = extension;
  request.initialDir = GetFolder(FileType::SetupTables);
  request.overwritePrompt = true;
  const std::optional<QString> chosen = prompter.SaveFile(request);
  if (!chosen) return false;
  QString path = *chosen;
  if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + extension;
  const bool text = !IsBinaryTableFileName(path, kind);
  WriteFileSafely(path, TableFileBytes(table, text));
  return true;
}

}  // namespace

TableLoadResult LoadTableFromFile(Prompter& prompter, const QString& caption, QVA_OUTPUT_CAL_TABLE& work) {
  return LoadImpl(prompter, caption, work);
}
TableLoadResult LoadTableFromFile(Prompter& prompter, const QString& caption, QVA_ANALOG_OUT_TABLE& work) {
  return LoadImpl(prompter, caption, work);
}
TableLoadResult LoadTableFromFile(Prompter& prompter, const QString& caption, QVA_USER_CAL_TABLE& work) {
  return LoadImpl(prompter, caption, work);
}

bool SaveTableToFile(Prompter& prompter, const QVA_OUTPUT_CAL_TABLE& table) {
  return SaveImpl(prompter, table);
}
bool SaveTableToFile(Prompter& prompter, const QVA_ANALOG_OUT_TABLE& table) {
  return SaveImpl(prompter, table);
}
bool SaveTableToFile(Prompter& prompter, const QVA_USER_CAL_TABLE& table) {
  return SaveImpl(prompter, table);
}
