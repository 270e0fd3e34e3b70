#include "config/configfields.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>

namespace {

template <typename T>
constexpr FieldKind KindOf() {
  if constexpr (std::is_same_v<T, TablePoint>) {
    return FieldKind::Point;
  } else if constexpr (std::is_array_v<T>) {
    static_assert(std::is_same_v<std::remove_extent_t<T>, char>, "only char arrays are named fields");
    return FieldKind::Text;
  } else {
    static_assert(std::is_integral_v<T> && sizeof(T) <= 2, "record fields are 8 or 16 bits wide");
    return std::is_signed_v<T> ? FieldKind::Signed : FieldKind::Unsigned;
  }
}

QString Indexed(const QString& name, std::size_t index) {
  return QStringLiteral("%1[%2]").arg(name).arg(index);
}

// Collects the fields section by section. Every offset comes from offsetof
// on the record structs, so the table cannot drift from the layout.
class TableBuilder {
 public:
  template <typename T>
  void Field(const QString& name, std::size_t offset) {
    fields_.push_back({name, static_cast<uint16_t>(offset), static_cast<uint16_t>(sizeof(T)), KindOf<T>()});
  }

  template <typename T>
  void Reserved(const QString& name, std::size_t offset) {
    reserved_.push_back({name, static_cast<uint16_t>(offset), static_cast<uint16_t>(sizeof(T))});
  }

  void Points(const QString& name, std::size_t offset) {
    for (std::size_t row = 0; row < kMaxTablePoints; ++row) {
      Field<TablePoint>(Indexed(name, row), offset + row * sizeof(TablePoint));
    }
  }

