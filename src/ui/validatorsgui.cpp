#include "ui/validatorsgui.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>

namespace {

QString OwnerCaption(QWidget* owner, const QWidget* control) {
  if (owner != nullptr) return owner->window()->windowTitle();
  return control->window()->windowTitle();
}

void AfterFailure(QLineEdit* edit, bool setFocus) {
  edit->selectAll();
  if (setFocus) ShowAndFocusControl(edit);
}

// The 16-bit and the 32-bit scaled edits differ only in the text validator.
template <typename Raw, typename TextValidator>
bool ValidateScaledEditWith(TextValidator validate, Prompter& prompter, QLineEdit* edit, Raw low, Raw high,
                            const QString& fieldName, QWidget* owner, const ValueType& type, bool setFocus,
                            bool showUnit) {
  QString text = edit->text();
  if (validate(prompter, text, low, high, fieldName, OwnerCaption(owner, edit), type, showUnit)) {
    edit->setText(text);
    return true;
  }
  AfterFailure(edit, setFocus);
  return false;
}

}  // namespace

void ShowAndFocusControl(QWidget* control) {
  if (control == nullptr) return;
  // Bring forward every page that holds the control, outermost last so that
  // nested pages end up visible together.
  for (QWidget* child = control; child != nullptr && !child->isWindow(); child = child->parentWidget()) {
    QWidget* parent = child->parentWidget();
    if (auto* stack = qobject_cast<QStackedWidget*>(parent)) {
      if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()); tabs && tabs->indexOf(child) >= 0) {
        tabs->setCurrentWidget(child);
      } else {
        stack->setCurrentWidget(child);
      }
    }
  }
  for (QWidget* w = control; w != nullptr && !w->isWindow(); w = w->parentWidget()) {
    if (w->isHidden()) w->show();
  }
  control->setFocus(Qt::OtherFocusReason);
}

bool SelectComboItemByCode(QComboBox* combo, int code) {
  for (int i = 0; i < combo->count(); ++i) {
    bool ok = false;
    const int itemCode = combo->itemData(i).toInt(&ok);
    if (ok && itemCode == code) {
      combo->setCurrentIndex(i);
      return true;
    }
  }
  return false;
}

void SelectComboItemByCodeOrFirst(QComboBox* combo, int code) {
  if (!SelectComboItemByCode(combo, code)) combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

int GetComboItemCode(const QComboBox* combo) {
  const int index = combo->currentIndex();
  if (index < 0 || index >= combo->count()) return 0;
  return combo->itemData(index).toInt();
}

bool ValidateWholeNumberEdit(Prompter& prompter, QLineEdit* edit, int32_t low, int32_t high,
                             const QString& fieldName, QWidget* owner, bool setFocus) {
  if (ValidateWholeNumberText(prompter, edit->text(), low, high, fieldName, OwnerCaption(owner, edit)))
    return true;
  AfterFailure(edit, setFocus);
  return false;
}

bool ValidateUpDownEdit(Prompter& prompter, QSpinBox* upDown, const QString& fieldName, QWidget* owner,
                        bool setFocus) {
  if (ValidateWholeNumberText(prompter, upDown->cleanText(), upDown->minimum(), upDown->maximum(), fieldName,
                              OwnerCaption(owner, upDown))) {
    return true;
  }
  // Showing a spin box's page rewrites its text from its value, so it is
  // shown first and its text selected after.
  if (setFocus) ShowAndFocusControl(upDown);
  upDown->selectAll();
  return false;
}

bool ValidateUpDownEdit(Prompter& prompter, QLineEdit* edit, const QSpinBox* upDown, const QString& fieldName,
                        QWidget* owner, bool setFocus) {
  return ValidateWholeNumberEdit(prompter, edit, upDown->minimum(), upDown->maximum(), fieldName, owner,
                                 setFocus);
}

bool ValidateScaledEdit(Prompter& prompter, QLineEdit* edit, int16_t low, int16_t high,
                        const QString& fieldName, QWidget* owner, const ValueType& type, bool setFocus,
                        bool showUnit) {
  return ValidateScaledEditWith(ValidateScaledText, prompter, edit, low, high, fieldName, owner, type,
                                setFocus, showUnit);
}

bool ValidateScaledEdit32(Prompter& prompter, QLineEdit* edit, uint32_t low, uint32_t high,
                          const QString& fieldName, QWidget* owner, const ValueType& type, bool setFocus,
                          bool showUnit) {
  return ValidateScaledEditWith(ValidateScaledText32, prompter, edit, low, high, fieldName, owner, type,
                                setFocus, showUnit);
}

bool ValidateHexEdit(Prompter& prompter, QLineEdit* edit, uint32_t low, uint32_t high,
                     const QString& fieldName, QWidget* owner, int digits) {
  QString text = edit->text();
  if (ValidateHexText(prompter, text, low, high, fieldName, OwnerCaption(owner, edit), digits)) {
    edit->setText(text);
    return true;
  }
  ShowAndFocusControl(edit);
  edit->selectAll();
  return false;
}
