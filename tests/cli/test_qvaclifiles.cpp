// qva-cli's file commands, run as a process on files the program's own
// writer made.

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "clitestsupport.h"
#include "config/configfields.h"
#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"
#include "support/testenvironment.h"

namespace {

QList<QByteArray> Lines(const QByteArray& text) {
  QList<QByteArray> lines = text.split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

QByteArray FileError(const QString& path, const QString& message) {
  return (path + QStringLiteral(":\n") + message + QLatin1Char('\n')).toLocal8Bit();
}

}  // namespace

TEST(CliDump, PrintsEveryNamedFieldInRecordOrder) {
  const QString path = WriteSetup(QStringLiteral("Workshop.Q11"), SampleConfig());
  const CliResult result = RunQvaCli({QStringLiteral("dump"), path});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.err.isEmpty());
  const QList<QByteArray> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), static_cast<qsizetype>(ConfigFields().size()));
  for (std::size_t i = 0; i < ConfigFields().size(); ++i) {
    EXPECT_TRUE(lines[i].startsWith(ConfigFields()[i].name.toLatin1() + " = ")) << lines[i].toStdString();
  }
  for (const char* expected : {"version = 110",
                               "cfg_crc16 = 48879",
                               "sensor_type = 2",
                               "can_message_config[1].IDR0 = 180",
                               "display_config.filter_time = 25",
                               "output_table[0].output_name = \"Lambda\"",
                               "output_table[0].values[3] = 1500, 200",
                               "output_table[0].values[0] = 0, -400",
                               "output_table[0].values[31] = 0, 0",
                               "output_table[1].output_name = \"AFR\"",
                               "analog_out_table.values[1] = -1000, 5000",
                               "analog_out_table.default_output = 2500",
                               "user_cal_table.values[31] = 32767, -32768",
                               "pid_settings.heater.p = 12",
                               "pid_settings.ntk_sensor.i = -3",
                               "user_cal_resistor = 61234",
                               "dig_input_mode[1] = 3",
                               "user_gain_factor = -1500",
                               "collect_master_config.IDR1 = 7",
                               "collect_master_config.message_rate = 0"}) {
    EXPECT_TRUE(lines.contains(QByteArray(expected))) << expected;
  }
}

TEST(CliDump, ShowsAnOldFileAsStoredWithoutUpgrading) {
  QVA_CONFIG_DATA old = SampleConfig();
  old.version = 100;
  old.display_config.output_to_display = 1;
  old.display_config.table2_decimal_places = 9;
  const QString path = WriteSetup(QStringLiteral("Old.QV1"), old);
  const CliResult result = RunQvaCli({QStringLiteral("dump"), path});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  const QList<QByteArray> lines = Lines(result.out);
  EXPECT_TRUE(lines.contains("version = 100"));
  EXPECT_TRUE(lines.contains("display_config.table2_decimal_places = 9"));
  EXPECT_TRUE(lines.contains("display_config.table1_decimal_places = 2"));
}

TEST(CliDump, ReadsAFileWithBytesAfterTheRecord) {
  const QString path = TestEnvironment::PathIn(QStringLiteral("Long.Q11"));
  WriteAll(path, SetupFileBytes(SampleConfig()) + QByteArray("\x1A", 1));
  const CliResult result = RunQvaCli({QStringLiteral("dump"), path});
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(Lines(result.out).contains("sensor_type = 2"));
}

