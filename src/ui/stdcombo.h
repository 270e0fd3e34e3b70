#pragma once

#include <QColor>
#include <QComboBox>

// A combo box with the extended keyboard interface: Down opens the list
// instead of stepping through the items behind the user's back, F4 does
// nothing, and a click on a drop-down list opens it. Its background follows
// the enabled state like TStdEdit's.
class TStdComboBox : public QComboBox {
  Q_OBJECT
  Q_PROPERTY(bool ExtendedUI READ ExtendedUI WRITE SetExtendedUI)

 public:
  explicit TStdComboBox(QWidget* parent = nullptr);

  bool ExtendedUI() const { return extendedUI_; }
  void SetExtendedUI(bool extended);

  // The background colour the control paints its edit part with now.
  QColor Color() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool extendedUI_ = true;
};
