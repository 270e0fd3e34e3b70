#include "ui/stdedit.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>

QColor StdControlBackground(const QWidget* control, bool enabled) {
  // The platform's colours, not the control's own (already changed) palette.
  const QPalette platform = QApplication::palette(control);
  return enabled ? platform.color(QPalette::Active, QPalette::Base)
                 : platform.color(QPalette::Active, QPalette::Button);
}

void ApplyStdControlBackground(QWidget* control) {
  const QColor colour = StdControlBackground(control, control->isEnabled());
  QPalette palette = control->palette();
  if (palette.color(QPalette::Active, QPalette::Base) == colour &&
      palette.color(QPalette::Disabled, QPalette::Base) == colour)
    return;
  palette.setColor(QPalette::All, QPalette::Base, colour);
  control->setPalette(palette);
}

TStdEdit::TStdEdit(QWidget* parent) : QLineEdit(parent) {
  ApplyStdControlBackground(this);
}

QColor TStdEdit::Color() const {
  return palette().color(QPalette::Active, QPalette::Base);
}

void TStdEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) ApplyStdControlBackground(this);
}
