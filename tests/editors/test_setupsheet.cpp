// The setup sheet's content, built without widgets: every window's labels
// and values as the window shows them, the tables, the analog output as an
// engine control unit must read it, the checksum and the note.

#include <cstring>

#include <QDir>

#include <gtest/gtest.h>

#include "config/qvaconfig.h"
#include "editors/canidentifiers.h"
#include "editors/sheetpresentation.h"
#include "editors/setupsheet.h"
#include "support/samplerecords.h"
#include "support/testenvironment.h"

namespace {

void SetCanId(QVA_CAN_MSG_CONFIG& block, CanIdFormat format, uint32_t id) {
  const CanIdRegisters registers = PackCanId(format, id);
  block.IDR0 = registers[0];
  block.IDR1 = registers[1];
  block.IDR2 = registers[2];
  block.IDR3 = registers[3];
}

// A configuration a workshop might set up: something in every window.
QVA_CONFIG_DATA WorkshopConfig() {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.sensor_type = 3;
  config.sensor_cal_method = 1;
  config.user_cal_resistor = 1500;
  config.user_gain_factor = 1433;
  config.prevent_sensor_timeout = 1;
  config.display_config = {1, 2, 25, 0, 80, 1, {}};
  std::strcpy(config.output_table[0].output_name, "Lambda");
  config.output_table[0].decimal_places = 3;
  config.output_table[0].num_rows = 3;
  config.output_table[0].values[0] = {-1200, 700};
  config.output_table[0].values[1] = {0, 1000};
  config.output_table[0].values[2] = {1500, 1300};
  config.output_table[1].decimal_places = 1;
  config.activate_mode = 2;
  config.dig_input_mode[0] = 3;
  config.dig_input_mode[1] = 4;
  config.can_bit_rate = 3;
  config.can_output_to_send = 0;
  SetCanId(config.can_message_config[0], CanIdFormat::Extended, 0x18FF0100);
  config.can_message_config[0].compound_id = 0x2A;
  config.can_message_config[0].message_rate = 3;
  SetCanId(config.can_message_config[1], CanIdFormat::Standard, 0x5A3);
  SetCanId(config.collect_master_config, CanIdFormat::Standard, 0x7FF);
  config.collect_master_config.message_rate = 1;
  QVA_ANALOG_OUT_TABLE& analog = config.analog_out_table;
  analog.out_function = 3;
  analog.out_table_index = 0;
  analog.num_rows = 3;
  // Stored by input; the engine control unit reads them by voltage.
  analog.values[0] = {700, 5000};
  analog.values[1] = {1000, 2500};
  analog.values[2] = {1300, 0};
  analog.default_output = 2500;
  return config;
}

const SheetSection* FindSection(const std::vector<SheetSection>& sections, const QString& title) {
  for (const SheetSection& section : sections)
    if (section.title == title) return &section;
  return nullptr;
}

QString ValueOf(const std::vector<SheetSection>& sections, const QString& title, const QString& label) {
  const SheetSection* section = FindSection(sections, title);
  if (!section) return QStringLiteral("<no section>");
  for (const SheetRow& row : section->rows)
    if (row.label == label) return row.value;
  return QStringLiteral("<no row>");
}

struct RowCase {
  const char* section;
  const char* label;
  const char* value;
};

}  // namespace

