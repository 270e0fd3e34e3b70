#pragma once

#include <cstdint>

#include <QString>

#include "ui/validators.h"

class Prompter;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;

// The widget half of validated entry: reads a control's text through the
// text validators of validators.h and, on failure, puts the caret back.

// The message is titled with owner's window title (the edit's window when
// owner is null). On failure the edit's whole text is selected and, with
// setFocus, the edit is shown (its page of a tab or stacked widget brought
// forward) and made the active control.

bool ValidateWholeNumberEdit(Prompter& prompter, QLineEdit* edit, int32_t low, int32_t high,
                             const QString& fieldName, QWidget* owner, bool setFocus);
// Range from the spin box's minimum and maximum; the typed text is checked,
// so a value the user has not yet confirmed is caught too.
bool ValidateUpDownEdit(Prompter& prompter, QSpinBox* upDown, const QString& fieldName, QWidget* owner,
                        bool setFocus);
// An edit paired with a separate up-down control that supplies the range.
bool ValidateUpDownEdit(Prompter& prompter, QLineEdit* edit, const QSpinBox* upDown, const QString& fieldName,
                        QWidget* owner, bool setFocus);
bool ValidateScaledEdit(Prompter& prompter, QLineEdit* edit, int16_t low, int16_t high,
                        const QString& fieldName, QWidget* owner, const ValueType& type, bool setFocus,
                        bool showUnit);
bool ValidateScaledEdit32(Prompter& prompter, QLineEdit* edit, uint32_t low, uint32_t high,
                          const QString& fieldName, QWidget* owner, const ValueType& type, bool setFocus,
                          bool showUnit);
// Always shows and focuses the edit on failure.
bool ValidateHexEdit(Prompter& prompter, QLineEdit* edit, uint32_t low, uint32_t high,
                     const QString& fieldName, QWidget* owner, int digits);

// Shows a control: its hidden parents, and the page of every tab or stacked
// widget that holds it, then gives it the focus.
void ShowAndFocusControl(QWidget* control);

// ---- Code combo boxes: every item carries an integer code as item data ----

// Selects the first item with the code; false (selection unchanged) if none.
bool SelectComboItemByCode(QComboBox* combo, int code);
// As above; without a match the first item, or none for an empty list.
void SelectComboItemByCodeOrFirst(QComboBox* combo, int code);
// The selected item's code; 0 when nothing is selected.
int GetComboItemCode(const QComboBox* combo);
