#include "config/configdiff.h"

#include <cstring>

#include "config/configfields.h"

ConfigDifference DiffConfigs(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b) {
  ConfigDifference difference;
  difference.equal = ConfigsEqual(a, b);
  if (difference.equal) return difference;
  for (const ConfigField& field : ConfigFields()) {
    if (FieldBytesEqual(a, b, field)) continue;
    FieldChange change{field.name, FieldValueText(a, field), FieldValueText(b, field)};
    if (change.before == change.after) {
      change.before = FieldValueText(a, field, TextExtent::AllBytes);
      change.after = FieldValueText(b, field, TextExtent::AllBytes);
    }
    difference.lines << change.name + QStringLiteral(": ") + change.before + QStringLiteral(" -> ") + change.after;
    difference.fields.push_back(std::move(change));
  }
  difference.reservedOffsets = DifferingReservedOffsets(a, b);
  QStringList offsets;
  for (const std::size_t offset : difference.reservedOffsets) offsets << QString::number(offset);
  if (!offsets.isEmpty()) {
    difference.lines << QStringLiteral("reserved bytes differ at offsets: ") + offsets.join(QStringLiteral(", "));
  }
  return difference;
}

std::vector<std::size_t> DifferingReservedOffsets(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b) {
  const auto* bytesA = reinterpret_cast<const uint8_t*>(&a);
  const auto* bytesB = reinterpret_cast<const uint8_t*>(&b);
  std::vector<std::size_t> offsets;
  for (std::size_t offset = 0; offset < kConfigSize; ++offset) {
    if (bytesA[offset] != bytesB[offset] && IsReservedOffset(offset)) offsets.push_back(offset);
  }
  return offsets;
}

int ConfigComparison::FieldCount() const {
  int count = 0;
  for (const ComparisonSection& section : sections) {
    for (const ComparisonItem& item : section.items) count += static_cast<int>(item.rows.size());
  }
  return count;
}

QString ReservedOffsetsText(const std::vector<std::size_t>& offsets) {
  if (offsets.empty()) return {};
  QStringList numbers;
  for (const std::size_t offset : offsets) numbers << QString::number(offset);
  return QStringLiteral("Reserved bytes differ at offsets: ") + numbers.join(QStringLiteral(", "));
}

QString IdenticalComparisonText() {
  return QStringLiteral("The two configurations are identical: every field and the reserved bytes are the same.");
}

QStringList ComparisonLines(const ConfigComparison& comparison) {
  if (comparison.equal) return {IdenticalComparisonText()};
  const QString arrow = QStringLiteral(" -> ");
  QStringList lines;
  for (const ComparisonSection& section : comparison.sections) {
    lines << section.title;
    for (const ComparisonItem& item : section.items) {
      // A single field is one line; a table or a message lists its rows under it.
      if (item.rows.size() == 1 && item.rows.front().label == item.title) {
        const ComparisonRow& row = item.rows.front();
        lines << QStringLiteral("  ") + row.label + QStringLiteral(": ") + row.before + arrow + row.after;
        continue;
      }
      lines << QStringLiteral("  ") + item.title;
      for (const ComparisonRow& row : item.rows)
        lines << QStringLiteral("    ") + row.label + QStringLiteral(": ") + row.before + arrow + row.after;
    }
  }
  if (comparison.checksum) {
    const ComparisonRow& row = *comparison.checksum;
    lines << row.label + QStringLiteral(": ") + row.before + arrow + row.after;
  }
  if (!comparison.reservedOffsets.empty()) lines << ReservedOffsetsText(comparison.reservedOffsets);
  return lines;
}

void TakeOverItem(QVA_CONFIG_DATA& target, const QVA_CONFIG_DATA& source, const ComparisonItem& item) {
  auto* to = reinterpret_cast<uint8_t*>(&target);
  const auto* from = reinterpret_cast<const uint8_t*>(&source);
  for (const ByteSpan& span : item.bytes) {
    // A span past the record would be a fault of the builder: never write outside it.
    if (static_cast<std::size_t>(span.offset) + span.size > kConfigSize) continue;
    std::memcpy(to + span.offset, from + span.offset, span.size);
  }
}
