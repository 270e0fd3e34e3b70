// The assignments of qva-cli set: what each field takes, what it refuses
// and with which words, and the dump text read back into a record.

#include <cstring>

#include <gtest/gtest.h>

#include "clitestsupport.h"
#include "config/configfields.h"
#include "configedits.h"
#include "configreport.h"
#include "platform/qvaerrors.h"

namespace {

// The message of the EConvertError that work raises; empty when none.
template <typename Work>
QString Refusal(Work work) {
  try {
    work();
  } catch (const EConvertError& error) {
    return error.Message();
  }
  return {};
}

QString ValueAfter(const QString& assignment, const QString& name) {
  QVA_CONFIG_DATA config = SampleConfig();
  ApplyFieldEdits(config, {ParseAssignment(assignment)});
  return FieldValueText(config, *FindConfigField(name));
}

struct Accepted {
  const char* assignment;
  const char* name;
  const char* shown;  // the field's value as dump shows it afterwards
};

const Accepted kAccepted[] = {
    {"display_config.filter_time=5", "display_config.filter_time", "5"},
    {"  display_config.filter_time =  0x1F ", "display_config.filter_time", "31"},
    {"display_config.filter_time=017", "display_config.filter_time", "15"},
    {"display_config.filter_time=255", "display_config.filter_time", "255"},
    {"display_config.filter_time=-0", "display_config.filter_time", "0"},
    {"sensor_type=+3", "sensor_type", "3"},
    {"user_gain_factor=-32768", "user_gain_factor", "-32768"},
    {"user_gain_factor=0x7fff", "user_gain_factor", "32767"},
    {"user_gain_factor=-0X10", "user_gain_factor", "-16"},
    {"user_cal_resistor=65535", "user_cal_resistor", "65535"},
    {"output_table[0].values[3]=-5, 0x10", "output_table[0].values[3]", "-5, 16"},
    {"output_table[0].values[3]= 1 ,2 ", "output_table[0].values[3]", "1, 2"},
    {"user_cal_table.values[0]=-32768,32767", "user_cal_table.values[0]", "-32768, 32767"},
    {"output_table[0].output_name=Lambda 2", "output_table[0].output_name", R"("Lambda 2")"},
    {"output_table[0].output_name=a=b", "output_table[0].output_name", R"("a=b")"},
    {"output_table[0].output_name=a\\x41\"", "output_table[0].output_name", R"("a\\x41\"")"},
    {"output_table[0].output_name=123456789012345", "output_table[0].output_name", R"("123456789012345")"},
    {"output_table[0].output_name=", "output_table[0].output_name", R"("")"},
    {R"(output_table[0].output_name="")", "output_table[0].output_name", R"("")"},
    {R"(output_table[0].output_name="  x ")", "output_table[0].output_name", R"("  x ")"},
    {R"(output_table[0].output_name="q\"b\\c\x01\xfF~")", "output_table[0].output_name",
     R"("q\"b\\c\x01\xFF~")"},
    {"output_table[1].output_name=Gr\u00FC\u00DFe", "output_table[1].output_name", R"("Gr\xFC\xDFe")"},
};

class ConfigEditsAccepted : public ::testing::TestWithParam<Accepted> {};

TEST_P(ConfigEditsAccepted, StoresTheValueDumpThenShows) {
  const Accepted& accepted = GetParam();
  EXPECT_EQ(ValueAfter(QString::fromUtf8(accepted.assignment), QString::fromLatin1(accepted.name)),
            QString::fromLatin1(accepted.shown));
}

INSTANTIATE_TEST_SUITE_P(Assignments, ConfigEditsAccepted, ::testing::ValuesIn(kAccepted));

struct Refused {
  const char* assignment;
  const char* message;
};

