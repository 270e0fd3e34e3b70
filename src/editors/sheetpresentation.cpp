#include "editors/sheetpresentation.h"

#include <algorithm>

#include "platform/qvaerrors.h"
#include "config/sensortypes.h"
#include "tables/curvedata.h"
#include "tables/table2dmodel.h"
#include "editors/analogoutput.h"
#include "editors/canmessages.h"
#include "editors/digitalinputs.h"
#include "editors/display.h"
#include "editors/outputtables.h"
#include "editors/sensorrules.h"

namespace {

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");
const QString kNotInUse = QStringLiteral(" (not in use)");
// clang-format off
const QString kAnalogFollowsNothing = QStringLiteral("The analog output follows no value (Output Function Off).");
const QString kAnalogFollowsUnknown = QStringLiteral("The analog output follows a function this program does not know (out_function %1, out_table_index %2).");
const QString kAnalogWithoutPoints = QStringLiteral("The analog output follows %1 (%2), but its calibration table has no points.");
const QString kAnalogReading = QStringLiteral("Set the engine control unit to read the analog output as %1 (%2): each voltage stands for the value beside it.");
const QString kNoPoints = QStringLiteral("No points.");
const QString kTooManyPoints = QStringLiteral("The record gives %1 points; a table holds at most %2, which are shown.");
const QString kPointsBreakRules = QStringLiteral("These points break the table rules (an input occurs twice, or the outputs rise and fall): the window would not store them as they are.");
// clang-format on

QString Field(const char* name) {
  return QLatin1String(name);
}

QString Indexed(const char* name, int index) {
  return QStringLiteral("%1[%2]").arg(QLatin1String(name)).arg(index);
}

// A table's stored points: never more than the record holds, whatever its
// count says.
std::vector<TablePoint> StoredPoints(const TablePoint* values, int count) {
  const int held = std::clamp(count, 0, kMaxTablePoints);
  return std::vector<TablePoint>(values, values + held);
}

QString Number(int value) {
  return QString::number(value);
}

}  // namespace

SheetGrid SheetTable::Cells() const {
  SheetGrid grid;
  grid.header = QStringList{inputTitle, outputTitle};
  for (const TablePoint& point : points)
    grid.rows.push_back({ShownValue16(inputType, point.x, false), ShownValue16(outputType, point.y, false)});
  return grid;
}

TableCurve SheetTable::Curve() const {
  Table2DModel model(kMaxTablePoints);
  model.Setup(kMaxTablePoints, inputType, outputType);
  model.ShowPoints(points.data(), static_cast<int>(points.size()));
  return TableCurve::FromTable(model, inputTitle, outputTitle);
}

QStringList SheetTable::Notes() const {
  QStringList notes;
  if (points.empty()) notes << kNoPoints;
  if (storedCount > kMaxTablePoints) notes << kTooManyPoints.arg(storedCount).arg(kMaxTablePoints);
  if (!points.empty() && !Curve().Storable()) notes << kPointsBreakRules;
  return notes;
}

QString PlainLabel(const QString& windowLabel) {
  QString text;
  for (qsizetype i = 0; i < windowLabel.size(); ++i) {
    // "&&" stands for one ampersand; a single one marks the accelerator.
    if (windowLabel.at(i) == QLatin1Char('&')) {
      if (i + 1 < windowLabel.size() && windowLabel.at(i + 1) == QLatin1Char('&'))
        text += windowLabel.at(++i);
      continue;
    }
    text += windowLabel.at(i);
  }
  text = text.trimmed();
  if (text.endsWith(QLatin1Char(':'))) text.chop(1);
  return text.trimmed();
}

QString ListText(const CodeList& items, int code) {
  for (const CodeItem& item : items) {
    if (item.code == code) return item.text;
  }
  return QStringLiteral("Unknown (%1)").arg(code);
}

QString ShownValue16(const ValueType& type, int16_t raw, bool showUnit) {
  try {
    return FormatValue16(type, raw, showUnit);
  } catch (const Exception&) {
    return QString::number(raw);
  }
}

