#include <cstring>
#include <set>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "config/configfields.h"

namespace {

const ConfigField& Field(const char* name) {
  const ConfigField* field = FindConfigField(QString::fromLatin1(name));
  if (!field) {
    ADD_FAILURE() << "no field " << name;
    static const ConfigField none;
    return none;
  }
  return *field;
}

void SetName(QVA_CONFIG_DATA& config, int table, const QByteArray& bytes) {
  std::memset(config.output_table[table].output_name, 0, sizeof config.output_table[table].output_name);
  std::memcpy(config.output_table[table].output_name, bytes.constData(),
              std::min<std::size_t>(bytes.size(), sizeof config.output_table[table].output_name));
}

}  // namespace

TEST(ConfigFields, NamedFieldsAndReservedBytesCoverTheRecordExactlyOnce) {
  std::vector<int> uses(kConfigSize, 0);
  for (const ConfigField& field : ConfigFields()) {
    ASSERT_LE(field.offset + field.size, kConfigSize) << field.name.toStdString();
    for (int i = 0; i < field.size; ++i) ++uses[field.offset + i];
  }
  for (const ReservedRange& range : ReservedRanges()) {
    ASSERT_LE(range.offset + range.size, kConfigSize) << range.name.toStdString();
    for (int i = 0; i < range.size; ++i) ++uses[range.offset + i];
  }
  for (std::size_t offset = 0; offset < kConfigSize; ++offset) {
    EXPECT_EQ(uses[offset], 1) << "byte " << offset;
  }
}

TEST(ConfigFields, AreInRecordOrderWithUniqueNames) {
  std::set<QString> names;
  int previousEnd = 0;
  for (const ConfigField& field : ConfigFields()) {
    EXPECT_GE(field.offset, previousEnd) << field.name.toStdString();
    previousEnd = field.offset + field.size;
    EXPECT_TRUE(names.insert(field.name).second) << "duplicate " << field.name.toStdString();
  }
  EXPECT_EQ(ConfigFields().front().name, QStringLiteral("version"));
  EXPECT_EQ(ConfigFields().back().name, QStringLiteral("collect_master_config.compound_id"));
}

struct FieldPlace {
  const char* name;
  int offset;
  int size;
  FieldKind kind;
};

// Offsets as the device documentation lists them.
class ConfigFieldPlaces : public ::testing::TestWithParam<FieldPlace> {};

TEST_P(ConfigFieldPlaces, SitWhereTheDeviceKeepsThem) {
  const FieldPlace& expected = GetParam();
  const ConfigField& field = Field(expected.name);
  EXPECT_EQ(field.offset, expected.offset);
  EXPECT_EQ(field.size, expected.size);
  EXPECT_EQ(field.kind, expected.kind);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, ConfigFieldPlaces,
    ::testing::Values(FieldPlace{"version", 0, 2, FieldKind::Unsigned},
                      FieldPlace{"cfg_crc16", 2, 2, FieldKind::Unsigned},
                      FieldPlace{"sensor_type", 4, 1, FieldKind::Unsigned},
                      FieldPlace{"can_output_to_send", 6, 1, FieldKind::Unsigned},
                      FieldPlace{"can_message_config[0].IDR0", 7, 1, FieldKind::Unsigned},
                      FieldPlace{"can_message_config[1].IDR0", 17, 1, FieldKind::Unsigned},
                      FieldPlace{"can_message_config[3].compound_id", 42, 1, FieldKind::Unsigned},
                      FieldPlace{"display_config.output_to_display", 47, 1, FieldKind::Unsigned},
                      FieldPlace{"display_config.filter_time", 49, 1, FieldKind::Unsigned},
                      FieldPlace{"display_config.table2_decimal_places", 52, 1, FieldKind::Unsigned},
                      FieldPlace{"output_table[0].output_name", 56, 16, FieldKind::Text},
                      FieldPlace{"output_table[0].num_rows", 72, 1, FieldKind::Unsigned},
                      FieldPlace{"output_table[0].values[0]", 73, 4, FieldKind::Point},
                      FieldPlace{"output_table[0].values[31]", 197, 4, FieldKind::Point},
                      FieldPlace{"output_table[0].decimal_places", 201, 1, FieldKind::Unsigned},
                      FieldPlace{"output_table[1].output_name", 205, 16, FieldKind::Text},
                      FieldPlace{"output_table[1].values[0]", 222, 4, FieldKind::Point},
                      FieldPlace{"analog_out_table.out_function", 354, 1, FieldKind::Unsigned},
                      FieldPlace{"analog_out_table.values[0]", 357, 4, FieldKind::Point},
                      FieldPlace{"analog_out_table.default_output", 485, 2, FieldKind::Signed},
                      FieldPlace{"user_cal_table.num_rows", 489, 1, FieldKind::Unsigned},
                      FieldPlace{"user_cal_table.values[31]", 614, 4, FieldKind::Point},
                      FieldPlace{"pid_settings.ntk_sensor.p", 622, 2, FieldKind::Signed},
                      FieldPlace{"pid_settings.bosch_sensor.i", 630, 2, FieldKind::Signed},
                      FieldPlace{"pid_settings.heater.d", 638, 2, FieldKind::Signed},
                      FieldPlace{"user_cal_resistor", 640, 2, FieldKind::Unsigned},
                      FieldPlace{"sensor_cal_method", 644, 1, FieldKind::Unsigned},
                      FieldPlace{"dig_input_mode[0]", 647, 1, FieldKind::Unsigned},
                      FieldPlace{"dig_input_mode[1]", 648, 1, FieldKind::Unsigned},
                      FieldPlace{"prevent_sensor_timeout", 652, 1, FieldKind::Unsigned},
                      FieldPlace{"user_gain_factor", 653, 2, FieldKind::Signed},
                      FieldPlace{"collect_master_config.IDR0", 655, 1, FieldKind::Unsigned},
                      FieldPlace{"collect_master_config.message_rate", 659, 1, FieldKind::Unsigned}));

