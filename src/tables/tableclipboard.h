#pragma once

#include <optional>
#include <vector>

#include <QLocale>
#include <QString>
#include <QStringList>

// The clipboard of the table grids, the way spreadsheets and text editors
// exchange cells: one line per row, cells separated by tabs (or by commas or
// semicolons when a text editor or a table text file wrote them).

// A block read from the clipboard: rows of cell texts, each either blank or
// a number written with `locale`'s decimal separator (a unit may follow).
struct ClipboardBlock {
  std::vector<QStringList> rows;
  int Columns() const;
};

// Reads pasted text. Lines may end in LF or CRLF; empty lines at the end,
// empty cells at line ends, a heading line of text and a heading column of
// text are dropped. A number may use `locale`'s decimal separator or a point;
// it is rewritten with the locale's. A cell that could be grouped thousands
// ("1,500" where the locale groups with commas) is refused, so is any cell
// that is not a number. Returns the block, or the refusal's text in `refusal`.
std::optional<ClipboardBlock> ParseClipboardBlock(const QString& text, const QLocale& locale,
                                                  QString& refusal);

// Cell texts as tab-separated lines, each ended by a line feed.
QString FormatClipboardBlock(const std::vector<QStringList>& rows);
