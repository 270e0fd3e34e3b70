#include "configreport.h"

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
