#include "tables/table2deditframe.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "platform/prompter.h"
#include "platform/qvaerrors.h"
#include "tables/adjustvaluesdialog.h"
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
  if (CellTyped) {
    CellTyped(index.column(), index.row(), value.toString());
  } else {
    table_.SetCell(index.column(), index.row(), value.toString());
  }
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
  // Cells copied from a spreadsheet or a grid are pasted as a block by the
  // grid's Paste command, never as one line of text into the open cell.
  if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('\r')))
      return true;
  }
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
  grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
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
  itemModel_->CellTyped = [this](int column, int row, const QString& text) {
    editor_.TypeCell(column, row, text);
  };
  AskAdjust = [this](const TableEditor& editor) -> std::optional<AdjustValuesRequest> {
    TAdjustValuesDialog dialog(editor, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return AdjustValuesRequest{dialog.Factor(), dialog.Offset()};
  };
  CreateActions();

  connect(itemModel_, &QAbstractItemModel::dataChanged, this, &TFrameTable2DEdit::TableChanged);
  connect(itemModel_, &QAbstractItemModel::modelReset, this, &TFrameTable2DEdit::TableChanged);
  connect(itemModel_, &QAbstractItemModel::headerDataChanged, this, &TFrameTable2DEdit::TableChanged);

  SetupTable(kMaxTablePoints, PlainNumberType, PlainNumberType);
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &TFrameTable2DEdit::CurrentCellChanged);
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
  editor_.Restart();
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
  editor_.Restart();
  itemModel_->TextsChanged();
  SelectFirstCell(grid_);
}

void TFrameTable2DEdit::LoadPoints(const TablePoint* points, int count) {
  CloseCellEditor(grid_);
  const TableSnapshot before = editor_.Snapshot();
  table_.ShowPoints(points, count);
  editor_.Record(before);
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
  // A passed check that left the cursor where it was keeps the selection
  // the user is extending.
  const QModelIndex current = grid_->currentIndex();
  if (!openEditor && current.isValid() && current.row() == cell.row && current.column() == cell.column) return;
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
  const TableSnapshot before = editor_.Snapshot();
  bool ok = false;
  try {
    ok = rule();
  } catch (...) {
    checking_ = false;
    throw;
  }
  editor_.RecordCheck(before);
  SyncToGrid(!ok);
  checking_ = false;
  return ok;
}

bool TFrameTable2DEdit::CheckCells() {
  return Check([this] { return table_.CheckCells(*prompter_, OwnerCaption()); });
}

bool TFrameTable2DEdit::ValidateTable() {
  return Check([this] { return table_.ValidateTable(*prompter_, OwnerCaption(), OwnerCaption()); });
}

bool TFrameTable2DEdit::CommitOnExit() {
  return Check([this] { return table_.CommitOnExit(*prompter_, OwnerCaption()); });
}

