#pragma once

#include <cstdint>

#include <QString>

#include "ui/qvavalues.h"

class Prompter;

// Validated entry: every editor reads its numbers through these functions
// from its OK handler, field by field, stopping at the first failure. A
// failure shows one two-line notice (information icon, one OK button,
// titled with the owner form's caption) and reports false; nothing throws.
//
// The field name is a short lower-case phrase used only inside messages
// ("filter time", "update rate").
//
// These are the text validators, free of widgets; validatorsgui.h reads
// the controls through them.

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