SheetSection SheetSensor(const QVA_CONFIG_DATA& config) {
  SheetSection section{kSensorSetupCaption, {}, {}, {}, {}};
  auto& rows = section.rows;
  rows.push_back({PlainLabel(QStringLiteral("&Sensor Type :")),
                  SensorTypeName(config.sensor_type),
                  {Field("sensor_type")}});
  const int method = config.sensor_cal_method;
  rows.push_back({PlainLabel(QStringLiteral("Calibration &Method :")),
                  ListText(CalMethodItems(), method),
                  {Field("sensor_cal_method")}});
  const QString gainLabel = QStringLiteral("Gain factor calibration");
  const QString resistorLabel = QStringLiteral("Equivalent resistor calibration");
  const QString gainText = FormatValue32(PlainNumberType, StoredGain(config), false);
  if (method == kCalEnterValue && config.user_cal_resistor != 0) {
    rows.push_back({resistorLabel,
                    FormatValue32(PlainNumberType, config.user_cal_resistor, false),
                    {Field("user_cal_resistor")}});
    rows.push_back({gainLabel, gainText, {Field("user_gain_factor")}});
  } else if (method == kCalEnterValue) {
    rows.push_back({gainLabel, gainText, {Field("user_gain_factor")}});
  } else if (method == kCalFromO2) {
    rows.push_back({gainLabel, gainText, {Field("user_gain_factor")}});
    rows.push_back({resistorLabel,
                    ResistorTextForGain(StoredGain(config), config.sensor_type).trimmed(),
                    {Field("user_gain_factor"), Field("sensor_type")}});
  } else if (method == kCalEnterTable) {
    const QVA_USER_CAL_TABLE& table = config.user_cal_table;
    section.tables.push_back({PlainLabel(QStringLiteral("Calibration &Table :")),
                              QStringLiteral("Ip ") + UnitCaption(IpType, true),
                              QStringLiteral("Ipn ") + UnitCaption(IpType, true),
                              IpType,
                              IpType,
                              StoredPoints(table.values, table.num_rows),
                              table.num_rows,
                              {Field("user_cal_table.num_rows"), Field("user_cal_table.values")},
                              {}});
  }
  // A heater voltage never set reads as the window proposes it.
  const int16_t heater = config.ntk_heater_voltage != 0 ? config.ntk_heater_voltage : kDefaultHeaterVoltage;
  rows.push_back({PlainLabel(QStringLiteral("Heater &Voltage (NTK Only) :")),
                  ShownValue16(HeaterVoltsType, heater, true),
                  {Field("ntk_heater_voltage")}});
  rows.push_back({QStringLiteral("Ignore sensor errors (not recommended)"),
                  config.prevent_sensor_timeout != 0 ? kYes : kNo,
                  {Field("prevent_sensor_timeout")}});
  return section;
}

SheetSection SheetDisplay(const QVA_CONFIG_DATA& config) {
  const QVA_DISPLAY_CONFIG& display = config.display_config;
  SheetSection section{kDisplaySetupCaption, {}, {}, {}, {}};
  section.rows = {
      {PlainLabel(QStringLiteral("O&utput To Display :")),
       ListText(OutputTableItems(config), display.output_to_display),
       {Field("display_config.output_to_display")}},
      {PlainLabel(QStringLiteral("&Display Decimals Table 1 :")),
       Number(display.table1_decimal_places),
       {Field("display_config.table1_decimal_places")}},
      {PlainLabel(QStringLiteral("Display Decimals Table 2 :")),
       Number(display.table2_decimal_places),
       {Field("display_config.table2_decimal_places")}},
      {PlainLabel(QStringLiteral("Update &Rate :")),
       Number(std::max<int>(display.update_rate, kMinUpdateRate)) + QStringLiteral(" times per second"),
       {Field("display_config.update_rate")}},
      {PlainLabel(QStringLiteral("&Filter Time :")),
       ShownValue16(FilterTimeType, display.filter_time, true),
       {Field("display_config.filter_time")}},
      {PlainLabel(QStringLiteral("&Backlight Intensity :")),
       Number(display.backlight_intensity) + QStringLiteral(" %"),
       {Field("display_config.backlight_intensity")}},
  };
  return section;
}

