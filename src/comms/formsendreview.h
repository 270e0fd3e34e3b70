#pragma once

#include <QDialog>

#include "config/configdiff.h"
#include "comms/transferprocedures.h"

class QLabel;
class TFrameComparison;

// The review of a send: what the meter holds against what is about to be
// sent, as the comparison of the backups and Compare With shows it, with
// Send and Cancel. Nothing has been written to the meter while it is open.
class TFormSendReview : public QDialog {
  Q_OBJECT

 public:
  TFormSendReview(SendReview::Kind kind, const ConfigComparison& comparison, QWidget* parent);

  // The sentence above the list; its count is the number of rows.
  static QString Summary(SendReview::Kind kind, const ConfigComparison& comparison);

 private:
  QLabel* LabelReview;
  TFrameComparison* FrameComparison;
};

// Shows the review modally; true when the user chose Send. compare builds
// the comparison from the review's two records.
bool RunSendReviewDialog(QWidget* parent, const SendReview& review, ConfigComparer compare);
