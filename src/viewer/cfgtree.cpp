#include "viewer/cfgtree.h"

CfgNode::CfgNode(QString label, std::unique_ptr<TCfgView> view, CfgNode* parent)
    : label_(std::move(label)), view_(std::move(view)), parent_(parent) {}

CfgNode& CfgNode::AddChild(const QString& label, std::unique_ptr<TCfgView> view) {
  children_.push_back(std::make_unique<CfgNode>(label, std::move(view), this));
  return *children_.back();
}

CfgNode* CfgNode::Child(const QString& label) const {
  for (const auto& child : children_) {
    if (child->Label() == label) return child.get();
  }
  return nullptr;
}

void AddChildNodesRecursively(CfgNode& node) {
  if (node.View() != nullptr) node.View()->AddChildNodes(node);
  for (const auto& child : node.Children()) AddChildNodesRecursively(*child);
}
