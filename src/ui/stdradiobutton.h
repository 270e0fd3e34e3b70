#pragma once

#include <QRadioButton>

// The radio button of the dialogs; it adds nothing to the toolkit's, but
// gives every dialog the same class to style and find.
class TStdRadioButton : public QRadioButton {
  Q_OBJECT

 public:
  explicit TStdRadioButton(QWidget* parent = nullptr);
  explicit TStdRadioButton(const QString& text, QWidget* parent = nullptr);
};
