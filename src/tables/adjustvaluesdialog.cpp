#include "tables/adjustvaluesdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "tables/tableeditor.h"

TAdjustValuesDialog::TAdjustValuesDialog(const TableEditor& editor, QWidget* parent)
    : QDialog(parent), editor_(editor) {
  setObjectName(QStringLiteral("FormAdjustValues"));
  setWindowTitle(QStringLiteral("Adjust Values"));
  factor_ = new QLineEdit(QStringLiteral("1"), this);
  factor_->setObjectName(QStringLiteral("EditFactor"));
  offset_ = new QLineEdit(QStringLiteral("0"), this);
  offset_->setObjectName(QStringLiteral("EditOffset"));
  preview_ = new QLabel(this);
  preview_->setObjectName(QStringLiteral("LabelPreview"));
  preview_->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

  auto* form = new QFormLayout;
  auto* factorLabel = new QLabel(QStringLiteral("Multiply &by:"), this);
  factorLabel->setBuddy(factor_);
  auto* offsetLabel = new QLabel(QStringLiteral("Then &add:"), this);
  offsetLabel->setBuddy(offset_);
  form->addRow(factorLabel, factor_);
  form->addRow(offsetLabel, offset_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Each selected value becomes value × factor + offset,\nthe offset in the column's units."), this));
  layout->addLayout(form);
  layout->addWidget(preview_);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(factor_, &QLineEdit::textChanged, this, &TAdjustValuesDialog::UpdatePreview);
  connect(offset_, &QLineEdit::textChanged, this, &TAdjustValuesDialog::UpdatePreview);
  factor_->selectAll();
  UpdatePreview();
}

QString TAdjustValuesDialog::Factor() const {
  return factor_->text();
}

QString TAdjustValuesDialog::Offset() const {
  return offset_->text();
}

void TAdjustValuesDialog::UpdatePreview() {
  QString first;
  QString last;
  if (const auto refusal = editor_.AdjustPreview(Factor(), Offset(), first, last)) {
    preview_->setText(*refusal);
  } else if (first.isEmpty()) {
    preview_->setText(QStringLiteral("The selection holds no value to adjust."));
  } else {
    preview_->setText(QStringLiteral("First result: ") + first + QStringLiteral("\nLast result: ") + last);
  }
}
