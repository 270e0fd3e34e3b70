#include "viewer/cfgcell.h"

#include <algorithm>

#include "config/configfields.h"

namespace {

constexpr uint32_t kKindMask = 0xF;
constexpr int kTextSizeShift = 4;
constexpr uint32_t kTextSizeMask = 0x3FF;
constexpr int kOffsetShift = 14;

struct Range {
  int64_t low;
  int64_t high;
};

std::optional<Range> RangeOf(CellKind kind) {
  switch (kind) {
    case CellKind::UInt8:
      return Range{0, UINT8_MAX};
    case CellKind::Int16:
      return Range{INT16_MIN, INT16_MAX};
    case CellKind::UInt16:
      return Range{0, UINT16_MAX};
    case CellKind::None:
    case CellKind::Text:
      break;
  }
  return std::nullopt;
}

// "0x" and upper-case hexadecimal digits, zero-padded to digits.
QString HexCellText(unsigned value, int digits) {
  return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

// Whether the field of the descriptor lies inside the record.
bool FitsRecord(std::size_t recordSize, CellDescriptor descriptor) {
  const std::size_t width = DescriptorWidth(descriptor);
  return width != 0 && DescriptorOffset(descriptor) + width <= recordSize;
}

}  // namespace

CellDescriptor MakeCellDescriptor(CellKind kind, std::ptrdiff_t offset, std::size_t textSize) {
  if (offset < 0 || static_cast<std::size_t>(offset) > kMaxCellOffset) return 0;
  if (kind == CellKind::Text && (textSize == 0 || textSize > kMaxCellTextSize)) return 0;
  if (kind != CellKind::Text) textSize = 0;
  return static_cast<uint32_t>(kind) | static_cast<uint32_t>(textSize) << kTextSizeShift |
         static_cast<uint32_t>(offset) << kOffsetShift;
}

CellKind DescriptorKind(CellDescriptor descriptor) {
  return static_cast<CellKind>(descriptor & kKindMask);
}

std::size_t DescriptorOffset(CellDescriptor descriptor) {
  return descriptor >> kOffsetShift;
}

std::size_t DescriptorTextSize(CellDescriptor descriptor) {
  return descriptor >> kTextSizeShift & kTextSizeMask;
}

std::size_t DescriptorWidth(CellDescriptor descriptor) {
  switch (DescriptorKind(descriptor)) {
    case CellKind::UInt8:
      return 1;
    case CellKind::Int16:
    case CellKind::UInt16:
      return 2;
    case CellKind::Text:
      return DescriptorTextSize(descriptor);
    case CellKind::None:
      break;
  }
  return 0;
}

std::optional<int> ParseCellInteger(const QString& text, CellKind kind) {
  const std::optional<Range> range = RangeOf(kind);
  if (!range) return std::nullopt;
  const QString literal = text.trimmed();
  if (literal.isEmpty()) return 0;

  qsizetype pos = 0;
  bool negative = false;
  if (literal[pos] == QLatin1Char('-') || literal[pos] == QLatin1Char('+')) {
    negative = literal[pos] == QLatin1Char('-');
    ++pos;
  }
  int base = 10;
  if (pos < literal.size() && literal[pos] == QLatin1Char('0')) {
    base = 8;
    if (pos + 1 < literal.size() && (literal[pos + 1] == QLatin1Char('x') || literal[pos + 1] == QLatin1Char('X'))) {
      base = 16;
      pos += 2;
    }
  }
  if (pos == literal.size()) return std::nullopt;  // a sign or "0x" without digits

  // Far beyond every range: once the magnitude passes it, it stays there.
  constexpr uint64_t kCap = uint64_t{1} << 40;
  uint64_t magnitude = 0;
  for (; pos < literal.size(); ++pos) {
    const int digit = HexDigitValue(literal[pos]);
    if (digit < 0 || digit >= base) return std::nullopt;
    magnitude = std::min(kCap, magnitude * base + static_cast<uint64_t>(digit));
  }

  int64_t value = static_cast<int64_t>(magnitude);
  if (negative) {
    // An unsigned conversion wraps a negative number far out of range.
    if (range->low == 0 && magnitude != 0) return std::nullopt;
    value = -value;
  }
  if (value < range->low || value > range->high) return std::nullopt;
  return static_cast<int>(value);
}

QString FormatCell(std::span<const uint8_t> record, CellDescriptor descriptor, bool hex) {
  if (!FitsRecord(record.size(), descriptor)) return QString();
  const uint8_t* at = record.data() + DescriptorOffset(descriptor);
  const auto word = static_cast<uint16_t>(at[0] | (DescriptorWidth(descriptor) > 1 ? at[1] << 8 : 0));
  switch (DescriptorKind(descriptor)) {
    case CellKind::UInt8:
      return hex ? HexCellText(at[0], 2) : QString::number(at[0]);
    case CellKind::Int16:
      return hex ? HexCellText(word, 4) : QString::number(static_cast<int16_t>(word));
    case CellKind::UInt16:
      return hex ? HexCellText(word, 4) : QString::number(word);
    case CellKind::Text: {
      const auto* chars = reinterpret_cast<const char*>(at);
      const std::size_t size = DescriptorTextSize(descriptor);
      const std::size_t length = std::find(chars, chars + size, '\0') - chars;
      return QString::fromLatin1(chars, static_cast<qsizetype>(length));
    }
    case CellKind::None:
      break;
  }
  return QString();
}

bool StoreCell(std::span<uint8_t> record, CellDescriptor descriptor, const QString& text) {
  if (!FitsRecord(record.size(), descriptor)) return false;
  uint8_t* at = record.data() + DescriptorOffset(descriptor);
  const CellKind kind = DescriptorKind(descriptor);
  if (kind == CellKind::Text) {
    const QString name = text.trimmed();
    const bool latin1 =
        std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    if (!latin1) return false;
    const std::size_t size = DescriptorTextSize(descriptor);
    const QByteArray bytes = name.left(static_cast<qsizetype>(size - 1)).toLatin1();
    std::fill(at, at + size, uint8_t{0});
    std::copy(bytes.begin(), bytes.end(), at);
    return true;
  }
  const std::optional<int> value = ParseCellInteger(text, kind);
  if (!value) return false;
  const auto bits = static_cast<uint16_t>(*value);
  at[0] = static_cast<uint8_t>(bits & 0xFF);
  if (DescriptorWidth(descriptor) > 1) at[1] = static_cast<uint8_t>(bits >> 8);
  return true;
}

QString FitCellText(const QString& text, int maxWidth, const std::function<int(const QString&)>& width) {
  if (width(text) <= maxWidth) return text;
  QString kept = text;
  const QString ellipsis = QStringLiteral("...");
  while (!kept.isEmpty()) {
    kept.chop(1);
    if (width(kept + ellipsis) <= maxWidth) break;
  }
  return kept + ellipsis;
}
