#include "comms/formsendreview.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kMinimumWidth = 560;
constexpr int kListHeight = 280;
const QString kChecksumField = QStringLiteral("cfg_crc16");

}  // namespace

QString TFormSendReview::Summary(const SendReview& review) {
  switch (review.kind) {
    case SendReview::Kind::Identical:
      return QStringLiteral("The QVA already holds this configuration.\nSend it anyway?");
    case SendReview::Kind::MeterNotValid:
      return QStringLiteral(
          "The configuration stored in the QVA is not valid, so there is nothing to compare with.\n"
          "Send the configuration?");
    case SendReview::Kind::Differs:
      break;
  }
  // The checksum follows the other fields; it is listed, not counted.
  const auto& fields = review.difference.fields;
  const auto count = std::count_if(fields.begin(), fields.end(),
                                   [](const FieldChange& change) { return change.name != kChecksumField; });
  QString text;
  if (count == 0) {
    text = QStringLiteral("The configuration to send differs from the one in the QVA only in reserved bytes.");
  } else {
    text = count == 1 ? QStringLiteral("The configuration to send differs from the one in the QVA in 1 field.")
                      : QStringLiteral("The configuration to send differs from the one in the QVA in %1 fields.")
                            .arg(count);
    if (!review.difference.reservedOffsets.empty()) text += QStringLiteral("\nReserved bytes differ as well.");
  }
  return text + QStringLiteral("\nSend the configuration?");
}

TFormSendReview::TFormSendReview(const SendReview& review, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormSendReview"));
  setWindowTitle(kSendCaption);
  setMinimumWidth(kMinimumWidth);

  auto* layout = new QVBoxLayout(this);
  LabelReview = new QLabel(Summary(review), this);
  LabelReview->setObjectName(QStringLiteral("LabelReview"));
  layout->addWidget(LabelReview);

  TreeDifferences = new QTreeWidget(this);
  TreeDifferences->setObjectName(QStringLiteral("TreeDifferences"));
  TreeDifferences->setHeaderLabels(
      {QStringLiteral("Field"), QStringLiteral("In the QVA"), QStringLiteral("To send")});
  TreeDifferences->setRootIsDecorated(false);
  TreeDifferences->setUniformRowHeights(true);
  TreeDifferences->setMinimumHeight(kListHeight);
  for (const FieldChange& change : review.difference.fields) {
    new QTreeWidgetItem(TreeDifferences, {change.name, change.before, change.after});
  }
  if (!review.difference.reservedOffsets.empty()) {
    QStringList offsets;
    for (const std::size_t offset : review.difference.reservedOffsets) offsets << QString::number(offset);
    new QTreeWidgetItem(TreeDifferences,
                        {QStringLiteral("reserved bytes at offsets"), offsets.join(QStringLiteral(", ")),
                         QString()});
  }
  TreeDifferences->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  TreeDifferences->setVisible(TreeDifferences->topLevelItemCount() > 0);
  layout->addWidget(TreeDifferences);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* send = buttons->addButton(QStringLiteral("&Send"), QDialogButtonBox::AcceptRole);
  send->setObjectName(QStringLiteral("ButtonSend"));
  QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("ButtonCancel"));
  // Nothing is sent by a stray Enter: Cancel is the default.
  cancel->setDefault(true);
  cancel->setFocus();
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

bool RunSendReviewDialog(QWidget* parent, const SendReview& review) {
  TFormSendReview form(review, parent);
  return form.exec() == QDialog::Accepted;
}