SheetSection SheetOutputTable(const QVA_CONFIG_DATA& config, int index) {
  const QVA_OUTPUT_CAL_TABLE& table = config.output_table[std::clamp(index, 0, kOutputTableCount - 1)];
  const QString prefix = Indexed("output_table", index) + QLatin1Char('.');
  const QString tab = OutputTableTabText(index);
  SheetSection section{kOutputTableCaption + QStringLiteral(": ") + tab, {}, {}, {}, {}};
  section.rows = {
      {PlainLabel(QStringLiteral("Table &Name :")), OutputTableName(table), {prefix + Field("output_name")}},
      {PlainLabel(QStringLiteral("&Table Decimal Places :")),
       Number(table.decimal_places),
       {prefix + Field("decimal_places")}},
  };
  section.tables.push_back({tab + QStringLiteral(": ") + OutputTableListText(table, index),
                            OutputTableInputTitle(),
                            kOutputTableOutputTitle,
                            IpType,
                            OutputColumnType(table.decimal_places),
                            StoredPoints(table.values, table.num_rows),
                            table.num_rows,
                            {prefix + Field("num_rows"), prefix + Field("values")},
                            {}});
  return section;
}

SheetSection SheetDigitalInputs(const QVA_CONFIG_DATA& config) {
  SheetSection section{kDigitalInputsCaption, {}, {}, {}, {}};
  const int input1 = config.dig_input_mode[0];
  const int pulses = config.rpm_pulses_per_rev != 0 ? config.rpm_pulses_per_rev : kDefaultPulsesPerRev;
  section.rows = {
      {PlainLabel(QStringLiteral("Device &Activation :")),
       ListText(ActivationModeItems(), config.activate_mode),
       {Field("activate_mode")}},
      {PlainLabel(QStringLiteral("Input &1 Mode :")),
       ListText(Input1ModeItems(), input1),
       {Indexed("dig_input_mode", 0)}},
      {PlainLabel(QStringLiteral("Input &2 Mode :")),
       ListText(Input2ModeItems(), config.dig_input_mode[1]),
       {Indexed("dig_input_mode", 1)}},
      {PlainLabel(QStringLiteral("&RPM Pulses Per Rev :")),
       Number(pulses) + (PulsesPerRevApplies(input1) ? QString() : kNotInUse),
       {Field("rpm_pulses_per_rev")}},
  };
  return section;
}

SheetSection SheetCanMessages(const QVA_CONFIG_DATA& config) {
  SheetSection section{kCANSetupCaption, {}, {}, {}, {}};
  section.rows = {
      {PlainLabel(QStringLiteral("&Bit Rate :")),
       ListText(CanBitRateItems(), config.can_bit_rate),
       {Field("can_bit_rate")}},
      {PlainLabel(QStringLiteral("O&utput To Transmit :")),
       ListText(OutputTableItems(config), config.can_output_to_send),
       {Field("can_output_to_send")}},
  };
  SheetGrid grid;
  grid.header =
      QStringList{QString(), PlainLabel(QStringLiteral("Address Format :")), QStringLiteral("Address (hex)"),
                  PlainLabel(QStringLiteral("Compound ID :")), PlainLabel(QStringLiteral("Message Rate :"))};
  const QStringList tabs = CanTabCaptions();
  for (int tab = 0; tab < kCanTabCount; ++tab) {
    const CanTabView view = ShowCanTab(config, tab);
    const QString format = view.format == CanIdFormat::Extended ? PlainLabel(QStringLiteral("E&xtended"))
                                                                : PlainLabel(QStringLiteral("Sta&ndard"));
    const QString rate = ListText(CanMessageRateItems(), view.rate);
    if (tab == kCollectMasterTab) {
      // Collect Master is always standard, has no compound id and no
      // address while it is off.
      const QString address = CanAddressEnabled(tab, view.rate) ? view.addressText : QStringLiteral("-");
      grid.rows.push_back({tabs.at(tab), format, address, QStringLiteral("-"), rate});
    } else {
      grid.rows.push_back({tabs.at(tab), format, view.addressText, view.compoundText, rate});
    }
  }
  section.grids.push_back(std::move(grid));
  return section;
}