TEST(CliDump, QuotesAnOddNameSafely) {
  QVA_CONFIG_DATA config = SampleConfig();
  std::memcpy(config.output_table[1].output_name,
              "a\"b\\c\x01\xFF\x7F"
              "0123456789",
              16);  // no terminator
  const CliResult result = RunQvaCli({QStringLiteral("dump"), WriteSetup(QStringLiteral("Odd.Q11"), config)});
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_TRUE(Lines(result.out).contains(R"(output_table[1].output_name = "a\"b\\c\x01\xFF\x7F01234567")"))
      << result.out.toStdString();
  EXPECT_TRUE(Lines(result.out).contains("output_table[1].num_rows = 2"));  // the field after the name
}

TEST(CliDumpJson, GivesOneObjectWithTheSameNamesAndValues) {
  const QString path = WriteSetup(QStringLiteral("Workshop.Q11"), SampleConfig());
  const CliResult result = RunQvaCli({QStringLiteral("dump"), QStringLiteral("--json"), path});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  ASSERT_TRUE(document.isObject());
  const QJsonObject object = document.object();
  EXPECT_EQ(object.size(), static_cast<qsizetype>(ConfigFields().size()));
  for (const ConfigField& field : ConfigFields())
    EXPECT_TRUE(object.contains(field.name)) << field.name.toStdString();
  EXPECT_EQ(object.value(QStringLiteral("version")).toInt(), 110);
  EXPECT_EQ(object.value(QStringLiteral("can_message_config[1].IDR0")).toInt(), 180);
  EXPECT_EQ(object.value(QStringLiteral("user_gain_factor")).toInt(), -1500);
  EXPECT_EQ(object.value(QStringLiteral("user_cal_resistor")).toInt(), 61234);
  EXPECT_EQ(object.value(QStringLiteral("output_table[0].output_name")).toString(), QStringLiteral("Lambda"));
  const QJsonArray row = object.value(QStringLiteral("output_table[0].values[3]")).toArray();
  ASSERT_EQ(row.size(), 2);
  EXPECT_EQ(row.at(0).toInt(), 1500);
  EXPECT_EQ(row.at(1).toInt(), 200);
  const QJsonArray extreme = object.value(QStringLiteral("user_cal_table.values[31]")).toArray();
  ASSERT_EQ(extreme.size(), 2);
  EXPECT_EQ(extreme.at(0).toInt(), 32767);
  EXPECT_EQ(extreme.at(1).toInt(), -32768);
}

TEST(CliDumpJson, StaysValidJsonWhateverBytesTheNameHolds) {
  QVA_CONFIG_DATA config = SampleConfig();
  const char odd[16] = {'"',
                        '\\',
                        '\n',
                        '\t',
                        0x01,
                        0x1F,
                        0x7F,
                        static_cast<char>(0x80),
                        static_cast<char>(0xC3),
                        static_cast<char>(0xFF),
                        '}',
                        ',',
                        '{',
                        'x',
                        'y',
                        'z'};
  std::memcpy(config.output_table[0].output_name, odd, sizeof odd);
  const CliResult result = RunQvaCli(
      {QStringLiteral("dump"), WriteSetup(QStringLiteral("Odd.Q11"), config), QStringLiteral("--json")});
  ASSERT_EQ(result.exitCode, 0);
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  EXPECT_EQ(document.object().value(QStringLiteral("output_table[0].output_name")).toString(),
            QString::fromLatin1(odd, sizeof odd));
  EXPECT_EQ(document.object().value(QStringLiteral("output_table[0].num_rows")).toInt(), 4);
}

TEST(CliDiff, EqualFilesExitZeroSilently) {
  const QString a = WriteSetup(QStringLiteral("A.Q11"), SampleConfig());
  const QString b = WriteSetup(QStringLiteral("B.Q11"), SampleConfig());
  const CliResult result = RunQvaCli({QStringLiteral("diff"), a, b});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(result.out.isEmpty());
  EXPECT_TRUE(result.err.isEmpty());
}

TEST(CliDiff, ListsEachDifferingFieldInRecordOrder) {
  QVA_CONFIG_DATA before = SampleConfig();
  QVA_CONFIG_DATA after = before;
  after.user_gain_factor = 250;
  after.sensor_type = 3;
  after.output_table[0].values[3].y = -200;
  std::strcpy(after.output_table[1].output_name, "Lambda 2");
  const CliResult result = RunQvaCli({QStringLiteral("diff"), WriteSetup(QStringLiteral("A.Q11"), before),
                                      WriteSetup(QStringLiteral("B.Q11"), after)});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(Lines(result.out),
            (QList<QByteArray>{"sensor_type: 2 -> 3", "output_table[0].values[3]: 1500, 200 -> 1500, -200",
                               R"(output_table[1].output_name: "AFR" -> "Lambda 2")",
                               "user_gain_factor: -1500 -> 250"}));
}

TEST(CliDiff, NamesReservedBytesByOffset) {
  QVA_CONFIG_DATA before = SampleConfig();
  QVA_CONFIG_DATA after = before;
  after.reserved1[0] = 0x55;
  after.reserved2[5] = 0x01;
  const CliResult result = RunQvaCli({QStringLiteral("diff"), WriteSetup(QStringLiteral("A.Q11"), before),
                                      WriteSetup(QStringLiteral("B.Q11"), after)});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(Lines(result.out), (QList<QByteArray>{"reserved bytes differ at offsets: 645, 670"}));
}

TEST(CliDiff, DoesNotUpgradeAnOldFileBeforeComparing) {
  QVA_CONFIG_DATA old = SampleConfig();
  old.version = 100;
  const CliResult result = RunQvaCli({QStringLiteral("diff"), WriteSetup(QStringLiteral("Old.QV1"), old),
                                      WriteSetup(QStringLiteral("New.Q11"), SampleConfig())});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(Lines(result.out), (QList<QByteArray>{"version: 100 -> 110"}));
}

TEST(CliDiff, ShowsANameThatDiffersOnlyAfterItsTerminator) {
  QVA_CONFIG_DATA before = SampleConfig();
  QVA_CONFIG_DATA after = before;
  after.output_table[0].output_name[10] = 'Q';
  const CliResult result = RunQvaCli({QStringLiteral("diff"), WriteSetup(QStringLiteral("A.Q11"), before),
                                      WriteSetup(QStringLiteral("B.Q11"), after)});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(Lines(result.out),
            (QList<QByteArray>{R"(output_table[0].output_name: "Lambda" -> "Lambda\x00\x00\x00\x00Q")"}));
}

TEST(CliDiff, NamesTheFileThatCannotBeRead) {
  const QString good = WriteSetup(QStringLiteral("A.Q11"), SampleConfig());
  const QString bad = TestEnvironment::PathIn(QStringLiteral("Short.Q11"));
  WriteAll(bad, SetupFileBytes(SampleConfig()).left(943));
  const CliResult result = RunQvaCli({QStringLiteral("diff"), good, bad});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.out.isEmpty());
  EXPECT_EQ(result.err, FileError(bad, QStringLiteral("File format not valid")));
}

