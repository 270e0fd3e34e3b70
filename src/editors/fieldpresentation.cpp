#include "editors/fieldpresentation.h"

#include <algorithm>
#include <array>

#include "config/configfields.h"
#include "config/sensortypes.h"
#include "editors/analogoutput.h"
#include "editors/canidentifiers.h"
#include "editors/canmessages.h"
#include "editors/digitalinputs.h"
#include "editors/outputtables.h"
#include "editors/sensorrules.h"
#include "ui/fieldbindingcodes.h"
#include "ui/qvavalues.h"

// The bytes a member of the record takes; see Presenter::SpanAt.
#define QVA_SPAN(presenter, member) (presenter).SpanAt(static_cast<const void*>(&(member)), sizeof(member))

namespace {

constexpr int kHexBase = 16;

// Builds the presentation of one record. Spans are measured from the
// record's own members, so they follow the layout.
class Presenter {
 public:
  explicit Presenter(const QVA_CONFIG_DATA& config) : config_(config) {}

  // The bytes of one member, from its address and size (QVA_SPAN): the
  // record is packed, so a reference to a wider member could be misaligned.
  ByteSpan SpanAt(const void* member, std::size_t size) const {
    const auto* base = reinterpret_cast<const uint8_t*>(&config_);
    const auto* at = static_cast<const uint8_t*>(member);
    return {static_cast<uint16_t>(at - base), static_cast<uint16_t>(size)};
  }

  void Section(const QString& title) { sections_.push_back({title, {}}); }

  // An item of one row whose label is its title.
  void Field(const QString& label, const QString& value, std::vector<ByteSpan> bytes) {
    Item(label);
    Row(label, value, std::move(bytes));
  }

  void Item(const QString& title) { sections_.back().items.push_back({title, {}, {}}); }

  void Row(const QString& label, const QString& value, std::vector<ByteSpan> bytes, bool unused = false) {
    PresentedItem& item = sections_.back().items.back();
    item.bytes.insert(item.bytes.end(), bytes.begin(), bytes.end());
    item.rows.push_back({label, value, std::move(bytes), unused});
  }

  // A table as its window shows it: the count, then every point as
  // input → output (a point past the count marked unused).
  template <typename Table>
  void Points(const QString& title, const Table& table, const ValueType& input, const ValueType& output) {
    Item(title);
    Row(QStringLiteral("Points"), QString::number(table.num_rows), {QVA_SPAN(*this, table.num_rows)});
    for (int n = 0; n < kMaxTablePoints; ++n) {
      const TablePoint& point = table.values[n];
      const QString text = Value(input, point.x) + QStringLiteral(" → ") + Value(output, point.y);
      const bool unused = n >= table.num_rows;
      Row(QStringLiteral("Point %1").arg(n + 1), unused ? QStringLiteral("unused: ") + text : text,
          {QVA_SPAN(*this, table.values[n])}, unused);
    }
  }

  static QString Value(const ValueType& type, int16_t raw) {
    try {
      // A plain number has no unit to show.
      return FormatValue16(type, raw, !UnitAbbreviation(type).isEmpty());
    } catch (const std::exception&) {
      return QString::number(raw);  // a value the type cannot scale still shows
    }
  }

  static QString Code(const CodeList& items, int code) {
    const auto it =
        std::find_if(items.begin(), items.end(), [code](const CodeItem& item) { return item.code == code; });
    return it == items.end() ? QStringLiteral("Unknown (%1)").arg(code) : it->text;
  }

  std::vector<PresentedSection> Take() { return std::move(sections_); }

  const QVA_CONFIG_DATA& config_;