TEST(SheetPresentation, ShowsEachWindowsLabelsAndValuesAsTheWindowShowsThem) {
  const std::vector<SheetSection> sections = SheetSections(WorkshopConfig());
  const RowCase cases[] = {
      {"Sensor Setup", "Sensor Type", "Bosch LSU4.2"},
      {"Sensor Setup", "Calibration Method", "Enter calibration value"},
      {"Sensor Setup", "Equivalent resistor calibration", "1500"},
      {"Sensor Setup", "Gain factor calibration", "1433"},
      {"Sensor Setup", "Heater Voltage (NTK Only)", "10.5 V"},
      {"Sensor Setup", "Ignore sensor errors (not recommended)", "Yes"},
      {"Display Setup", "Output To Display", "(Output Table 2)"},
      {"Display Setup", "Display Decimals Table 1", "2"},
      {"Display Setup", "Display Decimals Table 2", "1"},
      {"Display Setup", "Update Rate", "1 times per second"},
      {"Display Setup", "Filter Time", "2.5 s"},
      {"Display Setup", "Backlight Intensity", "80 %"},
      {"Output Table Setup: Table 1", "Table Name", "Lambda"},
      {"Output Table Setup: Table 1", "Table Decimal Places", "3"},
      {"Output Table Setup: Table 2", "Table Name", ""},
      {"Digital Inputs Setup", "Device Activation", "Run only while input 1 is active"},
      {"Digital Inputs Setup", "Input 1 Mode", "Measure RPM"},
      {"Digital Inputs Setup", "Input 2 Mode", "Display Other Output Table When Low"},
      {"Digital Inputs Setup", "RPM Pulses Per Rev", "10"},
      {"CAN Message Setup", "Bit Rate", "125 Kbps"},
      {"CAN Message Setup", "Output To Transmit", "Lambda"},
      {"Analog Output Setup", "Output Function", "Lambda"},
      {"Analog Output Setup", "Default Output", "2.500 V"},
  };
  for (const RowCase& c : cases) {
    EXPECT_EQ(ValueOf(sections, QLatin1String(c.section), QLatin1String(c.label)), QLatin1String(c.value))
        << c.section << " / " << c.label;
  }
}

TEST(SheetPresentation, ListsTheSectionsInTheOrderOfTheSetupMenu) {
  QStringList titles;
  for (const SheetSection& section : SheetSections(SampleConfig())) titles << section.title;
  EXPECT_EQ(titles, (QStringList{"Sensor Setup", "Display Setup", "Output Table Setup: Table 1",
                                 "Output Table Setup: Table 2", "Digital Inputs Setup", "CAN Message Setup",
                                 "Analog Output Setup"}));
}

TEST(SheetPresentation, ShowsTheRowsOfTheCalibrationMethodInUse) {
  struct Case {
    int method;
    uint16_t resistor;
    int16_t gain;
    QStringList labels;
  };
  const Case cases[] = {
      {0, 1500, 1364, {}},
      {1, 0, 1000, {"Gain factor calibration"}},
      {2, 0, 1562, {"Gain factor calibration", "Equivalent resistor calibration"}},
      {3, 0, 0, {}},
  };
  for (const Case& c : cases) {
    QVA_CONFIG_DATA config = MakeBlankConfig();
    config.sensor_type = 2;
    config.sensor_cal_method = static_cast<uint8_t>(c.method);
    config.user_cal_resistor = c.resistor;
    config.user_gain_factor = c.gain;
    const SheetSection section = SheetSensor(config);
    QStringList labels;
    for (const SheetRow& row : section.rows) {
      if (row.label.contains(QLatin1String("calibration"))) labels << row.label;
    }
    EXPECT_EQ(labels, c.labels) << "method " << c.method;
    EXPECT_EQ(section.tables.size(), c.method == 3 ? 1U : 0U) << "method " << c.method;
  }
  QVA_CONFIG_DATA o2 = MakeBlankConfig();
  o2.sensor_type = 2;
  o2.sensor_cal_method = 2;
  o2.user_gain_factor = 1562;
  EXPECT_EQ(ValueOf({SheetSensor(o2)}, "Sensor Setup", "Equivalent resistor calibration"), "2710");
}