struct BadFileCase {
  const char* title;
  QByteArray (*bytes)();  // nullptr: no file at all
  QString (*message)();
};

QByteArray Truncated() {
  return SetupFileBytes(SampleConfig()).left(943);
}
QByteArray WrongTag() {
  QByteArray bytes = SetupFileBytes(SampleConfig());
  bytes[3] = 'X';
  bytes[8] = 2;  // the tag is looked at before the version
  return bytes;
}
QByteArray Version2() {
  QByteArray bytes = SetupFileBytes(SampleConfig());
  bytes[8] = 2;
  return bytes;
}
QByteArray ConfigChunkVersion2() {
  QByteArray bytes = SetupFileBytes(SampleConfig());
  bytes[264] = 2;
  return bytes;
}
QByteArray Empty() {
  return {};
}
QString FormatMessage() {
  return QStringLiteral("File format not valid");
}
QString VersionMessage() {
  return QStringLiteral("File version incompatible");
}
QString MissingMessage() {
  return SystemErrorText(ENOENT);
}

class CliBadFiles : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(CliBadFiles, ExitTwoWithTheFilesMessageAndNoReport) {
  const BadFileCase& bad = GetParam();
  const QString path = TestEnvironment::PathIn(QStringLiteral("Bad.Q11"));
  if (bad.bytes) WriteAll(path, bad.bytes());
  for (const QStringList& arguments :
       {QStringList{QStringLiteral("dump"), path},
        QStringList{QStringLiteral("dump"), QStringLiteral("--json"), path},
        QStringList{QStringLiteral("diff"), path, WriteSetup(QStringLiteral("Good.Q11"), SampleConfig())}}) {
    const CliResult result = RunQvaCli(arguments);
    EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(result.err, FileError(path, bad.message()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliBadFiles,
    ::testing::Values(BadFileCase{"Truncated943", &Truncated, &FormatMessage},
                      BadFileCase{"WrongTag", &WrongTag, &FormatMessage},
                      BadFileCase{"SetupChunkVersion2", &Version2, &VersionMessage},
                      BadFileCase{"ConfigChunkVersion2", &ConfigChunkVersion2, &VersionMessage},
                      BadFileCase{"Empty", &Empty, &FormatMessage},
                      BadFileCase{"Missing", nullptr, &MissingMessage}),
    [](const ::testing::TestParamInfo<BadFileCase>& param) { return param.param.title; });

TEST(CliBadFiles, AFolderIsNotReadAsASetupFile) {
  const QString folder = TestEnvironment::PathIn(QStringLiteral("Folder.Q11/x"));
  const QString path = QFileInfo(folder).absolutePath();
  const CliResult result = RunQvaCli({QStringLiteral("dump"), path});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.out.isEmpty());
  EXPECT_TRUE(result.err.startsWith((path + QStringLiteral(":\n")).toLocal8Bit()))
      << result.err.toStdString();
}

struct UsageCase {
  const char* title;
  QStringList arguments;
  const char* firstLine;
  const char* hint;
};

class CliUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsage, ExitTwoWithTheReasonAndWhereToFindHelp) {
  const UsageCase& usage = GetParam();
  const CliResult result = RunQvaCli(usage.arguments);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.out.isEmpty());
  EXPECT_EQ(Lines(result.err), (QList<QByteArray>{usage.firstLine, usage.hint}));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, CliUsage,
    ::testing::Values(
        UsageCase{"NoCommand", {}, "No command given.", "Try \"qva-cli --help\"."},
        UsageCase{"UnknownCommand", {"frob"}, "Unknown command \"frob\".", "Try \"qva-cli --help\"."},
        UsageCase{"HelpForUnknownCommand",
                  {"help", "frob"},
                  "Unknown command \"frob\".",
                  "Try \"qva-cli --help\"."},
        UsageCase{
            "UnknownProgramOption", {"--frob"}, "Unknown option \"--frob\".", "Try \"qva-cli --help\"."},
        UsageCase{"DumpWithoutFile", {"dump"}, "dump needs a setup file.", "Try \"qva-cli help dump\"."},
        UsageCase{"DumpTwoFiles",
                  {"dump", "a.Q11", "b.Q11"},
                  "Unexpected argument \"b.Q11\".",
                  "Try \"qva-cli help dump\"."},
        UsageCase{"DumpUnknownOption",
                  {"dump", "--csv", "a.Q11"},
                  "Unknown option \"--csv\" for dump.",
                  "Try \"qva-cli help dump\"."},
        UsageCase{"JsonWithValue",
                  {"dump", "--json=yes", "a.Q11"},
                  "Option --json takes no value.",
                  "Try \"qva-cli help dump\"."},
        UsageCase{
            "DiffOneFile", {"diff", "a.Q11"}, "diff needs two setup files.", "Try \"qva-cli help diff\"."},
        UsageCase{"DiffRejectsJson",
                  {"diff", "--json", "a.Q11", "b.Q11"},
                  "Unknown option \"--json\" for diff.",
                  "Try \"qva-cli help diff\"."},
        UsageCase{
            "GetWithoutPort", {"get", "-o", "x.Q11"}, "get needs --port PORT.", "Try \"qva-cli help get\"."},
        UsageCase{
            "GetWithoutOutput", {"get", "--port", "COM1"}, "get needs -o FILE.", "Try \"qva-cli help get\"."},
        UsageCase{"PortWithoutValue",
                  {"get", "-o", "x.Q11", "--port"},
                  "Option --port needs a value.",
                  "Try \"qva-cli help get\"."},
        UsageCase{"PortTwice",
                  {"send", "--port", "COM1", "--port=COM2", "a.Q11"},
                  "Option --port is given twice.",
                  "Try \"qva-cli help send\"."},
        UsageCase{"RetriesNotANumber",
                  {"send", "--port", "COM1", "--retries", "x", "a.Q11"},
                  "--retries needs a whole number from 0 to 100, not \"x\".",
                  "Try \"qva-cli help send\"."},
        UsageCase{"RetriesNegative",
                  {"send", "--port", "COM1", "--retries=-1", "a.Q11"},
                  "--retries needs a whole number from 0 to 100, not \"-1\".",
                  "Try \"qva-cli help send\"."},
        UsageCase{"SendWithoutFile",
                  {"send", "--port", "COM1"},
                  "send needs a setup file.",
                  "Try \"qva-cli help send\"."}),
    [](const ::testing::TestParamInfo<UsageCase>& param) { return param.param.title; });

