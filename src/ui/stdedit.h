#pragma once

#include <QColor>
#include <QLineEdit>

class QWidget;

// The background rule shared by the edits and combo boxes: the window
// colour while the control can be used, the button-face colour (grey) when
// it is disabled, so a disabled field reads as "not for you" at a glance.
QColor StdControlBackground(const QWidget* control, bool enabled);
void ApplyStdControlBackground(QWidget* control);

// A single-line edit whose background follows its enabled state.
class TStdEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TStdEdit(QWidget* parent = nullptr);

  // The background colour the control paints with now.
  QColor Color() const;

 protected:
  void changeEvent(QEvent* event) override;
};
