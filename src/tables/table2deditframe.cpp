#include "tables/table2deditframe.h"

#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "platform/qvaerrors.h"
#include "tables/gridutils.h"

namespace {

constexpr int kColumnCount = 2;
constexpr int kDefaultColumnWidth = 100;
constexpr int kDefaultRowHeight = 17;
constexpr int kFrameWidth = 219;
constexpr int kFrameHeight = 178;

bool IsEnterKey(const QKeyEvent* event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

// ---- TStringGridTable ----

void TStringGridTable::mousePressEvent(QMouseEvent* event) {
  const QModelIndex target = indexAt(event->position().toPoint());
  if (target.isValid() && target != currentIndex() && AllowMove && !AllowMove(target)) {
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
}

void TStringGridTable::keyPressEvent(QKeyEvent* event) {
  if (IsEnterKey(event) && state() != EditingState) {
    if (EnterPressed) EnterPressed();
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

QModelIndex TStringGridTable::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const QModelIndex target = QTableView::moveCursor(action, modifiers);
  if (target.isValid() && target != currentIndex() && AllowMove && !AllowMove(target)) return currentIndex();
  return target;
}

// ---- Table2DItemModel ----

Table2DItemModel::Table2DItemModel(Table2DModel& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int Table2DItemModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.RowCount();
}

int Table2DItemModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant Table2DItemModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return QVariant();
  return table_.Cell(index.column(), index.row());
}

bool Table2DItemModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  table_.SetCell(index.column(), index.row(), value.toString());
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

QVariant Table2DItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Horizontal)
    return section >= 0 && section < kColumnCount ? titles_[section] : QString();
  return section + 1;
}

Qt::ItemFlags Table2DItemModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void Table2DItemModel::SetTitle(int column, const QString& text) {
  if (column < 0 || column >= kColumnCount) return;
  titles_[column] = text;
  emit headerDataChanged(Qt::Horizontal, column, column);
}

void Table2DItemModel::TextsChanged() {
  if (table_.RowCount() > 0) emit dataChanged(index(0, 0), index(table_.RowCount() - 1, kColumnCount - 1));
}

void Table2DItemModel::Reset() {
  beginResetModel();
  endResetModel();
}

// ---- TableCellDelegate ----

bool TableCellDelegate::eventFilter(QObject* object, QEvent* event) {
  if (event->type() == QEvent::KeyPress && EnterInEditor && IsEnterKey(static_cast<QKeyEvent*>(event))) {
    if (auto* editor = qobject_cast<QWidget*>(object)) {
      EnterInEditor(editor);
      return true;
    }
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

// ---- TFrameTable2DEdit ----

TFrameTable2DEdit::TFrameTable2DEdit(Prompter& prompter, QWidget* parent) : TFrameTable2DEdit(parent) {
  prompter_ = &prompter;
}

TFrameTable2DEdit::TFrameTable2DEdit(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("FrameTable2DEdit"));
  resize(kFrameWidth, kFrameHeight);
  grid_ = new TStringGridTable(this);
  grid_->setObjectName(QStringLiteral("StringGridTable"));
  itemModel_ = new Table2DItemModel(table_, this);
  delegate_ = new TableCellDelegate(this);
  grid_->setModel(itemModel_);
  grid_->setItemDelegate(delegate_);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  grid_->setShowGrid(true);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth);
  grid_->horizontalHeader()->setSectionsClickable(false);
  grid_->verticalHeader()->setMinimumSectionSize(kDefaultRowHeight);
  grid_->verticalHeader()->setDefaultSectionSize(std::max(kDefaultRowHeight, fontMetrics().height() + 4));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(grid_);

  grid_->AllowMove = [this](const QModelIndex& target) {
    return StringGridTableSelectCell(target.column(), target.row());
  };
  grid_->EnterPressed = [this] { StringGridTableKeyPress(nullptr); };
  delegate_->EnterInEditor = [this](QWidget* editor) { StringGridTableKeyPress(editor); };

  connect(itemModel_, &QAbstractItemModel::dataChanged, this, &TFrameTable2DEdit::TableChanged);
  connect(itemModel_, &QAbstractItemModel::modelReset, this, &TFrameTable2DEdit::TableChanged);
  connect(itemModel_, &QAbstractItemModel::headerDataChanged, this, &TFrameTable2DEdit::TableChanged);

  SetupTable(kMaxTablePoints, PlainNumberType, PlainNumberType);
  connect(qApp, &QApplication::focusChanged, this, &TFrameTable2DEdit::FocusChanged);
}

TFrameTable2DEdit::~TFrameTable2DEdit() {
  disconnect(qApp, &QApplication::focusChanged, this, &TFrameTable2DEdit::FocusChanged);
}

void TFrameTable2DEdit::FocusChanged(QWidget* old, QWidget* now) {
  if (checking_ || old == nullptr || now == nullptr) return;
  if (!isAncestorOf(old) || isAncestorOf(now) || now->window() != window()) return;
  emit FrameExit(now);
}

Prompter& TFrameTable2DEdit::RequirePrompter() const {
  if (prompter_ == nullptr) throw Exception(QStringLiteral("The table editor has no prompter."));
  return *prompter_;
}

QString TFrameTable2DEdit::OwnerCaption() const {
  return window()->windowTitle();
}

void TFrameTable2DEdit::SetupTable(int rows, const ValueType& inputType, const ValueType& outputType) {
  CloseCellEditor(grid_);
  table_.Setup(rows, inputType, outputType);
  itemModel_->Reset();
  itemModel_->SetTitle(0, UnitAbbreviation(inputType));
  itemModel_->SetTitle(1, UnitAbbreviation(outputType));
  AdjustGridLayout(grid_, false);
}

void TFrameTable2DEdit::SetColumnTitle(int column, const QString& text) {
  itemModel_->SetTitle(column, text);
}

QString TFrameTable2DEdit::ColumnTitle(int column) const {
  return itemModel_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

void TFrameTable2DEdit::ShowPoints(const TablePoint* points, int count) {
  CloseCellEditor(grid_);
  table_.ShowPoints(points, count);
  itemModel_->TextsChanged();
  SelectFirstCell(grid_);
}

void TFrameTable2DEdit::SyncFromGrid() {
  CloseCellEditor(grid_);
  const QModelIndex current = grid_->currentIndex();
  if (current.isValid()) table_.SetCurrent({current.column(), current.row()});
}

void TFrameTable2DEdit::SyncToGrid(bool openEditor) {
  itemModel_->TextsChanged();
  const TableCell cell = table_.Current();
  GoToCell(grid_, cell.column, cell.row);
  if (openEditor) {
    grid_->show();
    grid_->setFocus(Qt::OtherFocusReason);
    StartCellEdit(grid_);
  }
}

bool TFrameTable2DEdit::Check(const std::function<bool()>& rule) {
  RequirePrompter();  // the rules below show their notices through it
  checking_ = true;
  SyncFromGrid();
  bool ok = false;
  try {
    ok = rule();
  } catch (...) {
    checking_ = false;
    throw;
  }
  SyncToGrid(!ok);
  checking_ = false;
  return ok;
}

bool TFrameTable2DEdit::CheckCells() {
  return Check([this] { return table_.CheckCells(*prompter_, OwnerCaption()); });
}

bool TFrameTable2DEdit::ValidateTable() {
  return Check([this] { return table_.ValidateTable(*prompter_, OwnerCaption(), windowTitle()); });
}

bool TFrameTable2DEdit::CommitOnExit() {
  return Check([this] { return table_.CommitOnExit(*prompter_, OwnerCaption()); });
}

bool TFrameTable2DEdit::ReadPoints(TablePoint* points, int capacity, int& count) {
  return Check(
      [&] { return table_.ReadPoints(*prompter_, OwnerCaption(), windowTitle(), points, capacity, count); });
}

bool TFrameTable2DEdit::ReadPoints(TablePoint (&points)[kMaxTablePoints], uint8_t& numRows) {
  int count = 0;
  if (!ReadPoints(points, kMaxTablePoints, count)) return false;
  numRows = static_cast<uint8_t>(count);
  return true;
}

void TFrameTable2DEdit::ChangeColumnFormat(int column, const ValueType& type) {
  CloseCellEditor(grid_);
  table_.ChangeColumnFormat(column, type);
  itemModel_->TextsChanged();
}

bool TFrameTable2DEdit::StringGridTableSelectCell(int /*column*/, int /*row*/) {
  // While a check runs its own cursor moves are the only ones allowed.
  if (checking_) return false;
  return CheckCells();
}

void TFrameTable2DEdit::StringGridTableKeyPress(QWidget* openEditor) {
  if (openEditor == nullptr) {
    StartCellEdit(grid_);
    return;
  }
  emit delegate_->commitData(openEditor);
  CheckCells();
}
