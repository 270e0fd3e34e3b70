#include "viewer/cfgviewer.h"

#include <span>

#include "platform/prompter.h"
#include "viewer/cfgsections.h"

namespace {

bool g_hexMode = false;

constexpr int kNoDetailsColumnWidth = 100;

}  // namespace

bool ViewerHexMode() {
  return g_hexMode;
}

void SetViewerHexMode(bool hex) {
  g_hexMode = hex;
}

ConfigViewer::ConfigViewer(QVA_CONFIG_DATA& config, Prompter& prompter)
    : config_(config),
      prompter_(prompter),
      root_(std::make_unique<CfgNode>(QStringLiteral("Config"), std::make_unique<TCfgViewQVAConfigData>())) {
  AddChildNodesRecursively(*root_);
  ShowNode(nullptr);
}

void ConfigViewer::ShowNode(const CfgNode* node) {
  shown_ = node;
  TCfgView* view = node != nullptr ? node->View() : nullptr;
  if (view == nullptr) {
    ShowNoDetails();
  } else {
    view->Attach(grid_, config_, g_hexMode);
    view->SetupGrid();
    view->ShowFields();
  }
  grid_.PageReady();
}

void ConfigViewer::ShowNoDetails() {
  grid_.ClearCells();
  grid_.SetSize(1, 1);
  TCfgGrid::Page& page = grid_.Settings();
  page.defaultColumnWidth = kNoDetailsColumnWidth;
  page.fixedColumns = 0;
  page.fixedRows = 0;
  page.scrollBars = TCfgGrid::ScrollBars::None;
  page.editing = false;
  page.enabled = false;
  grid_.SetCell(0, 0, kNoDetailsText);
}

void ConfigViewer::Commit() {
  if (!grid_.Settings().editing) return;
  const std::span record(reinterpret_cast<uint8_t*>(&config_), kConfigSize);
  for (int row = 0; row < grid_.rowCount(); ++row) {
    for (int column = 0; column < grid_.columnCount(); ++column) {
      const CellDescriptor descriptor = grid_.Descriptor(column, row);
      if (descriptor == 0) continue;
      // A cell that still shows the stored value is left alone: looking at
      // a name with blanks or bytes after its terminator must not change it.
      if (grid_.Text(column, row) == FormatCell(record, descriptor, g_hexMode)) continue;
      if (!StoreCell(record, descriptor, grid_.Text(column, row))) prompter_.Beep();
      const QString shown = FormatCell(record, descriptor, g_hexMode);
      if (shown != grid_.Text(column, row)) grid_.SetCell(column, row, shown, descriptor);
    }
  }
}

void ConfigViewer::SetHexMode(bool hex) {
  Commit();
  g_hexMode = hex;
  ShowNode(shown_);
}
