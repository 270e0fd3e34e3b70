#include "app/takeoverframe.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/errorhandler.h"
#include "app/setupdocument.h"
#include "editors/configcomparison.h"
#include "ui/comparisonview.h"

namespace {

// clang-format off
const QString kNoConfigLoaded = QStringLiteral("No configuration is loaded, so there is nothing to compare with.\nYou should open or create a configuration first.");
// clang-format on

}  // namespace

TFrameTakeOver::TFrameTakeOver(SetupDocument& document, const QString& otherTitle, QWidget* parent)
    : QWidget(parent), document_(document) {
  setObjectName(QStringLiteral("FrameTakeOver"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  FrameComparison = new TFrameComparison(QStringLiteral("Loaded configuration"), otherTitle, true, this);
  layout->addWidget(FrameComparison, 1);
  auto* row = new QHBoxLayout;
  ButtonCopySelected = new QPushButton(QStringLiteral("&Copy Selected to Configuration"), this);
  ButtonCopySelected->setObjectName(QStringLiteral("ButtonCopySelected"));
  row->addWidget(ButtonCopySelected);
  row->addStretch(1);
  layout->addLayout(row);
  connect(ButtonCopySelected, &QPushButton::clicked, this,
          Guarded(document_.GetPrompter(), [this] { ButtonCopySelectedClick(); }));
  connect(FrameComparison, &TFrameComparison::CheckedChanged, this, &TFrameTakeOver::UpdateButtons);
  UpdateButtons();
}

void TFrameTakeOver::SetOther(const std::optional<QVA_CONFIG_DATA>& other, const QString& whyNone) {
  other_ = other;
  whyNone_ = whyNone;
  Refresh();
}

void TFrameTakeOver::Refresh() {
  if (!document_.Config()) {
    FrameComparison->ShowNote(kNoConfigLoaded);
  } else if (!other_) {
    FrameComparison->ShowNote(whyNone_);
  } else {
    FrameComparison->ShowComparison(CompareConfigs(*document_.Config(), *other_));
  }
  UpdateButtons();
}

void TFrameTakeOver::ButtonCopySelectedClick() {
  const std::vector<ComparisonItem> items = FrameComparison->CheckedItems();
  if (!other_ || items.empty()) return;
  const QVA_CONFIG_DATA other = *other_;
  const bool changed = document_.RunConfigDialog([&](QVA_CONFIG_DATA& config) {
    for (const ComparisonItem& item : items) TakeOverItem(config, other, item);
  });
  Refresh();
  if (changed) emit ConfigChanged();
}

void TFrameTakeOver::UpdateButtons() {
  ButtonCopySelected->setEnabled(document_.Config() && other_ && !FrameComparison->CheckedItems().empty());
}
