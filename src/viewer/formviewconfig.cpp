#include "viewer/formviewconfig.h"

#include <algorithm>

#include <QCheckBox>
#include <QPushButton>
#include <QTreeWidget>

#include "platform/errorhandler.h"
#include "tables/gridutils.h"
#include "ui_formviewconfig.h"
#include "viewer/cfgstringgrid.h"

namespace {

constexpr int kNodeRole = Qt::UserRole;

const CfgNode* NodeOf(const QTreeWidgetItem* item) {
  return item != nullptr ? static_cast<const CfgNode*>(item->data(0, kNodeRole).value<const void*>()) : nullptr;
}

}  // namespace

TFormViewConfig::TFormViewConfig(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner)
    : QDialog(owner), ui_(std::make_unique<Ui::TFormViewConfig>()), viewer_(config, prompter) {
  ui_->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFixedSize(size());
  delegate_ = new TCfgCellDelegate(ui_->StringGrid1);
  delegate_->EnterInEditor = [this] { Commit(); };
  ui_->StringGrid1->setItemDelegate(delegate_);
  ui_->StringGrid1->setModel(&viewer_.Grid());
  ui_->StringGrid1->CellSelected = [this] { StringGrid1SelectCell(); };
  // Both commit the cell being typed, and the hexadecimal mode is stored in
  // the settings: either may fail.
  connect(ui_->TreeView1, &QTreeWidget::currentItemChanged, this,
          Guarded(prompter, [this] { TreeView1Change(ui_->TreeView1->currentItem()); }));
  connect(ui_->CheckBoxHexMode, &QCheckBox::clicked, this, Guarded(prompter, [this] { CheckBoxHexModeClick(); }));
  connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
  FormCreate();
}

TFormViewConfig::~TFormViewConfig() = default;

void TFormViewConfig::Execute(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner) {
  TFormViewConfig form(prompter, config, owner);
  form.exec();
}

void TFormViewConfig::FormCreate() {
  ui_->CheckBoxHexMode->setChecked(ViewerHexMode());
  AdjustGridLayout(ui_->StringGrid1, false);
  auto* root = new QTreeWidgetItem(ui_->TreeView1);
  AddTreeItems(root, viewer_.Root());
  root->setExpanded(true);
  ShowPage(nullptr);
}

void TFormViewConfig::AddTreeItems(QTreeWidgetItem* item, const CfgNode& node) {
  item->setText(0, node.Label());
  item->setData(0, kNodeRole, QVariant::fromValue(static_cast<const void*>(&node)));
  for (const auto& child : node.Children()) AddTreeItems(new QTreeWidgetItem(item), *child);
}

void TFormViewConfig::TreeView1Change(QTreeWidgetItem* current) {
  // The grid still holds the page being left.
  Commit();
  ShowPage(NodeOf(current));
}

void TFormViewConfig::ShowPage(const CfgNode* node) {
  CloseCellEditor(ui_->StringGrid1);
  viewer_.ShowNode(node);
  ApplyShownPage();
}

void TFormViewConfig::ApplyShownPage(int column, int row) {
  showing_ = true;
  const TCfgGrid::Page& page = viewer_.Grid().Settings();
  ui_->StringGrid1->ApplyPage(page);
  if (page.enabled) {
    GoToCell(ui_->StringGrid1, std::max(column, page.fixedColumns), std::max(row, page.fixedRows));
  } else {
    HideGridSelection(ui_->StringGrid1);
  }
  showing_ = false;
}

void TFormViewConfig::StringGrid1SelectCell() {
  if (!showing_) Commit();
}

void TFormViewConfig::CheckBoxHexModeClick() {
  Commit();
  // The same cell stays current in the other mode.
  const QModelIndex current = ui_->StringGrid1->currentIndex();
  viewer_.SetHexMode(ui_->CheckBoxHexMode->isChecked());
  ApplyShownPage(current.column(), current.row());
}

void TFormViewConfig::Commit() {
  CloseCellEditor(ui_->StringGrid1);
  viewer_.Commit();
}

void TFormViewConfig::done(int result) {
  Commit();
  QDialog::done(result);
}