 private:
  std::vector<PresentedSection> sections_;
};

QString YesNo(int value) {
  if (value == 0) return QStringLiteral("No");
  return value == 1 ? QStringLiteral("Yes") : QStringLiteral("Yes (%1)").arg(value);
}

QString Hex(uint32_t value, int digits) {
  return QStringLiteral("0x") +
         QString::number(value, kHexBase).toUpper().rightJustified(digits, QLatin1Char('0'));
}

void PresentSensor(Presenter& p) {
  const QVA_CONFIG_DATA& c = p.config_;
  p.Section(QStringLiteral("Sensor"));
  p.Field(QStringLiteral("Sensor Type"), SensorTypeName(c.sensor_type), {QVA_SPAN(p, c.sensor_type)});
  p.Field(QStringLiteral("Calibration Method"), Presenter::Code(CalMethodItems(), c.sensor_cal_method),
          {QVA_SPAN(p, c.sensor_cal_method)});
  p.Field(QStringLiteral("Equivalent Resistor"), QString::number(c.user_cal_resistor),
          {QVA_SPAN(p, c.user_cal_resistor)});
  p.Field(QStringLiteral("Gain Factor"), QString::number(StoredGain(c)), {QVA_SPAN(p, c.user_gain_factor)});
  p.Points(QStringLiteral("Calibration Table"), c.user_cal_table, IpType, IpType);
  p.Field(QStringLiteral("Heater Voltage (NTK Only)"),
          Presenter::Value(HeaterVoltsType, c.ntk_heater_voltage), {QVA_SPAN(p, c.ntk_heater_voltage)});
  p.Field(QStringLiteral("Ignore sensor errors (not recommended)"), YesNo(c.prevent_sensor_timeout),
          {QVA_SPAN(p, c.prevent_sensor_timeout)});
}

void PresentDisplay(Presenter& p) {
  const QVA_CONFIG_DATA& c = p.config_;
  const QVA_DISPLAY_CONFIG& d = c.display_config;
  p.Section(QStringLiteral("Display"));
  p.Field(QStringLiteral("Output To Display"), Presenter::Code(OutputTableItems(c), d.output_to_display),
          {QVA_SPAN(p, d.output_to_display)});
  p.Field(QStringLiteral("Display Decimals Table 1"), QString::number(d.table1_decimal_places),
          {QVA_SPAN(p, d.table1_decimal_places)});
  p.Field(QStringLiteral("Display Decimals Table 2"), QString::number(d.table2_decimal_places),
          {QVA_SPAN(p, d.table2_decimal_places)});
  p.Field(QStringLiteral("Update Rate"), QStringLiteral("%1 times per second").arg(d.update_rate),
          {QVA_SPAN(p, d.update_rate)});
  p.Field(QStringLiteral("Filter Time"), Presenter::Value(FilterTimeType, d.filter_time),
          {QVA_SPAN(p, d.filter_time)});
  p.Field(QStringLiteral("Backlight Intensity"), QStringLiteral("%1 %").arg(d.backlight_intensity),
          {QVA_SPAN(p, d.backlight_intensity)});
}

void PresentOutputTable(Presenter& p, int index) {
  const QVA_OUTPUT_CAL_TABLE& t = p.config_.output_table[index];
  p.Section(QStringLiteral("Output Table %1").arg(index + 1));
  p.Field(QStringLiteral("Table Name"),
          QuoteBytes(QByteArray(t.output_name, sizeof t.output_name).split('\0').front()),
          {QVA_SPAN(p, t.output_name)});
  p.Field(QStringLiteral("Table Decimal Places"), QString::number(t.decimal_places),
          {QVA_SPAN(p, t.decimal_places)});
  p.Points(QStringLiteral("Table"), t, IpType, OutputColumnType(ShownDecimalPlaces(t.decimal_places)));
}

void PresentCanMessage(Presenter& p, const QVA_CAN_MSG_CONFIG& m, const QString& title, bool collectMaster) {
  p.Item(title);
  const CanIdentifier id = UnpackCanId({m.IDR0, m.IDR1, m.IDR2, m.IDR3});
  p.Row(QStringLiteral("Address"), CanIdBusText(id),
        {QVA_SPAN(p, m.IDR0), QVA_SPAN(p, m.IDR1), QVA_SPAN(p, m.IDR2), QVA_SPAN(p, m.IDR3)});
  // Collect Master has no compound id; the byte is still the record's.
  p.Row(collectMaster ? QStringLiteral("compound_id") : QStringLiteral("Compound ID"),
        collectMaster ? QString::number(m.compound_id) : Hex(m.compound_id, kCompoundIdDigits),
        {QVA_SPAN(p, m.compound_id)});
  p.Row(QStringLiteral("Message Rate"), Presenter::Code(CanMessageRateItems(), m.message_rate),
        {QVA_SPAN(p, m.message_rate)});
}

void PresentCan(Presenter& p) {
  const QVA_CONFIG_DATA& c = p.config_;
  p.Section(QStringLiteral("CAN"));
  p.Field(QStringLiteral("Bit Rate"), Presenter::Code(CanBitRateItems(), c.can_bit_rate),
          {QVA_SPAN(p, c.can_bit_rate)});
  p.Field(QStringLiteral("Output To Transmit"), Presenter::Code(OutputTableItems(c), c.can_output_to_send),
          {QVA_SPAN(p, c.can_output_to_send)});
  const QStringList captions = CanTabCaptions();
  for (int tab = 0; tab < kCanTabCount && tab < captions.size(); ++tab)
    PresentCanMessage(p, CanTabBlock(c, tab), captions[tab], tab == kCollectMasterTab);
}

void PresentAnalogOutput(Presenter& p) {
  const QVA_CONFIG_DATA& c = p.config_;
  const QVA_ANALOG_OUT_TABLE& a = c.analog_out_table;
  const int code = StoredAnalogFunctionCode(a);
  p.Section(QStringLiteral("Analog Output"));
  p.Field(QStringLiteral("Output Function"), Presenter::Code(AnalogFunctionItems(c), code),
          {QVA_SPAN(p, a.out_function), QVA_SPAN(p, a.out_table_index)});
  p.Field(QStringLiteral("Default Output"), Presenter::Value(OutputVoltsType, a.default_output),
          {QVA_SPAN(p, a.default_output)});
  p.Points(QStringLiteral("Calibration Table"), a, AnalogInputType(c, code), OutputVoltsType);
}

void PresentDigitalInputs(Presenter& p) {
  const QVA_CONFIG_DATA& c = p.config_;
  p.Section(QStringLiteral("Digital Inputs"));
  p.Field(QStringLiteral("Device Activation"), Presenter::Code(ActivationModeItems(), c.activate_mode),
          {QVA_SPAN(p, c.activate_mode)});
  p.Field(QStringLiteral("Input 1 Mode"), Presenter::Code(Input1ModeItems(), c.dig_input_mode[0]),
          {QVA_SPAN(p, c.dig_input_mode[0])});
  p.Field(QStringLiteral("Input 2 Mode"), Presenter::Code(Input2ModeItems(), c.dig_input_mode[1]),
          {QVA_SPAN(p, c.dig_input_mode[1])});
  p.Field(QStringLiteral("RPM Pulses Per Rev"), QString::number(c.rpm_pulses_per_rev),
          {QVA_SPAN(p, c.rpm_pulses_per_rev)});
}

// Every named field no window shows, by its record name. The checksum is
// left to PresentChecksum.
void PresentOthers(Presenter& p, const std::vector<PresentedSection>& shown) {
  std::array<bool, kConfigSize> covered{};
  for (const PresentedSection& section : shown) {
    for (const PresentedItem& item : section.items) {
      for (const ByteSpan& span : item.bytes)
        std::fill_n(covered.begin() + span.offset,
                    std::min<std::size_t>(span.size, kConfigSize - span.offset), true);
    }
  }
  const ConfigField* checksum = FindConfigField(QStringLiteral("cfg_crc16"));
  p.Section(QStringLiteral("Other"));
  for (const ConfigField& field : ConfigFields()) {
    if (&field == checksum || covered[field.offset]) continue;
    p.Field(field.name, FieldValueText(p.config_, field), {{field.offset, field.size}});
  }
}

}  // namespace