AnalogOutputReading ReadAnalogOutput(const QVA_CONFIG_DATA& config) {
  const QVA_ANALOG_OUT_TABLE& analog = config.analog_out_table;
  const int code = StoredAnalogFunctionCode(analog);
  const AnalogFunctionChoice choice = SplitAnalogFunctionCode(code);
  AnalogOutputReading reading;
  QString valueName;
  QString units;
  switch (choice.function) {
    case kAnalogIp:
      valueName = QStringLiteral("Ip");
      units = QStringLiteral("pump current in mA");
      break;
    case kAnalogIpn:
      valueName = QStringLiteral("Ipn");
      units = QStringLiteral("normalised pump current in mA");
      break;
    case kAnalogTable:
      if (choice.table >= 0 && choice.table < kOutputTableCount) {
        const QVA_OUTPUT_CAL_TABLE& table = config.output_table[choice.table];
        valueName = OutputTableListText(table, choice.table);
        const int decimals = ShownDecimalPlaces(table.decimal_places);
        units = QStringLiteral("output table %1, %2 decimal place%3")
                    .arg(choice.table + 1)
                    .arg(decimals)
                    .arg(decimals == 1 ? QString() : QStringLiteral("s"));
      }
      break;
    default:
      break;
  }
  if (valueName.isEmpty()) {
    reading.statement = choice.function == kAnalogOff
                            ? kAnalogFollowsNothing
                            : kAnalogFollowsUnknown.arg(analog.out_function).arg(analog.out_table_index);
    return reading;
  }
  const std::vector<TablePoint> points = StoredPoints(analog.values, analog.num_rows);
  if (points.empty()) {
    reading.statement = kAnalogWithoutPoints.arg(valueName, units);
    return reading;
  }
  reading.statement = kAnalogReading.arg(valueName, units);
  const ValueType valueType = AnalogInputType(config, code);
  std::vector<TablePoint> byVoltage = points;
  std::stable_sort(byVoltage.begin(), byVoltage.end(),
                   [](const TablePoint& a, const TablePoint& b) { return a.y < b.y; });
  reading.voltages.header = QStringList{QStringLiteral("Analog output ") + UnitCaption(OutputVoltsType, true),
                                        CurveAxisTitle(valueName, valueType)};
  for (const TablePoint& point : byVoltage)
    reading.voltages.rows.push_back(
        {ShownValue16(OutputVoltsType, point.y, false), ShownValue16(valueType, point.x, false)});
  return reading;
}

SheetSection SheetAnalogOutput(const QVA_CONFIG_DATA& config) {
  const QVA_ANALOG_OUT_TABLE& analog = config.analog_out_table;
  SheetSection section{kAnalogOutputCaption, {}, {}, {}, {}};
  const int code = StoredAnalogFunctionCode(analog);
  section.rows = {
      {PlainLabel(QStringLiteral("O&utput Function :")),
       ListText(AnalogFunctionItems(config), code),
       {Field("analog_out_table.out_function"), Field("analog_out_table.out_table_index")}},
      {PlainLabel(QStringLiteral("&Default Output :")),
       ShownValue16(OutputVoltsType, analog.default_output, true),
       {Field("analog_out_table.default_output")}},
  };
  AnalogOutputReading reading = ReadAnalogOutput(config);
  section.notes << reading.statement;
  const ValueType inputType = AnalogInputType(config, code);
  section.tables.push_back({QStringLiteral("Calibration Table"),
                            AnalogInputTitle(inputType),
                            AnalogOutputTitle(),
                            inputType,
                            OutputVoltsType,
                            StoredPoints(analog.values, analog.num_rows),
                            analog.num_rows,
                            {Field("analog_out_table.num_rows"), Field("analog_out_table.values")},
                            std::move(reading.voltages)});
  return section;
}

std::vector<SheetSection> SheetSections(const QVA_CONFIG_DATA& config) {
  std::vector<SheetSection> sections;
  sections.push_back(SheetSensor(config));
  sections.push_back(SheetDisplay(config));
  for (int index = 0; index < kOutputTableCount; ++index)
    sections.push_back(SheetOutputTable(config, index));
  sections.push_back(SheetDigitalInputs(config));
  sections.push_back(SheetCanMessages(config));
  sections.push_back(SheetAnalogOutput(config));
  return sections;
}
