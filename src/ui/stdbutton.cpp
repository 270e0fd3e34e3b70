#include "ui/stdbutton.h"

TStdButton::TStdButton(QWidget* parent) : TStdButton(QString(), parent) {}

TStdButton::TStdButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  setSizePolicy(sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
  resize(sizeHint());
}

QSize TStdButton::sizeHint() const {
  return QSize(QPushButton::sizeHint().width(), kDefaultHeight);
}
