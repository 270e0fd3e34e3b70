#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "config/configfields.h"
#include "editors/canidentifiers.h"
#include "editors/configcomparison.h"
#include "support/samplerecords.h"

// Faults these tests catch: a field shown under the wrong window, label or
// unit; a differing byte that gets no row (so "no differences" lies); a
// checksum counted as a setting; a take-over that copies too little (half
// a table) or too much; an identical pair shown as an empty list.

namespace {

QVA_CONFIG_DATA Base() {
  QVA_CONFIG_DATA c = MakeBlankConfig();
  c.ntk_heater_voltage = 105;
  c.user_cal_table.num_rows = 2;
  c.user_cal_table.values[1] = {500, 1000};
  c.display_config.filter_time = 5;
  c.output_table[0].num_rows = 1;
  c.output_table[0].decimal_places = 2;
  c.output_table[0].values[0] = {1000, 147};
  std::strcpy(c.output_table[1].output_name, "AFR");
  const CanIdRegisters id = PackCanId(CanIdFormat::Standard, 0x100);
  c.can_message_config[0].IDR0 = id[0];
  c.can_message_config[0].IDR1 = id[1];
  c.analog_out_table.default_output = 2500;
  return c;
}

// "section|item|label|before|after" of every row.
QStringList Rows(const ConfigComparison& comparison) {
  QStringList rows;
  for (const ComparisonSection& section : comparison.sections)
    for (const ComparisonItem& item : section.items)
      for (const ComparisonRow& row : item.rows)
        rows << QStringList{section.title, item.title, row.label, row.before, row.after}.join(
            QLatin1Char('|'));
  return rows;
}

}  // namespace

