#pragma once

#include <QDialog>

#include "comms/transferprocedures.h"

class QLabel;
class QTreeWidget;

// The review of a send: what the meter holds against what is about to be
// sent, one row per differing field, with Send and Cancel. Nothing has been
// written to the meter while it is open.
class TFormSendReview : public QDialog {
  Q_OBJECT

 public:
  TFormSendReview(const SendReview& review, QWidget* parent);

  // The sentence above the list.
  static QString Summary(const SendReview& review);

 private:
  QLabel* LabelReview;
  QTreeWidget* TreeDifferences;
};

// Shows the review modally; true when the user chose Send.
bool RunSendReviewDialog(QWidget* parent, const SendReview& review);
