#pragma once

#include <QStringList>

#include "support/scriptedprompter.h"
#include "viewer/cfgtree.h"

// The scripted prompter that counts beeps; any other prompt fails the test.
class BeepCountingPrompter : public ScriptedPrompter {
 public:
  void Beep() override { ++beeps; }
  int beeps = 0;
};

// The node at a path of labels below the root ("output_table/1/values").
inline const CfgNode* NodeAt(const CfgNode& root, const QString& path) {
  const CfgNode* node = &root;
  for (const QString& label : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    node = node->Child(label);
    if (node == nullptr) return nullptr;
  }
  return node;
}
