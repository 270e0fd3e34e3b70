#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "config/qvaconfig.h"

// A data-driven description of every named field of QVA_CONFIG_DATA, in
// record order, with the record's own path names ("can_message_config[1].IDR0",
// "output_table[0].values[3]"). It is built from the record struct itself,
// so it follows the layout the compiler checks. Front ends that show or
// compare raw fields (the command-line tool, the configuration viewer) walk
// this table instead of knowing the layout.

enum class FieldKind : uint8_t {
  Unsigned,  // u8 or u16
  Signed,    // i16
  Text,      // char[n], zero-terminated name
  Point,     // one table row: input then output, i16 each
};

struct ConfigField {
  QString name;
  uint16_t offset = 0;  // byte offset in the record
  uint16_t size = 0;    // bytes
  FieldKind kind = FieldKind::Unsigned;
};

// A run of reserved bytes (not a named field; carried unchanged).
struct ReservedRange {
  QString name;  // the member that holds it, e.g. "display_config.reserved"
  uint16_t offset = 0;
  uint16_t size = 0;
};

// Every named field, ascending by offset.
const std::vector<ConfigField>& ConfigFields();

// Every reserved run, ascending by offset.
const std::vector<ReservedRange>& ReservedRanges();

// Whether a record offset lies in a reserved run.
bool IsReservedOffset(std::size_t offset);

// The named field of that name, or nullptr.
const ConfigField* FindConfigField(const QString& name);

// Raw values of a field in a host image (16-bit fields little-endian).
// FieldInteger is for Unsigned and Signed fields, FieldPoint for Point
// fields, FieldText for Text fields (the bytes before the first zero byte).
int FieldInteger(const QVA_CONFIG_DATA& config, const ConfigField& field);
TablePoint FieldPoint(const QVA_CONFIG_DATA& config, const ConfigField& field);
QByteArray FieldText(const QVA_CONFIG_DATA& config, const ConfigField& field);

// Whether the field's bytes are the same in both records.
bool FieldBytesEqual(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b, const ConfigField& field);

// How a text field is shown: the name up to its first zero byte, or every
// byte up to the last non-zero one (so that two fields whose names match but
// whose bytes after the terminator differ can be told apart).
enum class TextExtent { Name, AllBytes };

// The value as one line of text: integers in decimal, a point as
// "input, output", a text field quoted by QuoteBytes.
QString FieldValueText(const QVA_CONFIG_DATA& config, const ConfigField& field,
                       TextExtent extent = TextExtent::Name);

// The value as a JSON value: a number, a two-element array for a point, a
// JSON string for a text field (see JsonStringFromBytes).
QByteArray FieldValueJson(const QVA_CONFIG_DATA& config, const ConfigField& field);

// Bytes in double quotes, printable ASCII as it is except `"` and `\`
// (escaped with a backslash); every other byte as \xNN (two upper-case hex
// digits). Whatever the bytes, the result is one printable ASCII line.
QString QuoteBytes(const QByteArray& bytes);

// The bytes of a quoted text as QuoteBytes writes it (its exact inverse:
// \" \\ and \xNN inside double quotes; other characters stand for
// themselves). Nothing when the text is not such a quoted text or holds a
// character outside Latin-1.
std::optional<QByteArray> UnquoteBytes(const QString& quoted);

// The value of a hexadecimal digit (either case), or -1.
int HexDigitValue(QChar c);

// Bytes as a JSON string literal (quotes included), each byte taken as the
// character of the same code (Latin-1), so every byte survives a round trip.
// Control and non-ASCII characters are written as \u00NN: the result is pure
// ASCII and valid JSON whatever the bytes hold.
QByteArray JsonStringFromBytes(const QByteArray& bytes);