  std::vector<ConfigField> fields_;
  std::vector<ReservedRange> reserved_;
};

#define QVA_FIELD(builder, prefix, base, Struct, member) \
  builder.Field<decltype(Struct::member)>(prefix + QStringLiteral(#member), (base) + offsetof(Struct, member))
#define QVA_RESERVED(builder, prefix, base, Struct, member)                    \
  builder.Reserved<decltype(Struct::member)>(prefix + QStringLiteral(#member), \
                                             (base) + offsetof(Struct, member))

void AddCanMessage(TableBuilder& b, const QString& prefix, std::size_t base) {
  QVA_FIELD(b, prefix, base, QVA_CAN_MSG_CONFIG, IDR0);
  QVA_FIELD(b, prefix, base, QVA_CAN_MSG_CONFIG, IDR1);
  QVA_FIELD(b, prefix, base, QVA_CAN_MSG_CONFIG, IDR2);
  QVA_FIELD(b, prefix, base, QVA_CAN_MSG_CONFIG, IDR3);
  QVA_FIELD(b, prefix, base, QVA_CAN_MSG_CONFIG, message_rate);
  QVA_FIELD(b, prefix, base, QVA_CAN_MSG_CONFIG, compound_id);
  QVA_RESERVED(b, prefix, base, QVA_CAN_MSG_CONFIG, reserved);
}

void AddDisplay(TableBuilder& b, const QString& prefix, std::size_t base) {
  QVA_FIELD(b, prefix, base, QVA_DISPLAY_CONFIG, output_to_display);
  QVA_FIELD(b, prefix, base, QVA_DISPLAY_CONFIG, table1_decimal_places);
  QVA_FIELD(b, prefix, base, QVA_DISPLAY_CONFIG, filter_time);
  QVA_FIELD(b, prefix, base, QVA_DISPLAY_CONFIG, update_rate);
  QVA_FIELD(b, prefix, base, QVA_DISPLAY_CONFIG, backlight_intensity);
  QVA_FIELD(b, prefix, base, QVA_DISPLAY_CONFIG, table2_decimal_places);
  QVA_RESERVED(b, prefix, base, QVA_DISPLAY_CONFIG, reserved);
}

void AddOutputTable(TableBuilder& b, const QString& prefix, std::size_t base) {
  QVA_FIELD(b, prefix, base, QVA_OUTPUT_CAL_TABLE, output_name);
  QVA_FIELD(b, prefix, base, QVA_OUTPUT_CAL_TABLE, num_rows);
  b.Points(prefix + QStringLiteral("values"), base + offsetof(QVA_OUTPUT_CAL_TABLE, values));
  QVA_FIELD(b, prefix, base, QVA_OUTPUT_CAL_TABLE, decimal_places);
  QVA_RESERVED(b, prefix, base, QVA_OUTPUT_CAL_TABLE, reserved);
}

void AddAnalogOut(TableBuilder& b, const QString& prefix, std::size_t base) {
  QVA_FIELD(b, prefix, base, QVA_ANALOG_OUT_TABLE, out_function);
  QVA_FIELD(b, prefix, base, QVA_ANALOG_OUT_TABLE, out_table_index);
  QVA_FIELD(b, prefix, base, QVA_ANALOG_OUT_TABLE, num_rows);
  b.Points(prefix + QStringLiteral("values"), base + offsetof(QVA_ANALOG_OUT_TABLE, values));
  QVA_FIELD(b, prefix, base, QVA_ANALOG_OUT_TABLE, default_output);
  QVA_RESERVED(b, prefix, base, QVA_ANALOG_OUT_TABLE, reserved);
}

void AddUserCal(TableBuilder& b, const QString& prefix, std::size_t base) {
  QVA_FIELD(b, prefix, base, QVA_USER_CAL_TABLE, num_rows);
  b.Points(prefix + QStringLiteral("values"), base + offsetof(QVA_USER_CAL_TABLE, values));
  QVA_RESERVED(b, prefix, base, QVA_USER_CAL_TABLE, reserved);
}

void AddPidConstants(TableBuilder& b, const QString& prefix, std::size_t base) {
  QVA_FIELD(b, prefix, base, QVA_PID_CONSTANTS, p);
  QVA_FIELD(b, prefix, base, QVA_PID_CONSTANTS, i);
  QVA_FIELD(b, prefix, base, QVA_PID_CONSTANTS, d);
}

void AddPidSettings(TableBuilder& b, const QString& prefix, std::size_t base) {
  AddPidConstants(b, prefix + QStringLiteral("ntk_sensor."), base + offsetof(QVA_PID_SETTINGS, ntk_sensor));
  AddPidConstants(b, prefix + QStringLiteral("bosch_sensor."),
                  base + offsetof(QVA_PID_SETTINGS, bosch_sensor));
  AddPidConstants(b, prefix + QStringLiteral("heater."), base + offsetof(QVA_PID_SETTINGS, heater));
}

TableBuilder BuildTable() {
  TableBuilder b;
  const QString top;
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, version);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, cfg_crc16);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, sensor_type);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, can_bit_rate);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, can_output_to_send);
  constexpr std::size_t canMessages = std::extent_v<decltype(QVA_CONFIG_DATA::can_message_config)>;
  for (std::size_t n = 0; n < canMessages; ++n) {
    AddCanMessage(b, Indexed(QStringLiteral("can_message_config"), n) + QLatin1Char('.'),
                  offsetof(QVA_CONFIG_DATA, can_message_config) + n * sizeof(QVA_CAN_MSG_CONFIG));
  }
  AddDisplay(b, QStringLiteral("display_config."), offsetof(QVA_CONFIG_DATA, display_config));
  constexpr std::size_t outputTables = std::extent_v<decltype(QVA_CONFIG_DATA::output_table)>;
  for (std::size_t n = 0; n < outputTables; ++n) {
    AddOutputTable(b, Indexed(QStringLiteral("output_table"), n) + QLatin1Char('.'),
                   offsetof(QVA_CONFIG_DATA, output_table) + n * sizeof(QVA_OUTPUT_CAL_TABLE));
  }
  AddAnalogOut(b, QStringLiteral("analog_out_table."), offsetof(QVA_CONFIG_DATA, analog_out_table));
  AddUserCal(b, QStringLiteral("user_cal_table."), offsetof(QVA_CONFIG_DATA, user_cal_table));
  AddPidSettings(b, QStringLiteral("pid_settings."), offsetof(QVA_CONFIG_DATA, pid_settings));
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, user_cal_resistor);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, sensor_pid_rate);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, heater_pid_rate);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, sensor_cal_method);
  QVA_RESERVED(b, top, 0, QVA_CONFIG_DATA, reserved1);
  constexpr std::size_t digitalInputs = std::extent_v<decltype(QVA_CONFIG_DATA::dig_input_mode)>;
  for (std::size_t n = 0; n < digitalInputs; ++n) {
    b.Field<uint8_t>(Indexed(QStringLiteral("dig_input_mode"), n),
                     offsetof(QVA_CONFIG_DATA, dig_input_mode) + n * sizeof(uint8_t));
  }
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, activate_mode);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, rpm_pulses_per_rev);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, ntk_heater_voltage);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, prevent_sensor_timeout);
  QVA_FIELD(b, top, 0, QVA_CONFIG_DATA, user_gain_factor);
  AddCanMessage(b, QStringLiteral("collect_master_config."),
                offsetof(QVA_CONFIG_DATA, collect_master_config));
  QVA_RESERVED(b, top, 0, QVA_CONFIG_DATA, reserved2);
  return b;
}

