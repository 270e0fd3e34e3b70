#pragma once

#include <memory>
#include <vector>

#include <QString>

#include "viewer/cfgview.h"

// A node of the viewer's tree: a label, the section view whose page it
// shows (none for a plain grouping node) and its children. A node owns its
// view and its children, so the whole tree goes with the window.
class CfgNode {
 public:
  CfgNode(QString label, std::unique_ptr<TCfgView> view, CfgNode* parent = nullptr);

  CfgNode& AddChild(const QString& label, std::unique_ptr<TCfgView> view = nullptr);

  const QString& Label() const { return label_; }
  TCfgView* View() const { return view_.get(); }
  CfgNode* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<CfgNode>>& Children() const { return children_; }
  // The child with that label, or null.
  CfgNode* Child(const QString& label) const;

 private:
  QString label_;
  std::unique_ptr<TCfgView> view_;
  CfgNode* parent_;
  std::vector<std::unique_ptr<CfgNode>> children_;
};

// Lets the node's view add its children, then each child its own.
void AddChildNodesRecursively(CfgNode& node);
