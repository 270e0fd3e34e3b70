// What a user pastes into a table grid, and the editing commands after it.
// Whatever the clipboard holds, the reader never throws and a block it
// accepts holds only blanks and numbers in the locale's form; a refused
// paste or command changes no cell; and after any run of commands, undoing
// every step gives back the texts the table started with, and redoing them
// all gives back the texts they ended with.
//
// Input: a locale selector byte, a command byte, then the text (UTF-8).
#include <cstddef>
#include <cstdint>
#include <optional>

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include "tables/tableclipboard.h"
#include "tables/tableeditor.h"
#include "fuzzfinding.h"

namespace {

constexpr int kRows = 6;

QLocale ChosenLocale(uint8_t selector) {
  switch (selector % 4) {
    case 1:
      return QLocale(QLocale::English, QLocale::UnitedStates);
    case 2:
      return QLocale(QLocale::German, QLocale::Germany);
    case 3:
      return QLocale(QLocale::French, QLocale::France);
    default:
      return QLocale::c();
  }
}

QStringList Texts(const Table2DModel& table) {
  QStringList texts;
  for (int row = 0; row < table.RowCount(); ++row) texts << table.Cell(0, row) << table.Cell(1, row);
  return texts;
}

// A command that refuses must leave every cell as it was.
void Check(const std::optional<QString>& refusal, const QStringList& before, const Table2DModel& table) {
  if (refusal && Texts(table) != before) Finding();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const QLocale locale = ChosenLocale(data[0]);
  QLocale::setDefault(locale);
  const uint8_t commands = data[1];
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));

  QString refusal;
  const std::optional<ClipboardBlock> block = ParseClipboardBlock(text, locale, refusal);
  if (block) {
    if (block->rows.empty() || block->Columns() < 1) Finding();
    const QRegularExpression number(QStringLiteral("^[+-]?\\d*(") + QRegularExpression::escape(locale.decimalPoint()) +
                                    QStringLiteral("\\d*)?(\\s*\\D*)$"));
    for (const QStringList& row : block->rows) {
      for (const QString& cell : row) {
        if (!cell.isEmpty() && (!number.match(cell).hasMatch() || !cell.contains(QRegularExpression(QStringLiteral("\\d")))))
          Finding();
      }
    }
  } else if (refusal.isEmpty()) {
    Finding();
  }

  Table2DModel table;
  table.Setup(kRows, IpType, DecimalPlacesType(1));
  const TablePoint points[] = {{500, 10}, {1000, 25}, {1500, 30}};
  table.ShowPoints(points, 3);
  TableEditor editor(table);
  const QStringList start = Texts(table);
  // Bits 0-2 choose where the paste lands, the others which commands follow.
  const int row = commands % kRows;
  editor.Select({row, (commands >> 2) & 1, row + ((commands >> 3) & 3), 1});
  table.SetCurrent({editor.Selection().left, editor.Selection().top});
  QStringList before = Texts(table);
  Check(editor.Paste(text, locale), before, table);
  if (!block && editor.CanUndo()) Finding();
  editor.Select({0, 0, kRows - 1, 1});
  if (commands & 0x20) {
    before = Texts(table);
    Check(editor.Interpolate(), before, table);
  }
  if (commands & 0x40) {
    before = Texts(table);
    Check(editor.Adjust(QStringLiteral("-1.5"), text.left(8)), before, table);
  }
  if (commands & 0x80) {
    before = Texts(table);
    Check(editor.InsertRow(), before, table);
    editor.Select({1, 0, 2, 0});
    editor.DeleteRows();
  }
  const QStringList end = Texts(table);
  while (editor.Undo()) {
  }
  if (Texts(table) != start) Finding();
  while (editor.Redo()) {
  }
  if (Texts(table) != end) Finding();
  return 0;
}
