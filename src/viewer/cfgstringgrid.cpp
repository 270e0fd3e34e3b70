#include "viewer/cfgstringgrid.h"

#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
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