TEST(SheetPresentation, NamesCodesTheListsDoNotHoldInsteadOfShowingAnotherItem) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.sensor_type = 9;
  config.sensor_cal_method = 7;
  config.activate_mode = 9;
  config.dig_input_mode[1] = 3;  // Measure RPM is input 1's alone
  config.can_bit_rate = 200;
  config.analog_out_table.out_function = 5;
  const std::vector<SheetSection> sections = SheetSections(config);
  EXPECT_EQ(ValueOf(sections, "Sensor Setup", "Sensor Type"), "Unknown sensor type (9)");
  EXPECT_EQ(ValueOf(sections, "Sensor Setup", "Calibration Method"), "Unknown (7)");
  EXPECT_EQ(ValueOf(sections, "Digital Inputs Setup", "Device Activation"), "Unknown (9)");
  EXPECT_EQ(ValueOf(sections, "Digital Inputs Setup", "Input 2 Mode"), "Unknown (3)");
  EXPECT_EQ(ValueOf(sections, "Digital Inputs Setup", "RPM Pulses Per Rev"), "10 (not in use)");
  EXPECT_EQ(ValueOf(sections, "CAN Message Setup", "Bit Rate"), "Unknown (200)");
  EXPECT_EQ(ValueOf(sections, "Analog Output Setup", "Output Function"), "Unknown (5)");
  const SheetSection* analog = FindSection(sections, "Analog Output Setup");
  ASSERT_NE(analog, nullptr);
  EXPECT_EQ(analog->notes,
            QStringList{"The analog output follows a function this program does not know (out_function 5, "
                        "out_table_index 0)."});
  EXPECT_TRUE(analog->grids.empty());
}

TEST(SheetPresentation, ShowsCanIdentifiersInHexadecimalWithTheirFormat) {
  const SheetSection section = SheetCanMessages(WorkshopConfig());
  ASSERT_EQ(section.grids.size(), 1U);
  const SheetGrid& grid = section.grids.front();
  EXPECT_EQ(grid.header, (QStringList{"", "Address Format", "Address (hex)", "Compound ID", "Message Rate"}));
  const std::vector<QStringList> expected = {
      {"Message 1", "Extended", "18FF0100", "2A", "5 per second"},
      {"Message 2", "Standard", "5A3", "00", "Off"},
      {"Message 3", "Standard", "000", "00", "Off"},
      {"Message 4", "Standard", "000", "00", "Off"},
      {"Collect Master", "Standard", "7FF", "-", "1 per second"},
  };
  EXPECT_EQ(grid.rows, expected);
  QVA_CONFIG_DATA off = WorkshopConfig();
  off.collect_master_config.message_rate = 0;
  EXPECT_EQ(SheetCanMessages(off).grids.front().rows.back(),
            (QStringList{"Collect Master", "Standard", "-", "-", "Off"}));
}

TEST(SheetPresentation, StatesTheAnalogOutputAsVoltagesAgainstTheFollowedValue) {
  struct Case {
    uint8_t function;
    uint8_t table;
    QString statement;
    std::vector<QStringList> rows;  // header first
  };
  const Case cases[] = {
      {3,
       0,
       "Set the engine control unit to read the analog output as Lambda (output table 1, 3 decimal places): "
       "each voltage stands for the value beside it.",
       {{"Analog output ( V )", "Lambda"}, {"0.000", "1.300"}, {"2.500", "1.000"}, {"5.000", "0.700"}}},
      {3,
       1,
       "Set the engine control unit to read the analog output as (Output Table 2) (output table 2, 1 decimal "
       "place): each voltage stands for the value beside it.",
       {{"Analog output ( V )", "(Output Table 2)"},
        {"0.000", "130.0"},
        {"2.500", "100.0"},
        {"5.000", "70.0"}}},
      {1,
       1,
       "Set the engine control unit to read the analog output as Ip (pump current in mA): each voltage "
       "stands "
       "for the value beside it.",
       {{"Analog output ( V )", "Ip ( mA )"}, {"0.000", "1.300"}, {"2.500", "1.000"}, {"5.000", "0.700"}}},
      {0, 0, "The analog output follows no value (Output Function Off).", {}},
  };
  for (const Case& c : cases) {
    QVA_CONFIG_DATA config = WorkshopConfig();
    config.analog_out_table.out_function = c.function;
    config.analog_out_table.out_table_index = c.table;
    const AnalogOutputReading reading = ReadAnalogOutput(config);
    EXPECT_EQ(reading.statement, c.statement);
    std::vector<QStringList> rows;
    if (!reading.voltages.header.isEmpty()) rows.push_back(reading.voltages.header);
    rows.insert(rows.end(), reading.voltages.rows.begin(), reading.voltages.rows.end());
    EXPECT_EQ(rows, c.rows) << c.statement.toStdString();
  }
}

