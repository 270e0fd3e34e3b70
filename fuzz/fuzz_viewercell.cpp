// The configuration viewer's cell conversions: ParseCellInteger, StoreCell
// and FormatCell on whatever a user types into a cell. Whatever the text,
// nothing throws; a number is accepted exactly when C's own conversion
// with automatic base reads the whole trimmed text into the kind's range
// (an unsigned kind takes no negative number but zero);
// an accepted number shows in both modes as text that reads back to the
// same bytes; a text field keeps its terminator, takes Latin-1 only, and
// no byte outside the field changes.
//
// Input: a selector byte (kind, and the size of a text field), then the
// text (UTF-8).
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>

#include <QString>

#include "config/qvaconfig.h"
#include "fuzzfinding.h"
#include "viewer/cfgcell.h"

namespace {

constexpr std::size_t kFieldOffset = 100;

// C's reading of a cell: strtoll / strtoull with base 0 over the whole
// trimmed text, an empty text 0.
std::optional<int> ReferenceValue(const QString& trimmed, CellKind kind) {
  if (trimmed.isEmpty()) return 0;
  const std::string bytes = trimmed.toStdString();
  const char* start = bytes.c_str();
  // Newer C libraries also read a "0b" prefix; the viewer does not.
  const char* digits = start + (*start == '-' || *start == '+' ? 1 : 0);
  if (digits[0] == '0' && (digits[1] == 'b' || digits[1] == 'B')) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  int64_t value = 0;
  if (kind == CellKind::Int16) {
    const long long read = std::strtoll(start, &end, 0);
    if (errno == ERANGE || read < INT16_MIN || read > INT16_MAX) return std::nullopt;
    value = read;
  } else {
    const unsigned long long read = std::strtoull(start, &end, 0);
    const unsigned long long high = kind == CellKind::UInt8 ? UINT8_MAX : UINT16_MAX;
    if (errno == ERANGE || read > high) return std::nullopt;
    // C negates a negative text modulo 2^64, so "-18446744073709551615"
    // reads as 1; the viewer refuses every negative number but zero for an
    // unsigned kind, and a non-zero magnitude never negates to 0.
    if (*start == '-' && read != 0) return std::nullopt;
    value = static_cast<int64_t>(read);
  }
  if (end != start + bytes.size()) return std::nullopt;
  return static_cast<int>(value);
}

bool OutsideUnchanged(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b, std::size_t width) {
  const auto* x = reinterpret_cast<const uint8_t*>(&a);
  const auto* y = reinterpret_cast<const uint8_t*>(&b);
  return std::memcmp(x, y, kFieldOffset) == 0 &&
         std::memcmp(x + kFieldOffset + width, y + kFieldOffset + width, kConfigSize - kFieldOffset - width) == 0;
}

void CheckNumber(const QString& text, CellKind kind, QVA_CONFIG_DATA& config) {
  const std::optional<int> value = ParseCellInteger(text, kind);
  if (value != ReferenceValue(text.trimmed(), kind)) Finding();

  const std::span record(reinterpret_cast<uint8_t*>(&config), kConfigSize);
  const CellDescriptor descriptor = MakeCellDescriptor(kind, kFieldOffset);
  const QVA_CONFIG_DATA before = config;
  const bool stored = StoreCell(record, descriptor, text);
  if (stored != value.has_value()) Finding();
  if (!OutsideUnchanged(before, config, DescriptorWidth(descriptor))) Finding();
  if (!stored) {
    if (std::memcmp(&before, &config, kConfigSize) != 0) Finding();
    return;
  }
  for (const bool hex : {false, true}) {
    const QString shown = FormatCell(record, descriptor, hex);
    if (hex != shown.startsWith(QLatin1String("0x"))) Finding();
    // Hexadecimal shows a signed field's 16-bit pattern.
    const CellKind readAs = hex && kind == CellKind::Int16 ? CellKind::UInt16 : kind;
    const std::optional<int> again = ParseCellInteger(shown, readAs);
    if (!again || static_cast<uint16_t>(*again) != static_cast<uint16_t>(*value)) Finding();
    if (kind == CellKind::UInt8 && (*again & 0xFF) != (*value & 0xFF)) Finding();
  }
}

void CheckText(const QString& text, std::size_t size, QVA_CONFIG_DATA& config) {
  const std::span record(reinterpret_cast<uint8_t*>(&config), kConfigSize);
  const CellDescriptor descriptor = MakeCellDescriptor(CellKind::Text, kFieldOffset, size);
  const QVA_CONFIG_DATA before = config;
  const bool stored = StoreCell(record, descriptor, text);
  const QString trimmed = text.trimmed();
  bool latin1 = true;
  for (const QChar c : trimmed) latin1 = latin1 && c.unicode() <= 0xFF;
  if (stored != latin1) Finding();
  if (!OutsideUnchanged(before, config, size)) Finding();
  if (!stored) {
    if (std::memcmp(&before, &config, kConfigSize) != 0) Finding();
    return;
  }
  const uint8_t* field = record.data() + kFieldOffset;
  if (field[size - 1] != 0) Finding();
  const QByteArray expected = trimmed.left(static_cast<qsizetype>(size - 1)).toLatin1();
  if (std::memcmp(field, expected.constData(), static_cast<std::size_t>(expected.size())) != 0) Finding();
  for (std::size_t i = static_cast<std::size_t>(expected.size()); i < size; ++i)
    if (field[i] != 0) Finding();
  const QString shown = FormatCell(record, descriptor, false);
  if (shown != QString::fromLatin1(expected.constData())) Finding();
}

void CheckFit(const QString& text, int maxWidth) {
  const auto width = [](const QString& s) { return static_cast<int>(s.size()); };
  const QString fitted = FitCellText(text, maxWidth, width);
  if (text.size() <= maxWidth) {
    if (fitted != text) Finding();
    return;
  }
  // Too wide: what is kept, then "..." (which may be all there is, and may
  // then happen to be the text itself).
  if (!fitted.endsWith(QLatin1String("..."))) Finding();
  if (!text.startsWith(fitted.chopped(3))) Finding();
  if (fitted.size() > maxWidth && fitted.size() != 3) Finding();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t selector = data[0];
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  QVA_CONFIG_DATA config = MakeBlankConfig();
  // Whatever was in the field before: the input's own bytes.
  auto* bytes = reinterpret_cast<uint8_t*>(&config);
  for (std::size_t i = 1; i < size && i < kConfigSize; ++i) bytes[i] = data[i];

  switch (selector % 4) {
    case 0:
      CheckNumber(text, CellKind::UInt8, config);
      break;
    case 1:
      CheckNumber(text, CellKind::Int16, config);
      break;
    case 2:
      CheckNumber(text, CellKind::UInt16, config);
      break;
    default: {
      const std::size_t sizes[] = {1, 2, 16, 40};
      CheckText(text, sizes[selector >> 2 & 3], config);
      break;
    }
  }
  CheckFit(text, selector >> 4);
  return 0;
}