#undef QVA_FIELD
#undef QVA_RESERVED

const TableBuilder& Table() {
  static const TableBuilder table = BuildTable();
  return table;
}

const uint8_t* RecordBytes(const QVA_CONFIG_DATA& config) {
  return reinterpret_cast<const uint8_t*>(&config);
}

// A field whose extent would leave the record is a programming error in the
// table; refuse it rather than read past the record.
bool Fits(const ConfigField& field) {
  return static_cast<std::size_t>(field.offset) + field.size <= kConfigSize;
}

int16_t ReadI16LE(const uint8_t* bytes) {
  return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | bytes[1] << 8));
}

char HexDigit(int value) {
  return "0123456789ABCDEF"[value & 0xF];
}

}  // namespace

const std::vector<ConfigField>& ConfigFields() {
  return Table().fields_;
}

const std::vector<ReservedRange>& ReservedRanges() {
  return Table().reserved_;
}

bool IsReservedOffset(std::size_t offset) {
  const auto& ranges = ReservedRanges();
  return std::any_of(ranges.begin(), ranges.end(), [offset](const ReservedRange& range) {
    return offset >= range.offset && offset < static_cast<std::size_t>(range.offset) + range.size;
  });
}

const ConfigField* FindConfigField(const QString& name) {
  const auto& fields = ConfigFields();
  const auto it = std::find_if(fields.begin(), fields.end(),
                               [&name](const ConfigField& field) { return field.name == name; });
  return it == fields.end() ? nullptr : &*it;
}

int FieldInteger(const QVA_CONFIG_DATA& config, const ConfigField& field) {
  if (!Fits(field)) return 0;
  const uint8_t* at = RecordBytes(config) + field.offset;
  switch (field.size) {
    case 1:
      return field.kind == FieldKind::Signed ? static_cast<int8_t>(at[0]) : at[0];
    case 2:
      return field.kind == FieldKind::Signed ? ReadI16LE(at) : static_cast<uint16_t>(at[0] | at[1] << 8);
    default:
      return 0;
  }
}

TablePoint FieldPoint(const QVA_CONFIG_DATA& config, const ConfigField& field) {
  if (!Fits(field) || field.size != sizeof(TablePoint)) return {0, 0};
  const uint8_t* at = RecordBytes(config) + field.offset;
  return {ReadI16LE(at), ReadI16LE(at + 2)};
}

QByteArray FieldText(const QVA_CONFIG_DATA& config, const ConfigField& field) {
  if (!Fits(field)) return {};
  const auto* at = reinterpret_cast<const char*>(RecordBytes(config) + field.offset);
  // No terminator inside the field: the name fills it (never read past it).
  const auto* end = static_cast<const char*>(std::memchr(at, 0, field.size));
  return QByteArray(at, end ? end - at : field.size);
}