TEST(ConfigFields, ReservedBytesAreTheRecordsSpareRuns) {
  for (int offset : {13, 16, 53, 55, 202, 204, 351, 353, 487, 488, 618, 621, 645, 646, 661, 664, 665, 671}) {
    EXPECT_TRUE(IsReservedOffset(offset)) << offset;
  }
  for (int offset : {0, 12, 17, 52, 56, 201, 205, 485, 486, 489, 617, 622, 644, 647, 660, 672}) {
    EXPECT_FALSE(IsReservedOffset(offset)) << offset;
  }
}

TEST(ConfigFields, UnknownNameIsNotFound) {
  EXPECT_EQ(FindConfigField(QStringLiteral("output_table[2].num_rows")), nullptr);
  EXPECT_EQ(FindConfigField(QStringLiteral("reserved1")), nullptr);
}

TEST(ConfigFieldValues, ReadIntegersInTheirOwnSignedness) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.cfg_crc16 = 0xFFFF;
  config.sensor_type = 255;
  config.analog_out_table.default_output = -2500;
  config.pid_settings.heater.p = -1;
  config.user_gain_factor = -32768;
  config.user_cal_resistor = 40000;
  config.can_message_config[2].IDR3 = 0x80;
  EXPECT_EQ(FieldValueText(config, Field("version")), QStringLiteral("110"));
  EXPECT_EQ(FieldValueText(config, Field("cfg_crc16")), QStringLiteral("65535"));
  EXPECT_EQ(FieldValueText(config, Field("sensor_type")), QStringLiteral("255"));
  EXPECT_EQ(FieldValueText(config, Field("analog_out_table.default_output")), QStringLiteral("-2500"));
  EXPECT_EQ(FieldValueText(config, Field("pid_settings.heater.p")), QStringLiteral("-1"));
  EXPECT_EQ(FieldValueText(config, Field("user_gain_factor")), QStringLiteral("-32768"));
  EXPECT_EQ(FieldValueText(config, Field("user_cal_resistor")), QStringLiteral("40000"));
  EXPECT_EQ(FieldValueText(config, Field("can_message_config[2].IDR3")), QStringLiteral("128"));
}