TEST(ConfigComparison, ShowsOneChangedFieldPerSectionUnderItsWindowsLabelAndUnits) {
  struct Case {
    const char* name;
    std::function<void(QVA_CONFIG_DATA&)> change;
    QString row;
  };
  const Case cases[] = {
      {"heater voltage", [](QVA_CONFIG_DATA& c) { c.ntk_heater_voltage = 120; },
       QStringLiteral("Sensor|Heater Voltage (NTK Only)|Heater Voltage (NTK Only)|10.5 V|12.0 V")},
      {"calibration point", [](QVA_CONFIG_DATA& c) { c.user_cal_table.values[1].y = 1200; },
       QStringLiteral("Sensor|Calibration Table|Point 2|0.500 mA → 1.000 mA|0.500 mA → 1.200 mA")},
      {"filter time", [](QVA_CONFIG_DATA& c) { c.display_config.filter_time = 12; },
       QStringLiteral("Display|Filter Time|Filter Time|0.5 s|1.2 s")},
      {"table point", [](QVA_CONFIG_DATA& c) { c.output_table[0].values[0].y = 150; },
       QStringLiteral("Output Table 1|Table|Point 1|1.000 mA → 1.47|1.000 mA → 1.50")},
      {"table name", [](QVA_CONFIG_DATA& c) { std::strcpy(c.output_table[1].output_name, "Lambda"); },
       QStringLiteral("Output Table 2|Table Name|Table Name|\"AFR\"|\"Lambda\"")},
      {"CAN identifier",
       [](QVA_CONFIG_DATA& c) {
         const CanIdRegisters id = PackCanId(CanIdFormat::Extended, 0x18FF0100);
         std::memcpy(&c.can_message_config[0].IDR0, id.data(), id.size());
       },
       QStringLiteral("CAN|Message 1|Address|0x100, standard|0x18FF0100, extended")},
      {"message rate", [](QVA_CONFIG_DATA& c) { c.collect_master_config.message_rate = 3; },
       QStringLiteral("CAN|Collect Master|Message Rate|Off|5 per second")},
      {"default output", [](QVA_CONFIG_DATA& c) { c.analog_out_table.default_output = 5000; },
       QStringLiteral("Analog Output|Default Output|Default Output|2.500 V|5.000 V")},
      {"input mode", [](QVA_CONFIG_DATA& c) { c.dig_input_mode[0] = 3; },
       QStringLiteral("Digital Inputs|Input 1 Mode|Input 1 Mode|Off|Measure RPM")},
      {"no window", [](QVA_CONFIG_DATA& c) { c.pid_settings.heater.d = -7; },
       QStringLiteral("Other|pid_settings.heater.d|pid_settings.heater.d|0|-7")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QVA_CONFIG_DATA after = Base();
    c.change(after);
    const ConfigComparison comparison = CompareConfigs(Base(), after);
    EXPECT_EQ(Rows(comparison), QStringList{c.row});
    EXPECT_EQ(comparison.FieldCount(), 1);
  }
}

TEST(ConfigComparison, EveryDifferingByteHasARowOrIsReservedOrTheChecksum) {
  const QVA_CONFIG_DATA base = SampleConfig();
  for (std::size_t offset = 0; offset < kConfigSize; ++offset) {
    QVA_CONFIG_DATA changed = base;
    reinterpret_cast<uint8_t*>(&changed)[offset] ^= 0x01;
    const ConfigComparison comparison = CompareConfigs(base, changed);
    ASSERT_FALSE(comparison.equal);
    const bool apart = comparison.checksum.has_value() || !comparison.reservedOffsets.empty();
    EXPECT_NE(comparison.FieldCount() > 0, apart) << "offset " << offset;
    EXPECT_EQ(CountDifferingFields(base, changed), comparison.FieldCount()) << "offset " << offset;
  }
}

TEST(ConfigComparison, ValuesThatReadAlikeShowTheirBytes) {
  QVA_CONFIG_DATA before = Base();
  QVA_CONFIG_DATA after = Base();
  after.can_message_config[0].IDR3 = 0x5A;  // a standard identifier ignores IDR3
  EXPECT_EQ(Rows(CompareConfigs(before, after)),
            QStringList{QStringLiteral("CAN|Message 1|Address|bytes 20 00 00 00|bytes 20 00 00 5A")});
}

TEST(ConfigComparison, KeepsTheChecksumAndReservedBytesApartFromTheRows) {
  QVA_CONFIG_DATA after = Base();
  after.cfg_crc16 = 0x1234;
  after.display_config.reserved[0] = 9;
  const ConfigComparison comparison = CompareConfigs(Base(), after);
  EXPECT_EQ(comparison.FieldCount(), 0);
  EXPECT_EQ(ComparisonLines(comparison),
            (QStringList{QStringLiteral("Checksum (cfg_crc16): 0x0000 -> 0x1234"),
                         QStringLiteral("Reserved bytes differ at offsets: 53")}));
}

TEST(ConfigComparison, SaysInWordsWhatWasComparedWhenEqual) {
  const ConfigComparison comparison = CompareConfigs(SampleConfig(), SampleConfig());
  EXPECT_TRUE(comparison.equal);
  EXPECT_EQ(ComparisonLines(comparison),
            QStringList{QStringLiteral(
                "The two configurations are identical: every field and the reserved bytes are the same.")});
}

TEST(ConfigComparison, TakingOverATableCopiesTheWholeTableAndNothingElse) {
  QVA_CONFIG_DATA loaded = Base();
  QVA_CONFIG_DATA backup = Base();
  backup.output_table[0].num_rows = 3;
  backup.output_table[0].values[2] = {3000, 900};
  backup.output_table[0].decimal_places = 1;
  backup.display_config.filter_time = 40;
  const ConfigComparison comparison = CompareConfigs(loaded, backup);
  const ComparisonItem* table = nullptr;
  for (const ComparisonSection& section : comparison.sections)
    for (const ComparisonItem& item : section.items)
      if (section.title == QLatin1String("Output Table 1") && item.title == QLatin1String("Table"))
        table = &item;
  ASSERT_NE(table, nullptr);
  TakeOverItem(loaded, backup, *table);
  QVA_CONFIG_DATA expected = Base();
  expected.output_table[0].num_rows = 3;
  expected.output_table[0].values[2] = {3000, 900};
  EXPECT_TRUE(ConfigsEqual(loaded, expected));
  // Decimal places and the display stay as they were: each is its own item.
  EXPECT_EQ(CompareConfigs(loaded, backup).FieldCount(), 2);
}