bool FieldBytesEqual(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b, const ConfigField& field) {
  if (!Fits(field)) return true;
  return std::memcmp(RecordBytes(a) + field.offset, RecordBytes(b) + field.offset, field.size) == 0;
}

QString QuoteBytes(const QByteArray& bytes) {
  QString text;
  text.reserve(bytes.size() + 2);
  text += QLatin1Char('"');
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte == '"' || byte == '\\') {
      text += QLatin1Char('\\');
      text += QLatin1Char(c);
    } else if (byte >= 0x20 && byte < 0x7F) {
      text += QLatin1Char(c);
    } else {
      text += QStringLiteral("\\x");
      text += QLatin1Char(HexDigit(byte >> 4));
      text += QLatin1Char(HexDigit(byte));
    }
  }
  text += QLatin1Char('"');
  return text;
}

int HexDigitValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  return -1;
}

std::optional<QByteArray> UnquoteBytes(const QString& quoted) {
  if (quoted.size() < 2 || !quoted.startsWith(QLatin1Char('"')) || !quoted.endsWith(QLatin1Char('"')))
    return std::nullopt;
  QByteArray bytes;
  bytes.reserve(quoted.size());
  const qsizetype end = quoted.size() - 1;  // the closing quote
  for (qsizetype i = 1; i < end; ++i) {
    const QChar c = quoted[i];
    if (c.unicode() > 0xFF || c == QLatin1Char('"')) return std::nullopt;
    if (c != QLatin1Char('\\')) {
      bytes += static_cast<char>(c.unicode());
      continue;
    }
    if (i + 1 >= end) return std::nullopt;  // a backslash escaping the closing quote
    const QChar escaped = quoted[++i];
    if (escaped == QLatin1Char('"') || escaped == QLatin1Char('\\')) {
      bytes += static_cast<char>(escaped.unicode());
    } else if (escaped == QLatin1Char('x') && i + 2 < end && HexDigitValue(quoted[i + 1]) >= 0 &&
               HexDigitValue(quoted[i + 2]) >= 0) {
      bytes += static_cast<char>(HexDigitValue(quoted[i + 1]) << 4 | HexDigitValue(quoted[i + 2]));
      i += 2;
    } else {
      return std::nullopt;
    }
  }
  return bytes;
}

QByteArray JsonStringFromBytes(const QByteArray& bytes) {
  QByteArray json;
  json.reserve(bytes.size() + 2);
  json += '"';
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte == '"' || byte == '\\') {
      json += '\\';
      json += c;
    } else if (byte >= 0x20 && byte < 0x7F) {
      json += c;
    } else {
      json += "\\u00";
      json += HexDigit(byte >> 4);
      json += HexDigit(byte);
    }
  }
  json += '"';
  return json;
}

QString FieldValueText(const QVA_CONFIG_DATA& config, const ConfigField& field, TextExtent extent) {
  switch (field.kind) {
    case FieldKind::Unsigned:
    case FieldKind::Signed:
      return QString::number(FieldInteger(config, field));
    case FieldKind::Point: {
      const TablePoint point = FieldPoint(config, field);
      return QStringLiteral("%1, %2").arg(point.x).arg(point.y);
    }
    case FieldKind::Text: {
      if (extent == TextExtent::Name || !Fits(field)) return QuoteBytes(FieldText(config, field));
      QByteArray all(reinterpret_cast<const char*>(RecordBytes(config) + field.offset), field.size);
      while (!all.isEmpty() && all.back() == '\0') all.chop(1);
      return QuoteBytes(all);
    }
  }
  return {};
}

QByteArray FieldValueJson(const QVA_CONFIG_DATA& config, const ConfigField& field) {
  switch (field.kind) {
    case FieldKind::Unsigned:
    case FieldKind::Signed:
      return QByteArray::number(FieldInteger(config, field));
    case FieldKind::Point: {
      const TablePoint point = FieldPoint(config, field);
      return '[' + QByteArray::number(point.x) + ", " + QByteArray::number(point.y) + ']';
    }
    case FieldKind::Text:
      return JsonStringFromBytes(FieldText(config, field));
  }
  return {};
}
