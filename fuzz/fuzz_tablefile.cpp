// Table file readers, binary or comma-separated text, for one table kind
// (QVA_FUZZ_TABLE names the record, QVA_FUZZ_TEXT picks the reader):
// - a read either succeeds or raises EFileFormat / EFileVersion, and a
//   failed read leaves the record exactly as it was;
// - what is read never holds more than 32 points, and writes back to a file
//   that reads to the same points (and, for binary files, the same record).
// Text inputs start with one byte choosing the locale, since the reader
// splits differently where the decimal separator is itself a comma.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <QByteArray>
#include <QLocale>

#include "platform/qvaerrors.h"
#include "tables/qvatablefiler.h"
#include "fuzzfinding.h"

#ifndef QVA_FUZZ_TABLE
#error "QVA_FUZZ_TABLE must name the table record"
#endif
#ifndef QVA_FUZZ_TEXT
#error "QVA_FUZZ_TEXT must be 0 (binary) or 1 (text)"
#endif

namespace {

using Table = QVA_FUZZ_TABLE;
constexpr bool kText = QVA_FUZZ_TEXT != 0;

bool SameBytes(const Table& a, const Table& b) {
  return std::memcmp(&a, &b, sizeof(Table)) == 0;
}

// A record that a reader could not produce by accident: every byte set.
Table Prefilled() {
  Table table;
  std::memset(&table, 0xA5, sizeof(Table));
  return table;
}

bool SamePoints(const Table& a, const Table& b) {
  if (a.num_rows != b.num_rows) return false;
  for (int i = 0; i < a.num_rows; ++i) {
    if (a.values[i].x != b.values[i].x || a.values[i].y != b.values[i].y) return false;
  }
  return true;
}

void SetLocale(uint8_t selector) {
  static const QLocale kC = QLocale::c();
  static const QLocale kGerman(QLocale::German, QLocale::Germany);
  QLocale::setDefault((selector & 1) ? kGerman : kC);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (kText) {
    if (size < 1) return 0;
    SetLocale(data[0]);
    ++data;
    --size;
  }
  // A copy of exactly the input, so that the sanitizer sees any overread.
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  Table table = Prefilled();
  const Table before = table;
  int points = 0;
  try {
    points = ParseTableFile(bytes, table, kText);
  } catch (const EFileFormat&) {
    if (!SameBytes(table, before)) Finding();
    return 0;
  } catch (const EFileVersion&) {
    if (kText || !SameBytes(table, before)) Finding();
    return 0;
  }
  if (points < 0 || points > kMaxTablePoints) Finding();
  if (kText && points == 0) {
    // Nothing read: nothing changed.
    if (!SameBytes(table, before)) Finding();
    return 0;
  }
  if (table.num_rows != points) Finding();
  if (!kText && bytes.size() < TableFileSize(points)) Finding();

  // What was read writes back to a file that reads to the same table.
  Table again = Prefilled();
  const int pointsAgain = ParseTableFile(TableFileBytes(table, kText), again, kText);
  if (pointsAgain != points || !SamePoints(table, again)) Finding();
  if (!kText) {
    // A binary file carries the whole record except what the kind leaves
    // alone (reserved bytes, the analog output's table index), which both
    // reads kept from the same prefilled record.
    if (!SameBytes(table, again)) Finding();
  }
  return 0;
}
