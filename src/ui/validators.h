#pragma once

#include <cstdint>

#include <QString>

#include "ui/qvavalues.h"

class Prompter;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;

// Validated entry: every editor reads its numbers through these functions
// from its OK handler, field by field, stopping at the first failure. A
// failure shows one two-line notice (information icon, one OK button,
// titled with the owner form's caption) and reports false; nothing throws.
//
// The field name is a short lower-case phrase used only inside messages
// ("filter time", "update rate").

// ---- Text validators (widget-free) ----

// The text as a signed 32-bit whole number in low..high.
bool ValidateWholeNumberText(Prompter& prompter, const QString& text, int32_t low, int32_t high,
                             const QString& fieldName, const QString& caption);

// The text through ParseValue16 of the type, raw value in low..high; on
// success the text becomes FormatValue16 of the raw value.
bool ValidateScaledText(Prompter& prompter, QString& text, int16_t low, int16_t high,
                        const QString& fieldName, const QString& caption, const ValueType& type,
                        bool showUnit);

// The unsigned 32-bit form.
bool ValidateScaledText32(Prompter& prompter, QString& text, uint32_t low, uint32_t high,
                          const QString& fieldName, const QString& caption, const ValueType& type,
                          bool showUnit);

// The trimmed text as unsigned hexadecimal (optional "0x"; empty reads 0)
// in low..high; on success the text becomes the upper-case value padded to
// `digits` digits.
bool ValidateHexText(Prompter& prompter, QString& text, uint32_t low, uint32_t high, const QString& fieldName,
                     const QString& caption, int digits);

// The pieces of the messages, shared with callers that compose their own.
QString NotValidEntryLine(const QString& text, const QString& fieldName);
QString WholeNumberRangeLine(int32_t low, int32_t high);
QString ScaledRangeLine(const ValueType& type, int16_t low, int16_t high);
QString ScaledRangeLine32(const ValueType& type, uint32_t low, uint32_t high);
// Parses hexadecimal as ValidateHexText reads it.
bool ParseHexText(const QString& text, uint32_t& value);
QString HexText(uint32_t value, int digits);

// ---- Edit validators (widgets) ----
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
