#pragma once

#include <memory>

#include <QString>

#include "config/qvaconfig.h"
#include "viewer/cfggrid.h"
#include "viewer/cfgtree.h"

class Prompter;

// What the grid shows for a node without a section view.
inline const QString kNoDetailsText = QStringLiteral("No details for this item.");

// Whether the viewer shows values in hexadecimal: one setting for the whole
// run of the program, off at start and never stored, so a viewer opened
// later starts as the last one was left.
bool ViewerHexMode();
void SetViewerHexMode(bool hex);

// The rules of the configuration viewer, without widgets: the tree of
// section views over the loaded record, the page of the shown node in a
// TCfgGrid, and writing edited cells straight back into the record.
class ConfigViewer {
 public:
  // config and prompter must outlive the viewer.
  ConfigViewer(QVA_CONFIG_DATA& config, Prompter& prompter);

  const CfgNode& Root() const { return *root_; }
  TCfgGrid& Grid() { return grid_; }
  const CfgNode* ShownNode() const { return shown_; }

  // Fills the grid with the node's page; the "No details" page for a node
  // without a section view or none.
  void ShowNode(const CfgNode* node);
  // Writes every edited value cell into the record. A text that is not a valid
  // value of its field beeps and leaves the field; every value cell then
  // shows the stored value again. Nothing on a page that allows no editing.
  void Commit();
  // Commits, changes the program-wide mode and shows the node again.
  void SetHexMode(bool hex);

 private:
  void ShowNoDetails();

  QVA_CONFIG_DATA& config_;
  Prompter& prompter_;
  TCfgGrid grid_;
  std::unique_ptr<CfgNode> root_;
  const CfgNode* shown_ = nullptr;
};
