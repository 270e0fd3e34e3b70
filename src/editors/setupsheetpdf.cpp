#include "editors/setupsheetpdf.h"

#include <algorithm>

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QTextOption>
#include <QtMath>

#include "platform/appinfo.h"
#include "platform/qvaerrors.h"
#include "platform/safefilewriter.h"
#include "tables/curvepainter.h"

namespace {

// Coordinates are in screen-like pixels, so the curve keeps the proportions
// of the curve view; the text stays vector text whatever the resolution.
constexpr int kDotsPerInch = 96;
constexpr qreal kMillimetresPerInch = 25.4;
constexpr qreal kMarginMm = 15;
constexpr qreal kLabelColumnMm = 55;
constexpr qreal kCellPaddingMm = 1.5;
constexpr qreal kSectionGapMm = 4;
constexpr qreal kBlockGapMm = 2.5;
constexpr qreal kPointColumnMm = 20;  // the narrowest a points column is drawn
constexpr qreal kCurveHeightMm = 50;
constexpr int kTitlePoints = 16;
constexpr int kHeadingPoints = 12;
constexpr int kBodyPoints = 9;
constexpr int kSmallPoints = 8;
constexpr qreal kUnboundedHeight = 1 << 20;
// A block of rows up to this part of a page is kept with its heading.
constexpr int kKeepTogetherDivisor = 3;
const QColor kRuleColour(150, 150, 150);
const QColor kHeaderFill(232, 236, 242);
const QColor kCurveColour(0, 84, 166);

int Px(qreal millimetres) {
  return qRound(millimetres * kDotsPerInch / kMillimetresPerInch);
}

QFont SheetFont(int points, bool bold = false) {
  QFont font;
  font.setPointSize(points);
  font.setBold(bold);
  // No ligatures: "Off" must read back (and be found) as O, f, f.
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

// The colours of the curve on white paper.
QPalette PaperPalette() {
  QPalette palette;
  palette.setColor(QPalette::Text, Qt::black);
  palette.setColor(QPalette::Mid, kRuleColour);
  palette.setColor(QPalette::Highlight, kCurveColour);
  palette.setColor(QPalette::Base, Qt::white);
  return palette;
}

// Lays the sheet out top to bottom, starting a new page where a block
// would not fit; every page ends with the sheet's footer and its number.
class SheetLayout {
 public:
  SheetLayout(QPdfWriter& writer, const SetupSheet& sheet) : writer_(writer), sheet_(sheet) {
    if (!painter_.begin(&writer_)) throw Exception(QStringLiteral("The setup sheet could not be drawn."));
    width_ = writer_.width();
    bottom_ = writer_.height() - FooterHeight();
  }

  int Render() {
    Title();
    for (const SheetSection& section : sheet_.sections) Section(section);
    Footer();
    painter_.end();
    return pages_;
  }

 private:
  int LineHeight(const QFont& font) { return QFontMetrics(font, &writer_).height(); }
  int FooterHeight() { return 2 * LineHeight(SheetFont(kSmallPoints)); }

  // Wrapped at word boundaries, and inside a word too long for a line
  // (a note or a file name without blanks), so nothing runs off the page.
  static QTextOption Wrapped() {
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
  }

  int TextHeight(const QFont& font, int width, const QString& text) {
    painter_.setFont(font);
    return qCeil(painter_.boundingRect(QRectF(0, 0, width, kUnboundedHeight), text, Wrapped()).height());
  }

  void DrawWrapped(const QFont& font, const QRect& box, const QString& text) {
    painter_.setFont(font);
    painter_.setPen(Qt::black);
    painter_.drawText(QRectF(box), text, Wrapped());
  }

  void DrawText(const QFont& font, const QRect& box, int flags, const QString& text) {
    painter_.setFont(font);
    painter_.setPen(Qt::black);
    painter_.drawText(box, flags, text);
  }

  // Starts a new page unless `height` fits below the cursor.
  void Reserve(int height) {
    if (y_ + height <= bottom_ || y_ == 0) return;
    Footer();
    writer_.newPage();
    ++pages_;
    y_ = 0;
  }

  void Footer() {
    const QFont font = SheetFont(kSmallPoints);
    const int line = LineHeight(font);
    const int top = writer_.height() - line;
    painter_.setPen(QPen(kRuleColour, 1));
    painter_.drawLine(0, top - line / 2, width_, top - line / 2);
    const QString page = QStringLiteral("Page %1").arg(pages_);
    const QFontMetrics metrics(font, &writer_);
    // A long file name gives way to the page number.
    const int room = width_ - metrics.horizontalAdvance(page) - 2 * metrics.averageCharWidth();
    DrawText(font, QRect(0, top, width_, line), Qt::AlignLeft | Qt::AlignVCenter,
             metrics.elidedText(sheet_.footer, Qt::ElideMiddle, room));
    DrawText(font, QRect(0, top, width_, line), Qt::AlignRight | Qt::AlignVCenter, page);
  }

  void Title() {
    const QFont title = SheetFont(kTitlePoints, true);
    const int height = LineHeight(title);
    DrawText(title, QRect(0, y_, width_, height), Qt::AlignLeft | Qt::AlignVCenter, sheet_.heading);
    y_ += height + Px(kBlockGapMm);
    Rows(sheet_.titleRows);
  }

  void Section(const SheetSection& section) {
    const QFont heading = SheetFont(kHeadingPoints, true);
    const int headingHeight = LineHeight(heading) + Px(kBlockGapMm);
    // The heading, the rows, the sentences and the first grid or table
    // stay on one page when they fit one; else a short block of rows at
    // least stays with its heading.
    int together = std::min(RowsHeight(section.rows), (bottom_ - headingHeight) / kKeepTogetherDivisor);
    int whole = RowsHeight(section.rows);
    for (const QString& note : section.notes)
      whole += Px(kBlockGapMm) + TextHeight(SheetFont(kBodyPoints), width_, note);
    if (!section.grids.empty()) {
      whole += GridHeight(section.grids.front());
    } else if (!section.tables.empty()) {
      whole += TableHeight(section.tables.front());
    }
    if (headingHeight + whole <= bottom_) together = whole;
    y_ += Px(kSectionGapMm);
    Reserve(headingHeight + together);
    DrawText(heading, QRect(0, y_, width_, LineHeight(heading)), Qt::AlignLeft | Qt::AlignVCenter,
             section.title);
    painter_.setPen(QPen(kRuleColour, 1));
    painter_.drawLine(0, y_ + LineHeight(heading), width_, y_ + LineHeight(heading));
    y_ += headingHeight;
    Rows(section.rows);
    for (const QString& note : section.notes) Paragraph(note);
    for (const SheetGrid& grid : section.grids) Grid(grid, 0, width_);
    for (const SheetTable& table : section.tables) Table(table);
  }

  int RowHeight(const SheetRow& row) {
    const int labelWidth = Px(kLabelColumnMm);
    return std::max(TextHeight(SheetFont(kBodyPoints, true), labelWidth, row.label),
                    TextHeight(SheetFont(kBodyPoints), width_ - labelWidth, row.value));
  }

  int RowsHeight(const std::vector<SheetRow>& rows) {
    int height = 0;
    for (const SheetRow& row : rows) height += RowHeight(row);
    return height;
  }

  void Rows(const std::vector<SheetRow>& rows) {
    const QFont label = SheetFont(kBodyPoints, true);
    const QFont value = SheetFont(kBodyPoints);
    const int labelWidth = Px(kLabelColumnMm);
    const int valueWidth = width_ - labelWidth;
    for (const SheetRow& row : rows) {
      const int height = RowHeight(row);
      Reserve(height);
      DrawWrapped(label, QRect(0, y_, labelWidth, height), row.label);
      DrawWrapped(value, QRect(labelWidth, y_, valueWidth, height), row.value);
      y_ += height;
    }
  }

  void Paragraph(const QString& text) {
    const QFont font = SheetFont(kBodyPoints);
    const int height = TextHeight(font, width_, text);
    y_ += Px(kBlockGapMm);
    Reserve(height);
    DrawWrapped(font, QRect(0, y_, width_, height), text);
    y_ += height;
  }

  // Column widths from the widest text of each column, shrunk evenly when
  // they would not fit the width available.
  std::vector<int> ColumnWidths(const SheetGrid& grid, int available) {
    const QFontMetrics bold(SheetFont(kSmallPoints, true), &writer_);
    const QFontMetrics plain(SheetFont(kSmallPoints), &writer_);
    const int padding = 2 * Px(kCellPaddingMm);
    std::vector<int> widths(static_cast<std::size_t>(grid.header.size()), padding);
    for (qsizetype c = 0; c < grid.header.size(); ++c) {
      int widest = bold.horizontalAdvance(grid.header.at(c));
      for (const QStringList& row : grid.rows)
        if (c < row.size()) widest = std::max(widest, plain.horizontalAdvance(row.at(c)));
      widths[static_cast<std::size_t>(c)] += widest;
    }
    int total = 0;
    for (int w : widths) total += w;
    if (total > available && total > 0)
      for (int& w : widths) w = w * available / total;
    return widths;
  }

  int GridRowHeight() { return LineHeight(SheetFont(kSmallPoints)) + Px(kCellPaddingMm); }
  int GridHeight(const SheetGrid& grid) {
    return Px(kBlockGapMm) + GridRowHeight() * static_cast<int>(grid.rows.size() + 1);
  }
  int GridWidth(const SheetGrid& grid) {
    int total = 0;
    for (int w : ColumnWidths(grid, width_)) total += w;
    return total;
  }

  // A ruled grid at `left`, header shaded. Rows that do not fit continue
  // on the next page under a repeated header.
  void Grid(const SheetGrid& grid, int left, int available) {
    const QFont bold = SheetFont(kSmallPoints, true);
    const QFont plain = SheetFont(kSmallPoints);
    const std::vector<int> widths = ColumnWidths(grid, available);
    const int rowHeight = GridRowHeight();
    const int height = rowHeight * static_cast<int>(grid.rows.size() + 1);
    y_ += Px(kBlockGapMm);
    // A short grid stays on one page; a long one starts with two rows at least.
    Reserve(height <= bottom_ / kKeepTogetherDivisor ? height : 2 * rowHeight);
    auto drawRow = [&](const QStringList& cells, const QFont& font, bool header) {
      int x = left;
      for (std::size_t c = 0; c < widths.size(); ++c) {
        const QRect cell(x, y_, widths[c], rowHeight);
        if (header) painter_.fillRect(cell, kHeaderFill);
        painter_.setPen(QPen(kRuleColour, 1));
        painter_.drawRect(cell);
        const QString text =
            static_cast<qsizetype>(c) < cells.size() ? cells.at(static_cast<qsizetype>(c)) : QString();
        DrawText(font, cell.adjusted(Px(kCellPaddingMm), 0, -Px(kCellPaddingMm), 0),
                 Qt::AlignVCenter | (c == 0 ? Qt::AlignLeft : Qt::AlignRight), text);
        x += widths[c];
      }
      y_ += rowHeight;
    };
    drawRow(grid.header, bold, true);
    for (const QStringList& row : grid.rows) {
      if (y_ + rowHeight > bottom_) {
        Reserve(bottom_);
        drawRow(grid.header, bold, true);
      }
      drawRow(row, plain, false);
    }
  }

  // The height of a table's block: its title over the points, the other
  // view and the curve side by side.
  int TableHeight(const SheetTable& table) {
    const int grids =
        std::max(GridHeight(table.Cells()), table.beside.rows.empty() ? 0 : GridHeight(table.beside));
    const int curve = table.points.empty() ? 0 : Px(kCurveHeightMm);
    return Px(kBlockGapMm) + LineHeight(SheetFont(kBodyPoints, true)) +
           std::max(grids + Px(kBlockGapMm), curve);
  }

  // The points on the left, the other view of them beside, the curve
  // right of both, kept on one page.
  void Table(const SheetTable& table) {
    const QFont titleFont = SheetFont(kBodyPoints, true);
    const int titleHeight = LineHeight(titleFont);
    const SheetGrid cells = table.Cells();
    const int gridWidth = std::min(std::max(GridWidth(cells), 2 * Px(kPointColumnMm)), width_ / 3);
    const bool beside = !table.beside.rows.empty();
    const int besideWidth = beside ? std::min(GridWidth(table.beside), width_ / 3) : 0;
    const int gridHeight =
        std::max(GridHeight(cells), beside ? GridHeight(table.beside) : 0) + Px(kBlockGapMm);
    const bool curve = !table.points.empty();
    const int curveHeight = curve ? Px(kCurveHeightMm) : 0;
    const QStringList notes = table.Notes();
    const TableCurve tableCurve = table.Curve();
    y_ += Px(kBlockGapMm);
    Reserve(titleHeight + std::max(gridHeight, curveHeight));
    DrawText(titleFont, QRect(0, y_, width_, titleHeight), Qt::AlignLeft | Qt::AlignVCenter, table.title);
    y_ += titleHeight;
    const int top = y_;
    Grid(cells, 0, gridWidth);
    int gridBottom = y_;
    int curveLeft = gridWidth + Px(kSectionGapMm);
    if (beside) {
      y_ = top;
      Grid(table.beside, curveLeft, besideWidth);
      gridBottom = std::max(gridBottom, y_);
      curveLeft += besideWidth + Px(kSectionGapMm);
    }
    if (curve) {
      painter_.setFont(SheetFont(kSmallPoints));
      const QRect area(curveLeft, top + Px(kBlockGapMm), width_ - curveLeft, curveHeight);
      painter_.setPen(QPen(kRuleColour, 1));
      painter_.drawRect(area);
      PaintTableCurve(painter_, tableCurve, area, PaperPalette());
      y_ = std::max(gridBottom, area.bottom());
    }
    for (const QString& note : notes) Paragraph(note);
  }

  QPdfWriter& writer_;
  const SetupSheet& sheet_;
  QPainter painter_;
  int width_ = 0;
  int bottom_ = 0;
  int y_ = 0;
  int pages_ = 1;
};

}  // namespace

QPageSize SheetPageSize(const QLocale& locale) {
  return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                           : QPageSize::A4);
}

SheetPdf RenderSetupSheet(const SetupSheet& sheet, const QPageSize& pageSize) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  SheetPdf pdf;
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kDotsPerInch);
    writer.setPageSize(pageSize);
    writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    writer.setTitle(sheet.heading);
    writer.setCreator(kApplicationTitle);
    SheetLayout layout(writer, sheet);
    pdf.pages = layout.Render();
  }
  buffer.close();
  pdf.bytes = bytes;
  return pdf;
}

int WriteSetupSheet(const QString& path, const SetupSheet& sheet, const QPageSize& pageSize) {
  const SheetPdf pdf = RenderSetupSheet(sheet, pageSize);
  WriteFileSafely(path, pdf.bytes);
  return pdf.pages;
}
