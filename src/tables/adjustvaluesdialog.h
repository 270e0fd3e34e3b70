#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class TableEditor;

// Asks for the factor and the offset that Adjust Values applies to the
// selected cells, showing the first and the last result as they are typed.
class TAdjustValuesDialog : public QDialog {
  Q_OBJECT
 public:
  TAdjustValuesDialog(const TableEditor& editor, QWidget* parent = nullptr);

  QString Factor() const;
  QString Offset() const;

 private:
  void UpdatePreview();

  const TableEditor& editor_;
  QLineEdit* factor_ = nullptr;
  QLineEdit* offset_ = nullptr;
  QLabel* preview_ = nullptr;
};
