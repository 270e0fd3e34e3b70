#include "viewer/cfgstringgrid.h"

#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTextOption>
#include <qdrawutil.h>

#include "tables/gridutils.h"
#include "viewer/cfgcell.h"

namespace {

constexpr int kDefaultRowHeight = 17;
constexpr int kTextInset = 2;
constexpr int kTabStopZeros = 8;
// The grid's widths were laid out for an 8-point font whose "0" is 6
// pixels wide at 96 pixels per inch.
constexpr double kDesignZeroWidth = 6.0;
constexpr double kDesignPixelsPerInch = 96.0;

bool IsEnter(const QKeyEvent* key) {
  return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

Qt::ScrollBarPolicy Policy(bool shown) {
  return shown ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
}

}  // namespace

TCfgStringGrid::TCfgStringGrid(QWidget* parent) : QTableView(parent) {
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setWordWrap(false);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setMinimumSectionSize(1);

  fixedColumns_ = new QTableView(this);
  fixedColumns_->setObjectName(QStringLiteral("StringGrid1FixedColumns"));
  fixedColumns_->setFocusPolicy(Qt::NoFocus);
  fixedColumns_->setSelectionMode(QAbstractItemView::NoSelection);
  fixedColumns_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  fixedColumns_->setFrameShape(QFrame::NoFrame);
  fixedColumns_->setWordWrap(false);
  fixedColumns_->horizontalHeader()->hide();
  fixedColumns_->verticalHeader()->hide();
  fixedColumns_->verticalHeader()->setMinimumSectionSize(1);
  fixedColumns_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  fixedColumns_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  fixedColumns_->hide();
  viewport()->stackUnder(fixedColumns_);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, fixedColumns_->verticalScrollBar(),
          &QScrollBar::setValue);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
    if (column >= fixedColumnCount_) return;
    fixedColumns_->setColumnWidth(column, width);
    PlaceFixedColumns();
  });
  connect(verticalHeader(), &QHeaderView::sectionResized, this,
          [this](int row, int, int height) { fixedColumns_->setRowHeight(row, height); });
}

void TCfgStringGrid::setModel(QAbstractItemModel* model) {
  QTableView::setModel(model);
  fixedColumns_->setModel(model);
}

int TCfgStringGrid::FixedColumnsWidth() const {
  if (fixedColumns_->isHidden()) return 0;
  int width = 0;
  for (int column = 0; column < fixedColumnCount_; ++column) width += columnWidth(column);
  return width;
}

void TCfgStringGrid::PlaceFixedColumns() {
  if (fixedColumns_ == nullptr) return;  // still being built
  const QRect cells = viewport()->geometry();
  fixedColumns_->setGeometry(cells.x(), cells.y(), std::min(FixedColumnsWidth(), cells.width()), cells.height());
}

void TCfgStringGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  PlaceFixedColumns();
}

// A scroll bar that comes or goes changes the cells' area.
void TCfgStringGrid::updateGeometries() {
  QTableView::updateGeometries();
  PlaceFixedColumns();
}

void TCfgStringGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QTableView::scrollTo(index, hint);
  // A cell just right of the fixed columns would be hidden under them.
  const int covered = FixedColumnsWidth();
  if (!index.isValid() || index.column() < fixedColumnCount_ || covered == 0) return;
  const int left = visualRect(index).left();
  if (left < covered) horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (covered - left));
}

void TCfgStringGrid::ApplyPage(const TCfgGrid::Page& page) {
  horizontalHeader()->setStretchLastSection(false);
  // A wider font widens the columns, so that "0xFFFF" and "-32768" still fit.
  const double designZero = kDesignZeroWidth * std::max(1, logicalDpiX()) / kDesignPixelsPerInch;
  const double fontScale = std::max(1.0, fontMetrics().horizontalAdvance(QLatin1Char('0')) / designZero);
  horizontalHeader()->setDefaultSectionSize(qRound(page.defaultColumnWidth * fontScale));
  // The device's grid was drawn for 8-point text; larger fonts get room.
  verticalHeader()->setDefaultSectionSize(std::max(kDefaultRowHeight, fontMetrics().height() + 2 * kTextInset));
  setVerticalScrollBarPolicy(Policy(page.scrollBars != TCfgGrid::ScrollBars::None));
  setHorizontalScrollBarPolicy(Policy(page.scrollBars == TCfgGrid::ScrollBars::Both));
  ScaleGridToScreen(this);
  StretchLastColumn(this);
  setEnabled(page.enabled);

  // Only a grid that scrolls sideways needs its fixed columns drawn apart;
  // it scrolls by pixels so that no cell hides half under them.
  const bool sideways = page.scrollBars == TCfgGrid::ScrollBars::Both && page.fixedColumns > 0 && model();
  fixedColumnCount_ = sideways ? page.fixedColumns : 0;
  setHorizontalScrollMode(sideways ? QAbstractItemView::ScrollPerPixel : QAbstractItemView::ScrollPerItem);
  fixedColumns_->setVisible(sideways);
  if (sideways) {
    fixedColumns_->setItemDelegate(itemDelegate());
    fixedColumns_->setShowGrid(showGrid());
    fixedColumns_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    for (int column = 0; column < model()->columnCount(); ++column) {
      fixedColumns_->setColumnHidden(column, column >= fixedColumnCount_);
      if (column < fixedColumnCount_) fixedColumns_->setColumnWidth(column, columnWidth(column));
    }
    for (int row = 0; row < model()->rowCount(); ++row) fixedColumns_->setRowHeight(row, rowHeight(row));
    fixedColumns_->verticalScrollBar()->setValue(verticalScrollBar()->value());
  }
  PlaceFixedColumns();
}

void TCfgStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (CellSelected) CellSelected();
}

void TCfgStringGrid::keyPressEvent(QKeyEvent* event) {
  if (IsEnter(event) && GetCellEditor(this) == nullptr) {
    StartCellEdit(this);
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void TCfgStringGrid::mousePressEvent(QMouseEvent* event) {
  const QModelIndex at = indexAt(event->position().toPoint());
  if (at.isValid() && at.data(TCfgGrid::kFixedRole).toBool()) {
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
}

QModelIndex TCfgStringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const QModelIndex target = QTableView::moveCursor(action, modifiers);
  auto* grid = qobject_cast<TCfgGrid*>(model());
  if (!target.isValid() || grid == nullptr) return target;
  // Keys never land on a fixed cell.
  const TCfgGrid::Page& page = grid->Settings();
  return model()->index(std::max(target.row(), page.fixedRows), std::max(target.column(), page.fixedColumns));
}

QWidget* TCfgCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
  QWidget* widget = QStyledItemDelegate::createEditor(parent, option, index);
  auto* editor = qobject_cast<QLineEdit*>(widget);
  if (editor == nullptr) return widget;
  const auto descriptor = index.data(TCfgGrid::kDescriptorRole).value<CellDescriptor>();
  editor->setReadOnly(descriptor == 0);
  if (DescriptorKind(descriptor) == CellKind::Text)
    editor->setMaxLength(static_cast<int>(DescriptorTextSize(descriptor)) - 1);
  return editor;
}

bool TCfgCellDelegate::eventFilter(QObject* object, QEvent* event) {
  if (event->type() == QEvent::KeyPress && IsEnter(static_cast<QKeyEvent*>(event)) && EnterInEditor) {
    EnterInEditor();
    return true;
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

void TCfgCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const QString text = index.data(Qt::DisplayRole).toString();
  const bool fixed = index.data(TCfgGrid::kFixedRole).toBool();
  const QPalette::ColorGroup group = option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
  const QPalette& palette = option.palette;
  const QRect& cell = option.rect;
  QColor textColor;
  if (fixed && !text.isEmpty()) {
    painter->fillRect(cell, palette.brush(group, QPalette::Button));
    qDrawShadePanel(painter, cell, palette, false, 1);
    textColor = palette.color(group, QPalette::ButtonText);
  } else if (option.state & QStyle::State_Selected) {
    painter->fillRect(cell, palette.brush(group, QPalette::Highlight));
    textColor = palette.color(group, QPalette::HighlightedText);
  } else {
    painter->fillRect(cell, palette.brush(group, QPalette::Base));
    textColor = palette.color(group, QPalette::Text);
  }

  const QFontMetrics metrics(option.font);
  const int zero = metrics.horizontalAdvance(QLatin1Char('0'));
  const QString shown =
      FitCellText(text, cell.width() - zero, [&metrics](const QString& s) { return metrics.horizontalAdvance(s); });
  QTextOption layout;
  layout.setWrapMode(QTextOption::NoWrap);
  layout.setTabStopDistance(kTabStopZeros * zero);
  painter->save();
  painter->setFont(option.font);
  painter->setPen(textColor);
  painter->setClipRect(cell);
  painter->drawText(QRectF(cell.adjusted(kTextInset, kTextInset, 0, 0)), shown, layout);
  painter->restore();

  if (option.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.rect = cell.adjusted(1, 1, -1, -1);
    focus.backgroundColor = palette.color(group, QPalette::Highlight);
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
  }
}
