#include "tables/tableclipboard.h"

#include <algorithm>

#include <QRegularExpression>

namespace {

const QString kNothingToPaste = QStringLiteral("The clipboard holds no values to paste.");

enum class CellKind { Blank, Number, Text, Grouped };

struct ReadCell {
  CellKind kind = CellKind::Blank;
  QString text;  // trimmed as pasted; the number rewritten for a Number
};

struct ReadLine {
  int lineNumber = 0;  // 1 for the first line of the clipboard
  std::vector<ReadCell> cells;
};

// The separator between the cells of a line, chosen for the whole block:
// a tab as spreadsheets write, else a semicolon, else a comma. Where the
// comma is the decimal separator, only a comma followed by a blank (", " as
// the table text files write) separates cells.
QRegularExpression CellSeparator(const QStringList& lines, const QLocale& locale) {
  const auto anyContains = [&lines](const QString& what) {
    return std::any_of(lines.begin(), lines.end(), [&what](const QString& line) { return line.contains(what); });
  };
  if (anyContains(QStringLiteral("\t"))) return QRegularExpression(QStringLiteral("\t"));
  if (anyContains(QStringLiteral(";"))) return QRegularExpression(QStringLiteral(";"));
  if (locale.decimalPoint() != QStringLiteral(",")) {
    if (anyContains(QStringLiteral(","))) return QRegularExpression(QStringLiteral(","));
  } else {
    static const QRegularExpression kCommaBlank(QStringLiteral(",\\s+"));
    if (std::any_of(lines.begin(), lines.end(),
                    [](const QString& line) { return line.contains(kCommaBlank); }))
      return kCommaBlank;
  }
  return QRegularExpression();
}

// A number as people type it: a sign, digits, one decimal separator (the
// locale's or a point), digits, then perhaps a unit.
ReadCell Classify(const QString& pasted, const QLocale& locale) {
  ReadCell cell;
  cell.text = pasted.trimmed();
  if (cell.text.isEmpty()) return cell;
  const QString decimal = QRegularExpression::escape(locale.decimalPoint());
  const QString group = locale.groupSeparator();
  // Whole thousands in groups of three, as the locale writes them: the
  // digits could be read as a decimal number, so the cell is refused.
  if (!group.isEmpty() && group.size() == 1 && !group.at(0).isSpace()) {
    const QString g = QRegularExpression::escape(group);
    const QRegularExpression grouped(QStringLiteral("^[+-]?[1-9]\\d{0,2}(") + g + QStringLiteral("\\d{3})+(") +
                                     decimal + QStringLiteral("\\d*)?(\\s*\\D*)$"));
    if (grouped.match(cell.text).hasMatch()) {
      cell.kind = CellKind::Grouped;
      return cell;
    }
  }
  const QRegularExpression number(QStringLiteral("^([+-]?)(\\d*)(?:(") + decimal +
                                  QStringLiteral("|\\.)(\\d*))?(\\s*[^\\d\\s.,;+-][^\\d]*)?$"));
  const QRegularExpressionMatch match = number.match(cell.text);
  if (!match.hasMatch() || (match.capturedLength(2) == 0 && match.capturedLength(4) == 0)) {
    cell.kind = CellKind::Text;
    return cell;
  }
  cell.kind = CellKind::Number;
  QString text = match.captured(1) + match.captured(2);
  if (match.capturedLength(3) > 0) text += locale.decimalPoint() + match.captured(4);
  cell.text = text + match.captured(5);
  return cell;
}

bool IsTextOrBlank(const ReadCell& cell) {
  return cell.kind == CellKind::Text || cell.kind == CellKind::Blank;
}

void DropTrailingBlanks(std::vector<ReadCell>& cells) {
  while (!cells.empty() && cells.back().kind == CellKind::Blank) cells.pop_back();
}

}  // namespace

int ClipboardBlock::Columns() const {
  qsizetype columns = 0;
  for (const QStringList& row : rows) columns = std::max(columns, row.size());
  return static_cast<int>(columns);
}

std::optional<ClipboardBlock> ParseClipboardBlock(const QString& text, const QLocale& locale,
                                                  QString& refusal) {
  QString unified = text;
  unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QStringList lines = unified.split(QLatin1Char('\n'));
  while (!lines.isEmpty() && lines.back().trimmed().isEmpty()) lines.removeLast();
  if (lines.isEmpty()) {
    refusal = kNothingToPaste;
    return std::nullopt;
  }

  const QRegularExpression separator = CellSeparator(lines, locale);
  std::vector<ReadLine> read;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    ReadLine line;
    line.lineNumber = static_cast<int>(i) + 1;
    const QStringList cells = separator.pattern().isEmpty() ? QStringList{lines[i]} : lines[i].split(separator);
    for (const QString& cell : cells) line.cells.push_back(Classify(cell, locale));
    DropTrailingBlanks(line.cells);
    read.push_back(std::move(line));
  }

  // A heading line (text, no number), then a heading column, of text.
  const auto isHeading = [](const ReadLine& line) {
    return std::any_of(line.cells.begin(), line.cells.end(),
                       [](const ReadCell& cell) { return cell.kind == CellKind::Text; }) &&
           std::none_of(line.cells.begin(), line.cells.end(),
                        [](const ReadCell& cell) { return cell.kind == CellKind::Number; });
  };
  if (isHeading(read.front())) read.erase(read.begin());
  const bool labelled =
      !read.empty() &&
      std::all_of(read.begin(), read.end(),
                  [](const ReadLine& line) { return line.cells.empty() || IsTextOrBlank(line.cells.front()); }) &&
      std::any_of(read.begin(), read.end(), [](const ReadLine& line) {
        return line.cells.size() > 1 && line.cells.front().kind == CellKind::Text;
      });
  if (labelled) {
    for (ReadLine& line : read) {
      if (!line.cells.empty()) line.cells.erase(line.cells.begin());
    }
  }

  ClipboardBlock block;
  for (const ReadLine& line : read) {
    QStringList row;
    for (const ReadCell& cell : line.cells) {
      if (cell.kind == CellKind::Grouped) {
        refusal = QStringLiteral("'") + cell.text + QStringLiteral("' on line ") + QString::number(line.lineNumber) +
                  QStringLiteral(" of the clipboard may be a number with grouped thousands.\nCopy the numbers without thousands separators.");
        return std::nullopt;
      }
      if (cell.kind == CellKind::Text) {
        refusal = QStringLiteral("'") + cell.text + QStringLiteral("' on line ") + QString::number(line.lineNumber) +
                  QStringLiteral(" of the clipboard is not a number.\nNothing was pasted.");
        return std::nullopt;
      }
      row.append(cell.text);
    }
    block.rows.push_back(row);
  }
  if (block.rows.empty() || block.Columns() == 0) {
    refusal = kNothingToPaste;
    return std::nullopt;
  }
  return block;
}

QString FormatClipboardBlock(const std::vector<QStringList>& rows) {
  QString text;
  for (const QStringList& row : rows) text += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
  return text;
}