TEST(ConfigFieldValues, PointIsInputThenOutput) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.output_table[1].values[3] = {1500, -200};
  config.user_cal_table.values[31] = {-32768, 32767};
  EXPECT_EQ(FieldValueText(config, Field("output_table[1].values[3]")), QStringLiteral("1500, -200"));
  EXPECT_EQ(FieldValueText(config, Field("user_cal_table.values[31]")), QStringLiteral("-32768, 32767"));
  EXPECT_EQ(FieldValueJson(config, Field("output_table[1].values[3]")), QByteArray("[1500, -200]"));
  EXPECT_EQ(FieldValueText(config, Field("output_table[0].values[3]")), QStringLiteral("0, 0"));
}

struct QuoteCase {
  QByteArray bytes;
  const char* quoted;
};

class ConfigTextQuoting : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(ConfigTextQuoting, ShowsEveryByteAsPrintableAscii) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  SetName(config, 0, GetParam().bytes);
  EXPECT_EQ(FieldValueText(config, Field("output_table[0].output_name")),
            QString::fromLatin1(GetParam().quoted));
}

INSTANTIATE_TEST_SUITE_P(Texts, ConfigTextQuoting,
                         ::testing::Values(QuoteCase{"Lambda", R"("Lambda")"}, QuoteCase{"", R"("")"},
                                           QuoteCase{"say \"hi\"", R"("say \"hi\"")"},
                                           QuoteCase{"C:\\x", R"("C:\\x")"},
                                           QuoteCase{"tab\there", R"("tab\x09here")"},
                                           QuoteCase{"\x7F\x80\xFF", R"("\x7F\x80\xFF")"},
                                           // Stops at the first zero byte.
                                           QuoteCase{QByteArray("AB\0CD", 5), R"("AB")"},
                                           // All 16 bytes used: no terminator, no read beyond.
                                           QuoteCase{"0123456789ABCDEF", R"("0123456789ABCDEF")"}));

TEST(ConfigFieldValues, TextNeverSpillsIntoTheNextField) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  SetName(config, 0, "0123456789ABCDEF");
  config.output_table[0].num_rows = 'Z';
  EXPECT_EQ(FieldText(config, Field("output_table[0].output_name")), QByteArray("0123456789ABCDEF"));
}

TEST(ConfigFieldValues, AllBytesExtentShowsWhatFollowsTheTerminator) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  SetName(config, 1, QByteArray("Lam\0x", 5));
  const ConfigField& name = Field("output_table[1].output_name");
  EXPECT_EQ(FieldValueText(config, name), QStringLiteral("\"Lam\""));
  EXPECT_EQ(FieldValueText(config, name, TextExtent::AllBytes), QStringLiteral("\"Lam\\x00x\""));
}

TEST(ConfigFieldValues, FieldBytesEqualLooksAtTheWholeField) {
  QVA_CONFIG_DATA a = MakeBlankConfig();
  QVA_CONFIG_DATA b = a;
  SetName(a, 0, QByteArray("N\0A", 3));
  SetName(b, 0, QByteArray("N\0B", 3));
  EXPECT_FALSE(FieldBytesEqual(a, b, Field("output_table[0].output_name")));
  EXPECT_TRUE(FieldBytesEqual(a, b, Field("output_table[1].output_name")));
  b.output_table[0].values[5].y = 1;
  EXPECT_FALSE(FieldBytesEqual(a, b, Field("output_table[0].values[5]")));
  EXPECT_TRUE(FieldBytesEqual(a, b, Field("output_table[0].values[4]")));
}

TEST(ConfigFieldJson, EveryByteValueGivesValidJsonThatReadsBackAsLatin1) {
  QByteArray all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  const QByteArray literal = JsonStringFromBytes(all);
  for (const char c : literal) {
    EXPECT_TRUE(static_cast<uint8_t>(c) >= 0x20 && static_cast<uint8_t>(c) < 0x7F) << int(c);
  }
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson("[" + literal + "]", &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  EXPECT_EQ(document.array().at(0).toString(), QString::fromLatin1(all));
}

TEST(ConfigFieldJson, NumbersAndTextsAreJsonValues) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.pid_settings.bosch_sensor.d = -7;
  SetName(config, 0, "a\"b\\c");
  EXPECT_EQ(FieldValueJson(config, Field("pid_settings.bosch_sensor.d")), QByteArray("-7"));
  EXPECT_EQ(FieldValueJson(config, Field("output_table[0].output_name")), QByteArray(R"("a\"b\\c")"));
}
