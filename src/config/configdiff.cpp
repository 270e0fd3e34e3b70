#include "config/configdiff.h"

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
  const auto* bytesA = reinterpret_cast<const uint8_t*>(&a);
  const auto* bytesB = reinterpret_cast<const uint8_t*>(&b);
  QStringList offsets;
  for (std::size_t offset = 0; offset < kConfigSize; ++offset) {
    if (bytesA[offset] != bytesB[offset] && IsReservedOffset(offset)) {
      difference.reservedOffsets.push_back(offset);
      offsets << QString::number(offset);
    }
  }
  if (!offsets.isEmpty()) {
    difference.lines << QStringLiteral("reserved bytes differ at offsets: ") + offsets.join(QStringLiteral(", "));
  }
  return difference;
}