TEST(SheetPresentation, NeverReadsPastThe32PointsATableHolds) {
  QVA_CONFIG_DATA config = WorkshopConfig();
  config.output_table[0].num_rows = 200;
  config.analog_out_table.num_rows = 255;
  config.user_cal_table.num_rows = 33;
  config.sensor_cal_method = 3;
  for (const SheetSection& section : SheetSections(config)) {
    for (const SheetTable& table : section.tables) {
      EXPECT_LE(table.points.size(), 32U) << table.title.toStdString();
      EXPECT_EQ(table.Cells().rows.size(), table.points.size());
      EXPECT_LE(table.beside.rows.size(), 32U);
    }
    for (const SheetGrid& grid : section.grids) EXPECT_LE(grid.rows.size(), 32U);
  }
  const SheetTable user = SheetSensor(config).tables.at(0);
  EXPECT_EQ(user.storedCount, 33);
  EXPECT_EQ(user.points.size(), 32U);
}

TEST(SheetPresentation, ShowsTablePointsInTheirColumnsUnits) {
  const SheetTable table = SheetOutputTable(WorkshopConfig(), 0).tables.at(0);
  EXPECT_EQ(table.title, "Table 1: Lambda");
  const SheetGrid cells = table.Cells();
  EXPECT_EQ(cells.header, (QStringList{"Ipn ( mA )", "Output"}));
  const std::vector<QStringList> expected = {{"-1.200", "0.700"}, {"0.000", "1.000"}, {"1.500", "1.300"}};
  EXPECT_EQ(cells.rows, expected);
  EXPECT_TRUE(table.Notes().isEmpty());
  const TableCurve curve = table.Curve();
  EXPECT_TRUE(curve.Storable());
  ASSERT_EQ(curve.Points().size(), 3U);
  EXPECT_EQ(curve.Points().back().y, 1300);
}

TEST(SheetPresentation, PlainLabelDropsAcceleratorsAndColons) {
  const std::pair<const char*, const char*> cases[] = {
      {"&Sensor Type :", "Sensor Type"}, {"Heater &Voltage (NTK Only) :", "Heater Voltage (NTK Only)"},
      {"Fuel && Air :", "Fuel & Air"},   {"Address:", "Address"},
      {"Compound ID", "Compound ID"},
  };
  for (const auto& [label, plain] : cases) EXPECT_EQ(PlainLabel(QLatin1String(label)), QLatin1String(plain));
}

TEST(SetupSheet, TitleBlockNamesTheFileDateProgramNoteAndChecksum) {
  QVA_CONFIG_DATA config = WorkshopConfig();
  const uint16_t checksum = SheetChecksum(config);
  config.cfg_crc16 = checksum;
  const SetupSheet sheet = BuildSetupSheet(config, {QStringLiteral("/work/cars/Golf.Q11"), QDate(2026, 3, 14),
                                                    QStringLiteral("Golf GTI, J. Smith")});
  ASSERT_EQ(sheet.titleRows.size(), 5U);
  EXPECT_EQ(sheet.titleRows[0], (SheetRow{"File", "Golf.Q11", {}}));
  EXPECT_EQ(sheet.titleRows[1], (SheetRow{"Date", "2026-03-14", {}}));
  EXPECT_TRUE(sheet.titleRows[2].value.startsWith("Ulmora Quvarant Setup "));
  EXPECT_EQ(sheet.titleRows[3], (SheetRow{"Note", "Golf GTI, J. Smith", {}}));
  EXPECT_EQ(sheet.titleRows[4].label, "Checksum (cfg_crc16)");
  // The checksum a send seals into the meter's copy, high byte first.
  const ConfigBytes sealed = ConfigToBytes(SealForDevice(config));
  const QString hex = QString::number((sealed[2] << 8) | sealed[3], 16).toUpper().rightJustified(4, '0');
  EXPECT_TRUE(sheet.titleRows[4].value.startsWith("0x" + hex + " ("))
      << sheet.titleRows[4].value.toStdString();
  EXPECT_EQ(sheet.footer, "QVA Setup Sheet - Golf.Q11 - cfg_crc16 0x" + hex + " (" +
                              QString::number((sealed[2] << 8) | sealed[3]) + ")");
  EXPECT_EQ(sheet.sections.size(), 7U);

  const SetupSheet edited =
      BuildSetupSheet(config, {QStringLiteral("/work/cars/Golf.Q11"), QDate(2026, 3, 14), QString(), true});
  EXPECT_EQ(edited.titleRows[0].value, "Golf.Q11 (with changes not saved to the file)");
  EXPECT_TRUE(edited.footer.startsWith("QVA Setup Sheet - Golf.Q11 - cfg_crc16 0x")) << edited.footer.toStdString();

  const SetupSheet untitled =
      BuildSetupSheet(MakeBlankConfig(), {QString(), QDate(2026, 3, 14), QString(), true});
  EXPECT_EQ(untitled.titleRows[0].value, "untitled");
  for (const SheetRow& row : untitled.titleRows) EXPECT_NE(row.label, "Note");
}

