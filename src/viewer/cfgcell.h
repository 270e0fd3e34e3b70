#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include <QString>

// The value cells of the configuration viewer. Each cell that shows a field
// of the record carries a 32-bit descriptor saying what the field is and
// where it lives, so that an edited cell can be written back without the
// grid knowing the layout:
//   bits 0..3   kind (CellKind)
//   bits 4..13  text fields: the field's size in bytes, terminator included
//   bits 14..31 byte offset of the field from the start of the record
// A descriptor of 0 marks a cell that is not a value (names, headers).

enum class CellKind : uint8_t {
  None = 0,
  UInt8 = 2,
  Int16 = 3,
  UInt16 = 4,
  Text = 7,
};

using CellDescriptor = uint32_t;

constexpr std::size_t kMaxCellOffset = 0x3FFFF;
constexpr std::size_t kMaxCellTextSize = 1023;

// The descriptor of a field; 0 when the offset is negative or above
// kMaxCellOffset, or a text size is 0 or above kMaxCellTextSize.
CellDescriptor MakeCellDescriptor(CellKind kind, std::ptrdiff_t offset, std::size_t textSize = 0);
CellKind DescriptorKind(CellDescriptor descriptor);
std::size_t DescriptorOffset(CellDescriptor descriptor);
std::size_t DescriptorTextSize(CellDescriptor descriptor);
// Bytes the field takes in the record (0 for None or an unknown kind).
std::size_t DescriptorWidth(CellDescriptor descriptor);

// Reads a cell's text as a number of the kind: the text without leading and
// trailing blanks is a C integer literal with automatic base ("0x"/"0X":
// hexadecimal, a leading 0: octal, else decimal) and an optional sign,
// using the whole text; an empty text reads 0. Ranges: UInt8 0..255, Int16
// -32768..32767, UInt16 0..65535. As C's unsigned conversion does, a minus
// sign on an unsigned kind wraps, so only "-0" stays in range. Nothing for
// an invalid text or another kind.
std::optional<int> ParseCellInteger(const QString& text, CellKind kind);

// The value of the field as the cell shows it: UInt8 "%u" / "0x%02X", Int16
// "%d" / "0x%04X" of its 16-bit pattern, UInt16 "%u" / "0x%04X", text up to
// its terminator (never past the field) in both modes. Empty for a
// descriptor 0 or a field that does not lie inside the record. 16-bit
// fields are read in the host image's byte order (little-endian).
QString FormatCell(std::span<const uint8_t> record, CellDescriptor descriptor, bool hex);

// Writes a cell's text into the record. Numbers as ParseCellInteger reads
// them; a text field takes at most size - 1 characters and the rest of the
// field is zero-filled, so the terminator always stays. Text is stored one
// byte per character, so a character outside Latin-1 refuses the text.
// Returns false, leaving the record unchanged, when the text is refused or
// the field does not lie inside the record.
bool StoreCell(std::span<uint8_t> record, CellDescriptor descriptor, const QString& text);

// A cell text shortened to fit a width: while it is wider than maxWidth,
// characters are dropped from its end and "..." appended. width measures a
// text in the same units.
QString FitCellText(const QString& text, int maxWidth, const std::function<int(const QString&)>& width);
