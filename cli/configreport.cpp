#include "configreport.h"

#include <cstring>

#include "config/configfields.h"

QByteArray DumpText(const QVA_CONFIG_DATA& config) {
  QByteArray text;
  for (const ConfigField& field : ConfigFields()) {
    text += field.name.toLatin1() + " = " + FieldValueText(config, field).toLatin1() + '\n';
  }
  return text;
}

QByteArray DumpJson(const QVA_CONFIG_DATA& config) {
  QByteArray json = "{\n";
  const auto& fields = ConfigFields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    json += "  " + JsonStringFromBytes(fields[i].name.toLatin1()) + ": " + FieldValueJson(config, fields[i]);
    json += i + 1 < fields.size() ? ",\n" : "\n";
  }
  json += "}\n";
  return json;
}

ConfigDifference DiffConfigs(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b) {
  ConfigDifference difference;
  difference.equal = ConfigsEqual(a, b);
  if (difference.equal) return difference;
  for (const ConfigField& field : ConfigFields()) {
    if (FieldBytesEqual(a, b, field)) continue;
    QString before = FieldValueText(a, field);
    QString after = FieldValueText(b, field);
    if (before == after) {
      before = FieldValueText(a, field, TextExtent::AllBytes);
      after = FieldValueText(b, field, TextExtent::AllBytes);
    }
    difference.lines << field.name + QStringLiteral(": ") + before + QStringLiteral(" -> ") + after;
  }
  const auto* bytesA = reinterpret_cast<const uint8_t*>(&a);
  const auto* bytesB = reinterpret_cast<const uint8_t*>(&b);
  QStringList offsets;
  for (std::size_t offset = 0; offset < kConfigSize; ++offset) {
    if (bytesA[offset] != bytesB[offset] && IsReservedOffset(offset)) offsets << QString::number(offset);
  }
  if (!offsets.isEmpty()) {
    difference.lines << QStringLiteral("reserved bytes differ at offsets: ") +
                            offsets.join(QStringLiteral(", "));
  }
  return difference;
}