TEST(SetupSheet, ShowsAChecksumTheRecordHoldsFromBeforeItsLastChange) {
  const QVA_CONFIG_DATA config = SampleConfig();  // holds 0xBEEF, not its checksum
  const SetupSheet sheet =
      BuildSetupSheet(config, {QStringLiteral("Sample.Q11"), QDate(2026, 1, 2), QString()});
  const SheetRow& last = sheet.titleRows.back();
  EXPECT_EQ(last.label, "cfg_crc16 held in the record");
  EXPECT_TRUE(last.value.startsWith("0xBEEF (48879): from before the last change"))
      << last.value.toStdString();
  EXPECT_EQ(ChecksumText(0x00AB), "0x00AB (171)");
}

TEST(SetupSheet, NoteIsCleanedOfControlCharactersAndCut) {
  const std::pair<QString, QString> cases[] = {
      {"  Golf GTI\tJ. Smith\x01  ", "Golf GTI J. Smith"},
      {"line one\nline two", "line one\nline two"},
      {QString("\x1b[31mred"), "[31mred"},
      {QString(400, 'x'), QString(300, 'x')},
      {QString(299, 'x') + QString::fromUtf8("\xF0\x9F\x9A\x97"), QString(299, 'x')},
  };
  for (const auto& [typed, printed] : cases) EXPECT_EQ(SheetNoteText(typed), printed) << typed.toStdString();
}

TEST(SetupSheet, RefusesToReplaceTheSetupFileItIsMadeFrom) {
  const QString setup = WriteSetup(QStringLiteral("cars/Golf.Q11"), SampleConfig());
  const QString viaDots = QFileInfo(setup).absolutePath() + QStringLiteral("/../cars/Golf.Q11");
  EXPECT_FALSE(SheetTargetRefusal(setup, setup).isEmpty());
  EXPECT_FALSE(SheetTargetRefusal(viaDots, setup).isEmpty());
  EXPECT_TRUE(SheetTargetRefusal(QFileInfo(setup).absolutePath() + "/Golf.pdf", setup).isEmpty());
  EXPECT_TRUE(SheetTargetRefusal(setup, QString()).isEmpty());
}

TEST(SheetPresentation, TableNotesSayWhatTheReaderMustKnowAboutThePoints) {
  struct Case {
    std::vector<TablePoint> points;
    int storedCount;
    QStringList notes;
  };
  const Case cases[] = {
      {{{0, 100}, {500, 200}}, 2, {}},
      {{}, 0, {"No points."}},
      {std::vector<TablePoint>(32, TablePoint{0, 0}),
       200,
       {"The record gives 200 points; a table holds at most 32, which are shown.",
        "These points break the table rules (an input occurs twice, or the outputs rise and fall): the window "
        "would not store them as they are."}},
      {{{0, 100}, {500, 50}, {900, 300}},
       3,
       {"These points break the table rules (an input occurs twice, or the outputs rise and fall): the window "
        "would not store them as they are."}},
  };
  for (const Case& c : cases) {
    SheetTable table;
    table.inputType = IpType;
    table.points = c.points;
    table.storedCount = c.storedCount;
    EXPECT_EQ(table.Notes(), c.notes) << c.storedCount;
  }
}