class CliHelp : public ::testing::TestWithParam<QStringList> {};

TEST_P(CliHelp, ListsTheUsageAndEveryExitCode) {
  const CliResult result = RunQvaCli(GetParam());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(result.err.isEmpty());
  EXPECT_TRUE(result.out.startsWith("Usage: qva-cli ")) << result.out.toStdString();
  const QList<QByteArray> lines = Lines(result.out);
  for (const char* code :
       {"  0  success", "  1  the two configurations differ (diff only)",
        "  2  usage error, or a file that cannot be read or written",
        "  3  the configuration stored in the meter is not valid", "  4  firmware version mismatch",
        "  5  port or link failure", "  6  the copy to EEPROM failed", "  7  no sensor type selected",
        "  8  the review was declined: nothing was sent",
        "  9  the configuration read back after sending differs from the one sent"}) {
    EXPECT_TRUE(lines.contains(QByteArray(code))) << code;
  }
}

INSTANTIATE_TEST_SUITE_P(Requests, CliHelp,
                         ::testing::Values(QStringList{"--help"}, QStringList{"-h"}, QStringList{"help"},
                                           QStringList{"help", "dump"}, QStringList{"dump", "--help"},
                                           QStringList{"diff", "-h"}, QStringList{"help", "get"},
                                           QStringList{"send", "--help"}));

TEST(CliHelp, CommandHelpIsTheSameWhicheverWayItIsAsked) {
  for (const QString& command :
       {QStringLiteral("dump"), QStringLiteral("diff"), QStringLiteral("get"), QStringLiteral("send"),
        QStringLiteral("sheet")}) {
    const CliResult viaHelp = RunQvaCli({QStringLiteral("help"), command});
    const CliResult viaOption = RunQvaCli({command, QStringLiteral("--help")});
    EXPECT_EQ(viaHelp.out, viaOption.out) << command.toStdString();
    EXPECT_TRUE(viaHelp.out.startsWith("Usage: qva-cli " + command.toLatin1())) << command.toStdString();
  }
}
