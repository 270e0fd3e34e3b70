#pragma once

#include <vector>

#include <QWidget>

#include "config/configdiff.h"

class QLabel;
class QTreeWidget;

// A comparison of two configurations as every window shows it: a tree of
// sections, items and rows with a column for each configuration, and below
// it, apart from the rows, the checksum and the reserved bytes (wrapped, so
// a long offset list never pushes a column out of view). Equal
// configurations show a sentence instead of an empty tree. With check
// boxes, each item (a field, a whole table, a whole CAN message) can be
// chosen.
class TFrameComparison : public QWidget {
  Q_OBJECT

 public:
  TFrameComparison(const QString& beforeTitle, const QString& afterTitle, bool checkable, QWidget* parent);

  void ShowComparison(const ConfigComparison& comparison);
  // Shows a sentence instead of a comparison (nothing to compare).
  void ShowNote(const QString& note);
  const ConfigComparison& Comparison() const { return comparison_; }
  // The checked items, in the comparison's order.
  std::vector<ComparisonItem> CheckedItems() const;

 signals:
  void CheckedChanged();

 private:
  QString beforeTitle_;
  QString afterTitle_;
  bool checkable_;
  ConfigComparison comparison_;
  QTreeWidget* TreeDifferences;
  QLabel* LabelComparisonNote;
};