std::vector<PresentedSection> PresentConfig(const QVA_CONFIG_DATA& config) {
  Presenter p(config);
  PresentSensor(p);
  PresentDisplay(p);
  for (int table = 0; table < kOutputTableCount; ++table) PresentOutputTable(p, table);
  PresentCan(p);
  PresentAnalogOutput(p);
  PresentDigitalInputs(p);
  std::vector<PresentedSection> sections = p.Take();
  Presenter others(config);
  PresentOthers(others, sections);
  for (PresentedSection& section : others.Take()) sections.push_back(std::move(section));
  return sections;
}

PresentedRow PresentChecksum(const QVA_CONFIG_DATA& config) {
  Presenter p(config);
  return {
      QStringLiteral("Checksum (cfg_crc16)"), Hex(config.cfg_crc16, 4), {QVA_SPAN(p, config.cfg_crc16)}, false};
}

QString SpanBytesText(const QVA_CONFIG_DATA& config, const std::vector<ByteSpan>& spans) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&config);
  QStringList hex;
  for (const ByteSpan& span : spans) {
    for (std::size_t at = span.offset; at < std::size_t{span.offset} + span.size && at < kConfigSize; ++at)
      hex << QString::number(bytes[at], kHexBase).toUpper().rightJustified(2, QLatin1Char('0'));
  }
  return QStringLiteral("bytes ") + hex.join(QLatin1Char(' '));
}