const Refused kRefused[] = {
    {"foo=1", R"(Unknown field "foo". (qva-cli dump FILE lists the names.))"},
    {"filter_time=1", R"(Unknown field "filter_time". (qva-cli dump FILE lists the names.))"},
    {"=1", R"(Unknown field "". (qva-cli dump FILE lists the names.))"},
    {"fo\x01o\x1B[2J=1", R"(Unknown field "fo?o?[2J". (qva-cli dump FILE lists the names.))"},
    {"display_config.filter_time", R"("display_config.filter_time" is not an assignment NAME=VALUE.)"},
    {"display_config.filter_time=300",
     R"(display_config.filter_time: "300" is not a whole number from 0 to 255.)"},
    {"display_config.filter_time=-1",
     R"(display_config.filter_time: "-1" is not a whole number from 0 to 255.)"},
    {"display_config.filter_time=", R"(display_config.filter_time: "" is not a whole number from 0 to 255.)"},
    {"display_config.filter_time=1.5",
     R"(display_config.filter_time: "1.5" is not a whole number from 0 to 255.)"},
    {"display_config.filter_time=0x",
     R"(display_config.filter_time: "0x" is not a whole number from 0 to 255.)"},
    {"display_config.filter_time=08",
     R"(display_config.filter_time: "08" is not a whole number from 0 to 255.)"},
    {"display_config.filter_time=%1%2",
     R"(display_config.filter_time: "%1%2" is not a whole number from 0 to 255.)"},
    {"output_table[0].output_name=%1 %2 %3 %4 %5 %6",
     R"(output_table[0].output_name: "%1 %2 %3 %4 %5 %6" is longer than 15 characters.)"},
    {"display_config.filter_time=5 5",
     R"(display_config.filter_time: "5 5" is not a whole number from 0 to 255.)"},
    {"user_gain_factor=32768", R"(user_gain_factor: "32768" is not a whole number from -32768 to 32767.)"},
    {"user_cal_resistor=65536", R"(user_cal_resistor: "65536" is not a whole number from 0 to 65535.)"},
    {"user_cal_resistor=99999999999999999999",
     R"(user_cal_resistor: "99999999999999999999" is not a whole number from 0 to 65535.)"},
    {"output_table[0].values[3]=1500",
     R"(output_table[0].values[3]: "1500" is not a table row "input, output" of whole numbers from -32768 to 32767.)"},
    {"output_table[0].values[3]=1, 2, 3",
     R"(output_table[0].values[3]: "1, 2, 3" is not a table row "input, output" of whole numbers from -32768 to 32767.)"},
    {"output_table[0].values[3]=1,",
     R"(output_table[0].values[3]: "1," is not a table row "input, output" of whole numbers from -32768 to 32767.)"},
    {"output_table[0].values[3]=40000, 1",
     R"(output_table[0].values[3]: "40000, 1" is not a table row "input, output" of whole numbers from -32768 to 32767.)"},
    {"output_table[0].output_name=1234567890123456",
     R"(output_table[0].output_name: "1234567890123456" is longer than 15 characters.)"},
    {R"(output_table[0].output_name="123456789012345\x00")",
     R"(output_table[0].output_name: "123456789012345\x00" is longer than 15 characters.)"},
    {R"(output_table[0].output_name="\x41\x00Z")",
     R"(output_table[0].output_name: "\x41\x00Z" holds a zero byte (\x00), which would end the name there; a name cannot hold one.)"},
    {R"(output_table[0].output_name="AB\x00")",
     R"(output_table[0].output_name: "AB\x00" holds a zero byte (\x00), which would end the name there; a name cannot hold one.)"},
    {R"(output_table[0].output_name="abc)",
     R"(output_table[0].output_name: "abc is not a quoted text as dump prints it (inside the quotes only \", \\ and \xNN are escapes).)"},
    {R"(output_table[0].output_name="a\qb")",
     R"(output_table[0].output_name: "a\qb" is not a quoted text as dump prints it (inside the quotes only \", \\ and \xNN are escapes).)"},
    {R"(output_table[0].output_name="a"b")",
     R"(output_table[0].output_name: "a"b" is not a quoted text as dump prints it (inside the quotes only \", \\ and \xNN are escapes).)"},
    {R"(output_table[0].output_name="\x4")",
     R"(output_table[0].output_name: "\x4" is not a quoted text as dump prints it (inside the quotes only \", \\ and \xNN are escapes).)"},
    {R"(output_table[0].output_name="abc\")",
     R"(output_table[0].output_name: "abc\" is not a quoted text as dump prints it (inside the quotes only \", \\ and \xNN are escapes).)"},
    {"output_table[0].output_name=\u03A9mega",
     "output_table[0].output_name: \"\u03A9mega\" has a character that does not fit in one byte (only "
     "Latin-1 "
     "characters can be stored)."},
    {"output_table[0].output_name=1234567890123456789012345678901234567890123456789012345678901234567890",
     R"(output_table[0].output_name: "123456789012345678901234567890123456789012345678901234567890..." is longer than 15 characters.)"},
    {"cfg_crc16=1",
     "cfg_crc16 cannot be set: the checksum is computed whenever the configuration is sent to the meter."},
    {"version=110",
     "version cannot be set: it says which layout the record has (the desktop program upgrades an older file "
     "when it opens it)."},
};

class ConfigEditsRefused : public ::testing::TestWithParam<Refused> {};

TEST_P(ConfigEditsRefused, NamesTheFieldTheValueAndWhatItTakes) {
  const Refused& refused = GetParam();
  EXPECT_EQ(Refusal([&] { ParseAssignment(QString::fromUtf8(refused.assignment)); }),
            QString::fromUtf8(refused.message));
}

INSTANTIATE_TEST_SUITE_P(Assignments, ConfigEditsRefused, ::testing::ValuesIn(kRefused));

TEST(ConfigEdits, AFieldGivenTwiceIsRefused) {
  EXPECT_EQ(
      Refusal([] {
        ParseAssignments({QStringLiteral("sensor_type=1"), QStringLiteral("display_config.filter_time=2"),
                          QStringLiteral(" sensor_type = 1")});
      }),
      QStringLiteral("sensor_type is given twice."));
}

TEST(ConfigEdits, UnquoteIsTheInverseOfQuoteForEveryByte) {
  QByteArray every;
  for (int byte = 0; byte < 256; ++byte) every += static_cast<char>(byte);
  for (const QByteArray& bytes :
       {every, QByteArray(), QByteArray("\""), QByteArray("\\"), QByteArray("\\\""), QByteArray("\"\"\\\\"),
        QByteArray("\\x41"), QByteArray("x"), QByteArray("\0\0", 2), QByteArray(" lead and trail ")}) {
    EXPECT_EQ(UnquoteBytes(QuoteBytes(bytes)), std::optional<QByteArray>(bytes))
        << QuoteBytes(bytes).toStdString();
  }
}

TEST(ConfigEdits, UnquoteRefusesWhatQuoteNeverWrites) {
  for (const char* text : {"", "\"", "abc", "\"abc", "abc\"", "\"a\"b\"", "\"\\\"", "\"\\n\"", "\"\\x\"",
                           "\"\\x4\"", "\"\\xG0\"", "\"\\\\\\\""}) {
    EXPECT_EQ(UnquoteBytes(QString::fromLatin1(text)), std::nullopt) << text;
  }
  EXPECT_EQ(UnquoteBytes(QStringLiteral("\"\u20AC\"")), std::nullopt);
}

TEST(ConfigEdits, CountsTheFieldsWhoseBytesChanged) {
  QVA_CONFIG_DATA config = SampleConfig();
  const auto edits = ParseAssignments({QStringLiteral("sensor_type=2"), QStringLiteral("can_bit_rate=9"),
                                       QStringLiteral("output_table[0].output_name=Lambda"),
                                       QStringLiteral("output_table[1].output_name=AFR2")});
  EXPECT_EQ(ApplyFieldEdits(config, edits), 2);  // sensor_type and the first name were already so
  EXPECT_EQ(config.can_bit_rate, 9);
  EXPECT_STREQ(config.output_table[1].output_name, "AFR2");
}

TEST(ConfigEdits, AnUnchangedNameKeepsTheBytesAfterItsTerminatorAndANewOneZeroFills) {
  QVA_CONFIG_DATA config = SampleConfig();
  config.output_table[0].output_name[10] = 'Q';
  const QVA_CONFIG_DATA before = config;
  EXPECT_EQ(ApplyFieldEdits(config, {ParseAssignment(QStringLiteral("output_table[0].output_name=Lambda"))}),
            0);
  EXPECT_TRUE(ConfigsEqual(config, before));
  EXPECT_EQ(ApplyFieldEdits(config, {ParseAssignment(QStringLiteral("output_table[0].output_name=Lamb"))}),
            1);
  EXPECT_EQ(QByteArray(config.output_table[0].output_name, 16),
            QByteArray("Lamb\0\0\0\0\0\0\0\0\0\0\0\0", 16));
}

// Records whose dump must come back exactly: samples, an old version, names
// with every kind of byte and filled to their last character.
std::vector<QVA_CONFIG_DATA> RoundTripRecords() {
  std::vector<QVA_CONFIG_DATA> records{SampleConfig(), SampleConfig({.seed = 7, .sensorType = 1}),
                                       SampleConfig({.version = 100})};
  QVA_CONFIG_DATA odd = SampleConfig({.seed = 200});
  std::memcpy(odd.output_table[0].output_name, "\"\\\x01\x7F\x80\xFF=#, x\t", 12);
  std::memcpy(odd.output_table[1].output_name, "123456789012345", 16);
  odd.user_gain_factor = INT16_MIN;
  odd.analog_out_table.values[31] = {INT16_MAX, INT16_MIN};
  records.push_back(odd);
  return records;
}

TEST(ConfigEditsDump, ADumpAppliedToAnotherRecordReproducesTheDump) {
  for (const QVA_CONFIG_DATA& record : RoundTripRecords()) {
    const QByteArray dump = DumpText(record);
    QVA_CONFIG_DATA other = MakeBlankConfig();
    other.version = record.version;
    const int changed = ApplyFieldEdits(other, ParseDumpText(dump, QStringLiteral("d.txt"), record.version));
    EXPECT_GT(changed, 10);
    EXPECT_EQ(DumpText(other), dump);

    QVA_CONFIG_DATA same = record;
    EXPECT_EQ(ApplyFieldEdits(same, ParseDumpText(dump, QStringLiteral("d.txt"), record.version)), 0);
    EXPECT_TRUE(ConfigsEqual(same, record));
  }
}

TEST(ConfigEditsDump, SkipsBlankAndCommentLinesAndToleratesCrLfAndAByteOrderMark) {
  const QByteArray text =
      "\xEF\xBB\xBF# edited by hand\r\n"
      "\r\n"
      "   # indented comment\n"
      "sensor_type = 3\r\n"
      "  output_table[0].output_name=\"Air\"  \r\n"
      "\n";
  QVA_CONFIG_DATA config = SampleConfig();
  EXPECT_EQ(ApplyFieldEdits(config, ParseDumpText(text, QStringLiteral("d.txt"), kCurrentConfigVersion)), 2);
  EXPECT_EQ(config.sensor_type, 3);
  EXPECT_STREQ(config.output_table[0].output_name, "Air");
}

struct DumpRefused {
  const char* title;
  QByteArray text;
  const char* message;
};

class ConfigEditsDumpRefused : public ::testing::TestWithParam<DumpRefused> {};

TEST_P(ConfigEditsDumpRefused, NamesTheLineAndTheReason) {
  const DumpRefused& refused = GetParam();
  EXPECT_EQ(Refusal([&] { ParseDumpText(refused.text, QStringLiteral("w.txt"), 110); }),
            QString::fromUtf8(refused.message));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ConfigEditsDumpRefused,
    ::testing::Values(
        DumpRefused{"NoEquals", "sensor_type = 2\n\nsensor type 2\n",
                    R"(w.txt:3: "sensor type 2" is not a line "name = value".)"},
        DumpRefused{"UnknownName", "# x\r\nfrob = 1\r\n",
                    R"(w.txt:2: Unknown field "frob". (qva-cli dump FILE lists the names.))"},
        DumpRefused{"BadValue", "display_config.filter_time = 256\n",
                    R"(w.txt:1: display_config.filter_time: "256" is not a whole number from 0 to 255.)"},
        DumpRefused{"Twice", "sensor_type = 2\nsensor_type = 2\n", "w.txt:2: sensor_type is given twice."},
        DumpRefused{
            "OtherVersion", "version = 100\n",
            R"(w.txt:1: version: "100" is not the file's version (110); set does not change a file's version.)"},
        DumpRefused{"VersionWithPlaceholders", "version = %1\n",
                    R"(w.txt:1: version: "%1" is not a whole number from 0 to 65535.)"},
        DumpRefused{"NothingToApply", "# only a comment\n\n", R"(w.txt has no "name = value" lines.)"},
        DumpRefused{"Empty", "", R"(w.txt has no "name = value" lines.)"},
        DumpRefused{"NotUtf8", "output_table[0].output_name = \"\xC3\"\n",
                    "w.txt:1: output_table[0].output_name: \"\xEF\xBF\xBD\" has a character that does not "
                    "fit in one byte (only Latin-1 characters can be stored)."},
        DumpRefused{"TooLarge", QByteArray(1024 * 1024 + 1, '#'),
                    "w.txt is larger than 1 MiB: it is not the dump of a setup file."}),
    [](const ::testing::TestParamInfo<DumpRefused>& param) { return param.param.title; });

TEST(ConfigEditsDump, TakesCfgCrc16AsTheDumpHasItAndTheFilesOwnVersion) {
  QVA_CONFIG_DATA config = SampleConfig();
  const auto edits = ParseDumpText("version = 110\ncfg_crc16 = 0x1234\n", QStringLiteral("d.txt"), 110);
  EXPECT_EQ(ApplyFieldEdits(config, edits), 1);
  EXPECT_EQ(config.cfg_crc16, 0x1234);
  EXPECT_EQ(config.version, 110);
}

}  // namespace
