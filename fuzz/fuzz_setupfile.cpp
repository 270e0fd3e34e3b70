// Setup file reader: any bytes either parse to a record or raise one of the
// file errors; nothing is read past the input. Whatever record parses, its
// setup sheet is built without raising and no table shows more points than
// a table holds.
#include <cstddef>
#include <cstdint>

#include <QByteArray>

#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"
#include "editors/setupsheet.h"
#include "fuzzfinding.h"

namespace {

void CheckSheet(const QVA_CONFIG_DATA& config) {
  const SetupSheet sheet = BuildSetupSheet(config, {});
  for (const SheetSection& section : sheet.sections) {
    for (const SheetTable& table : section.tables)
      if (table.points.size() > kMaxTablePoints || table.Cells().rows.size() != table.points.size() ||
          table.beside.rows.size() > kMaxTablePoints)
        Finding();
    for (const SheetGrid& grid : section.grids)
      if (grid.rows.size() > kMaxTablePoints) Finding();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input, so that the sanitizer sees any overread.
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    const QVA_CONFIG_DATA config = ParseSetupFile(bytes);
    // What parses must write back to the same record.
    const QVA_CONFIG_DATA again = ParseSetupFile(SetupFileBytes(config));
    if (!ConfigsEqual(config, again)) Finding();
    CheckSheet(config);
    QVA_CONFIG_DATA upgraded = config;
    UpgradeConfig(upgraded);
    CheckSheet(upgraded);
  } catch (const EFileFormat&) {
  } catch (const EFileVersion&) {
  }
  return 0;
}
