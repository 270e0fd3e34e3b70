#include "comms/formsendreview.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qvaerrors.h"
#include "ui/comparisonview.h"

namespace {

constexpr int kMinimumWidth = 560;

}  // namespace

QString TFormSendReview::Summary(SendReview::Kind kind, const ConfigComparison& comparison) {
  switch (kind) {
    case SendReview::Kind::Identical:
      return QStringLiteral("The QVA already holds this configuration.\nSend it anyway?");
    case SendReview::Kind::MeterNotValid:
      return QStringLiteral(
          "The configuration stored in the QVA is not valid, so there is nothing to compare with.\n"
          "Send the configuration?");
    case SendReview::Kind::Differs:
      break;
  }
  // The count is the rows of the list; the checksum is shown apart below it.
  const int count = comparison.FieldCount();
  QString text;
  if (count == 0) {
    text =
        QStringLiteral("The configuration to send differs from the one in the QVA only in reserved bytes.");
  } else {
    text = count == 1
               ? QStringLiteral("The configuration to send differs from the one in the QVA in 1 field.")
               : QStringLiteral("The configuration to send differs from the one in the QVA in %1 fields.")
                     .arg(count);
    if (!comparison.reservedOffsets.empty()) text += QStringLiteral("\nReserved bytes differ as well.");
  }
  return text + QStringLiteral("\nSend the configuration?");
}

TFormSendReview::TFormSendReview(SendReview::Kind kind, const ConfigComparison& comparison, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("FormSendReview"));
  setWindowTitle(kSendCaption);
  setMinimumWidth(kMinimumWidth);

  auto* layout = new QVBoxLayout(this);
  LabelReview = new QLabel(Summary(kind, comparison), this);
  LabelReview->setObjectName(QStringLiteral("LabelReview"));
  layout->addWidget(LabelReview);

  FrameComparison =
      new TFrameComparison(QStringLiteral("In the QVA"), QStringLiteral("To send"), false, this);
  if (kind == SendReview::Kind::Differs) {
    FrameComparison->ShowComparison(comparison);
  } else {
    FrameComparison->setVisible(false);  // the summary says what stands instead
  }
  layout->addWidget(FrameComparison, 1);

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

bool RunSendReviewDialog(QWidget* parent, const SendReview& review, ConfigComparer compare) {
  if (!compare) throw Exception(QStringLiteral("Internal Error: no comparison for the review."));
  const ConfigComparison comparison =
      review.kind == SendReview::Kind::Differs ? compare(review.meter, review.toSend) : ConfigComparison{};
  TFormSendReview form(review.kind, comparison, parent);
  return form.exec() == QDialog::Accepted;
}