bool TFrameTable2DEdit::ReadPoints(TablePoint* points, int capacity, int& count) {
  return Check(
      [&] { return table_.ReadPoints(*prompter_, OwnerCaption(), OwnerCaption(), points, capacity, count); });
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

// ---- Editing commands ----

namespace {

struct CommandAction {
  const char* objectName;
  const char* text;
  QList<QKeySequence> keys;
  void (TFrameTable2DEdit::*run)();
};

}  // namespace

void TFrameTable2DEdit::CreateActions() {
  // clang-format off
  const CommandAction commands[] = {
      {"ActionUndo", "&Undo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, &TFrameTable2DEdit::UndoEdit},
      {"ActionRedo", "&Redo", {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}, &TFrameTable2DEdit::RedoEdit},
      {nullptr, nullptr, {}, nullptr},
      {"ActionCut", "Cu&t", {QKeySequence(Qt::CTRL | Qt::Key_X)}, &TFrameTable2DEdit::CutCells},
      {"ActionCopy", "&Copy", {QKeySequence(Qt::CTRL | Qt::Key_C)}, &TFrameTable2DEdit::CopyCells},
      {"ActionPaste", "&Paste", {QKeySequence(Qt::CTRL | Qt::Key_V)}, &TFrameTable2DEdit::PasteCells},
      {"ActionClear", "C&lear Cells", {QKeySequence(Qt::Key_Delete)}, &TFrameTable2DEdit::ClearCells},
      {nullptr, nullptr, {}, nullptr},
      {"ActionInsertRow", "&Insert Row", {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, &TFrameTable2DEdit::InsertRow},
      {"ActionDeleteRows", "&Delete Rows", {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, &TFrameTable2DEdit::DeleteRows},
      {nullptr, nullptr, {}, nullptr},
      {"ActionInterpolate", "I&nterpolate", {QKeySequence(Qt::CTRL | Qt::Key_I)}, &TFrameTable2DEdit::InterpolateRows},
      {"ActionAdjust", "&Adjust Values...", {QKeySequence(Qt::CTRL | Qt::Key_J)}, &TFrameTable2DEdit::AdjustValues},
      {nullptr, nullptr, {}, nullptr},
      {"ActionRevert", "Re&vert Table", {QKeySequence(Qt::CTRL | Qt::Key_R)}, &TFrameTable2DEdit::RevertTable},
  };
  // clang-format on
  for (const CommandAction& command : commands) {
    auto* action = new QAction(grid_);
    if (command.objectName == nullptr) {
      action->setSeparator(true);
    } else {
      action->setObjectName(QString::fromLatin1(command.objectName));
      action->setText(QString::fromLatin1(command.text));
      action->setShortcuts(command.keys);
      action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
      action->setShortcutVisibleInContextMenu(true);
      connect(action, &QAction::triggered, this, command.run);
    }
    grid_->addAction(action);
  }
  grid_->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(this, &TFrameTable2DEdit::TableChanged, this, &TFrameTable2DEdit::UpdateActions);
  UpdateActions();
}

QAction* TFrameTable2DEdit::Action(const QString& objectName) const {
  return grid_->findChild<QAction*>(objectName, Qt::FindDirectChildrenOnly);
}

void TFrameTable2DEdit::UpdateActions() {
  if (QAction* undo = Action(QStringLiteral("ActionUndo"))) undo->setEnabled(editor_.CanUndo());
  if (QAction* redo = Action(QStringLiteral("ActionRedo"))) redo->setEnabled(editor_.CanRedo());
  if (QAction* revert = Action(QStringLiteral("ActionRevert"))) revert->setEnabled(!editor_.AtBaseline());
}

void TFrameTable2DEdit::SelectionFromGrid() {
  const QModelIndex current = grid_->currentIndex();
  if (current.isValid()) table_.SetCurrent({current.column(), current.row()});
  const TableCell cell = table_.Current();
  TableRange range{cell.row, cell.column, cell.row, cell.column};
  const QItemSelection selection = grid_->selectionModel()->selection();
  if (!selection.isEmpty()) {
    range = {selection.first().top(), selection.first().left(), selection.first().bottom(),
             selection.first().right()};
    for (const QItemSelectionRange& part : selection) {
      range.top = std::min(range.top, part.top());
      range.left = std::min(range.left, part.left());
      range.bottom = std::max(range.bottom, part.bottom());
      range.right = std::max(range.right, part.right());
    }
  }
  editor_.Select(range);
}

void TFrameTable2DEdit::SelectionToGrid() {
  const TableRange& range = editor_.Selection();
  const TableCell cell = table_.Current();
  const QModelIndex current = itemModel_->index(cell.row, cell.column);
  grid_->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
  grid_->selectionModel()->select(
      QItemSelection(itemModel_->index(range.top, range.left), itemModel_->index(range.bottom, range.right)),
      QItemSelectionModel::ClearAndSelect);
  grid_->scrollTo(current);
}

void TFrameTable2DEdit::RunEdit(const std::function<std::optional<QString>()>& command) {
  // Text still in the cell editor is typed first: a step of its own.
  CloseCellEditor(grid_);
  SelectionFromGrid();
  const std::optional<QString> refusal = command();
  itemModel_->TextsChanged();
  SelectionToGrid();
  UpdateActions();
  grid_->setFocus(Qt::ShortcutFocusReason);
  if (refusal) ShowInformation(RequirePrompter(), *refusal, OwnerCaption());
}

void TFrameTable2DEdit::RunPlainEdit(const std::function<void()>& command) {
  RunEdit([&command]() -> std::optional<QString> {
    command();
    return std::nullopt;
  });
}

void TFrameTable2DEdit::CopyCells() {
  RunPlainEdit([this] { QGuiApplication::clipboard()->setText(editor_.CopySelection()); });
}

void TFrameTable2DEdit::CutCells() {
  RunPlainEdit([this] { QGuiApplication::clipboard()->setText(editor_.CutSelection()); });
}

void TFrameTable2DEdit::PasteCells() {
  RunEdit([this] { return editor_.Paste(QGuiApplication::clipboard()->text(), QLocale()); });
}

void TFrameTable2DEdit::ClearCells() {
  RunPlainEdit([this] { editor_.ClearSelection(); });
}

void TFrameTable2DEdit::InsertRow() {
  RunEdit([this] { return editor_.InsertRow(); });
}

void TFrameTable2DEdit::DeleteRows() {
  RunPlainEdit([this] { editor_.DeleteRows(); });
}

void TFrameTable2DEdit::InterpolateRows() {
  RunEdit([this] { return editor_.Interpolate(); });
}

void TFrameTable2DEdit::AdjustValues() {
  CloseCellEditor(grid_);
  SelectionFromGrid();
  const std::optional<AdjustValuesRequest> request = AskAdjust ? AskAdjust(editor_) : std::nullopt;
  // The keys go back to the grid's window, also where no window manager
  // hands it the focus when the question closes.
  window()->activateWindow();
  if (!request) {
    grid_->setFocus(Qt::OtherFocusReason);
    return;
  }
  RunEdit([&] { return editor_.Adjust(request->factor, request->offset); });
}

void TFrameTable2DEdit::UndoEdit() {
  RunPlainEdit([this] { editor_.Undo(); });
}

void TFrameTable2DEdit::RedoEdit() {
  RunPlainEdit([this] { editor_.Redo(); });
}

void TFrameTable2DEdit::RevertTable() {
  RunPlainEdit([this] { editor_.Revert(); });
}

// ---- The curve's gestures ----

bool TFrameTable2DEdit::GoToRow(int row) {
  if (row < 0 || row >= table_.RowCount()) return false;
  const QModelIndex current = grid_->currentIndex();
  if (current.isValid() && current.row() == row) return true;
  if (!StringGridTableSelectCell(1, row)) return false;
  GoToCell(grid_, current.isValid() ? current.column() : 1, row);
  return true;
}

void TFrameTable2DEdit::BeginCurveDrag() {
  CloseCellEditor(grid_);
  dragStart_ = editor_.Snapshot();
}

void TFrameTable2DEdit::DragOutput(int row, int16_t raw) {
  if (row < 0 || row >= table_.RowCount()) return;
  table_.SetCell(1, row, FormatValue16(table_.ColumnType(1), raw, false));
  itemModel_->TextsChanged();
}

void TFrameTable2DEdit::EndCurveDrag() {
  if (!dragStart_) return;
  editor_.Record(*dragStart_);
  dragStart_.reset();
  UpdateActions();
}
