#include "ui/comparisonview.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kTreeMinimumHeight = 240;
constexpr int kItemIndexRole = Qt::UserRole;
constexpr int kNoItem = -1;

}  // namespace

TFrameComparison::TFrameComparison(const QString& beforeTitle, const QString& afterTitle, bool checkable,
                                   QWidget* parent)
    : QWidget(parent), beforeTitle_(beforeTitle), afterTitle_(afterTitle), checkable_(checkable) {
  setObjectName(QStringLiteral("FrameComparison"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  TreeDifferences = new QTreeWidget(this);
  TreeDifferences->setObjectName(QStringLiteral("TreeDifferences"));
  TreeDifferences->setHeaderLabels({QStringLiteral("Field"), beforeTitle, afterTitle});
  TreeDifferences->setMinimumHeight(kTreeMinimumHeight);
  TreeDifferences->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(TreeDifferences, 1);
  LabelComparisonNote = new QLabel(this);
  LabelComparisonNote->setObjectName(QStringLiteral("LabelComparisonNote"));
  LabelComparisonNote->setWordWrap(true);
  LabelComparisonNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(LabelComparisonNote);
  connect(TreeDifferences, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
    if (column == 0) emit CheckedChanged();
  });
}

void TFrameComparison::ShowComparison(const ConfigComparison& comparison) {
  comparison_ = comparison;
  const QSignalBlocker block(TreeDifferences);
  TreeDifferences->clear();
  int index = 0;
  for (const ComparisonSection& section : comparison.sections) {
    auto* sectionNode = new QTreeWidgetItem(TreeDifferences, {section.title});
    sectionNode->setFirstColumnSpanned(true);
    QFont bold = sectionNode->font(0);
    bold.setBold(true);
    sectionNode->setFont(0, bold);
    sectionNode->setData(0, kItemIndexRole, kNoItem);
    for (const ComparisonItem& item : section.items) {
      const bool oneRow = item.rows.size() == 1 && item.rows.front().label == item.title;
      auto* itemNode = new QTreeWidgetItem(sectionNode, {item.title});
      if (oneRow) {
        itemNode->setText(1, item.rows.front().before);
        itemNode->setText(2, item.rows.front().after);
      } else {
        for (const ComparisonRow& row : item.rows)
          new QTreeWidgetItem(itemNode, {row.label, row.before, row.after});
      }
      itemNode->setData(0, kItemIndexRole, index++);
      if (checkable_) {
        itemNode->setFlags(itemNode->flags() | Qt::ItemIsUserCheckable);
        itemNode->setCheckState(0, Qt::Unchecked);
      }
    }
  }
  TreeDifferences->expandAll();
  TreeDifferences->setVisible(!comparison.sections.empty());
  QStringList notes;
  if (comparison.equal) notes << IdenticalComparisonText();
  if (comparison.checksum) {
    const ComparisonRow& row = *comparison.checksum;
    notes << QStringLiteral("%1 (not a setting) — %2: %3, %4: %5")
                 .arg(row.label, beforeTitle_, row.before, afterTitle_, row.after);
  }
  if (!comparison.reservedOffsets.empty()) notes << ReservedOffsetsText(comparison.reservedOffsets);
  LabelComparisonNote->setText(notes.join(QLatin1Char('\n')));
  LabelComparisonNote->setVisible(!notes.isEmpty());
}

void TFrameComparison::ShowNote(const QString& note) {
  ShowComparison({});
  TreeDifferences->setVisible(false);
  LabelComparisonNote->setText(note);
  LabelComparisonNote->setVisible(true);
}

std::vector<ComparisonItem> TFrameComparison::CheckedItems() const {
  std::vector<const ComparisonItem*> flat;
  for (const ComparisonSection& section : comparison_.sections) {
    for (const ComparisonItem& item : section.items) flat.push_back(&item);
  }
  std::vector<ComparisonItem> checked;
  for (int s = 0; s < TreeDifferences->topLevelItemCount(); ++s) {
    const QTreeWidgetItem* sectionNode = TreeDifferences->topLevelItem(s);
    for (int i = 0; i < sectionNode->childCount(); ++i) {
      const QTreeWidgetItem* itemNode = sectionNode->child(i);
      const int index = itemNode->data(0, kItemIndexRole).toInt();
      if (itemNode->checkState(0) == Qt::Checked && index >= 0 && index < static_cast<int>(flat.size()))
        checked.push_back(*flat[index]);
    }
  }
  return checked;
}
