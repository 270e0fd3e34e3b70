#include "ui/stdcombo.h"

#include <QEvent>
#include <QKeyEvent>

#include "ui/stdedit.h"

TStdComboBox::TStdComboBox(QWidget* parent) : QComboBox(parent) {
  ApplyStdControlBackground(this);
}

void TStdComboBox::SetExtendedUI(bool extended) {
  extendedUI_ = extended;
}

QColor TStdComboBox::Color() const {
  return palette().color(QPalette::Active, QPalette::Base);
}

void TStdComboBox::keyPressEvent(QKeyEvent* event) {
  if (extendedUI_ && event->modifiers() == Qt::NoModifier) {
    switch (event->key()) {
      case Qt::Key_F4:
        event->accept();
        return;
      case Qt::Key_Down:
        showPopup();
        event->accept();
        return;
      default:
        break;
    }
  }
  QComboBox::keyPressEvent(event);
}

void TStdComboBox::changeEvent(QEvent* event) {
  QComboBox::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) ApplyStdControlBackground(this);
}
