// How qva-cli reads its command line: the forms a script may use.

#include <gtest/gtest.h>

#include "clioptions.h"
#include "sheetcommand.h"

namespace {

CommandLine Parse(const QStringList& arguments) {
  return ParseCommandLine(arguments);
}

QString UsageError(const QStringList& arguments) {
  try {
    ParseCommandLine(arguments);
  } catch (const EUsage& error) {
    return error.Message();
  }
  return QStringLiteral("(accepted)");
}

}  // namespace

TEST(CliOptions, OptionsMayStandBeforeOrAfterTheFile) {
  for (const QStringList& arguments :
       {QStringList{"dump", "--json", "a.Q11"}, QStringList{"dump", "a.Q11", "--json"}}) {
    const CommandLine line = Parse(arguments);
    EXPECT_EQ(line.command, QStringLiteral("dump"));
    EXPECT_TRUE(line.json);
    EXPECT_EQ(line.files, QStringList{QStringLiteral("a.Q11")});
  }
}

TEST(CliOptions, ValuesComeJoinedOrSeparate) {
  const CommandLine joined = Parse({"get", "--port=/dev/ttyUSB0", "--output=x.Q11", "--force"});
  const CommandLine separate = Parse({"get", "--port", "/dev/ttyUSB0", "-o", "x.Q11", "--force"});
  for (const CommandLine& line : {joined, separate}) {
    EXPECT_EQ(line.port, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(line.output, QStringLiteral("x.Q11"));
    EXPECT_TRUE(line.force);
    EXPECT_TRUE(line.files.isEmpty());
  }
}

TEST(CliOptions, ADoubleDashLetsAFileNameStartWithADash) {
  const CommandLine line = Parse({"diff", "--", "-a.Q11", "--json"});
  EXPECT_EQ(line.files, (QStringList{QStringLiteral("-a.Q11"), QStringLiteral("--json")}));
  EXPECT_FALSE(line.json);
}

TEST(CliOptions, AnOptionValueMayLookLikeAnOption) {
  const CommandLine line = Parse({"get", "--port", "COM2", "-o", "--odd.Q11"});
  EXPECT_EQ(line.output, QStringLiteral("--odd.Q11"));
}

TEST(CliOptions, RetriesDefaultToNoneAndAcceptTheWholeRange) {
  EXPECT_EQ(Parse({"send", "--port", "COM1", "a.Q11"}).retries, 0);
  EXPECT_EQ(Parse({"send", "--port", "COM1", "--retries", "0", "a.Q11"}).retries, 0);
  EXPECT_EQ(Parse({"send", "--port", "COM1", "--retries=100", "a.Q11"}).retries, kMaxRetries);
  for (const char* bad : {"101", "-1", "+2", "2.5", "", "0x3", "99999999999"}) {
    EXPECT_NE(UsageError({"send", "--port", "COM1", QStringLiteral("--retries=%1").arg(QLatin1String(bad)),
                          "a.Q11"}),
              QStringLiteral("(accepted)"))
        << bad;
  }
}

TEST(CliOptions, HelpNeedsNoOtherArguments) {
  for (const QStringList& arguments :
       {QStringList{"get", "--help"}, QStringList{"send", "-h"}, QStringList{"help", "diff"}}) {
    const CommandLine line = Parse(arguments);
    EXPECT_TRUE(line.help);
    EXPECT_FALSE(line.command.isEmpty());
  }
  const CommandLine program = Parse({"help"});
  EXPECT_TRUE(program.help);
  EXPECT_TRUE(program.command.isEmpty());
}

TEST(CliOptions, OptionsBelongToTheirCommands) {
  EXPECT_EQ(UsageError({"dump", "--port", "COM1", "a.Q11"}),
            QStringLiteral("Unknown option \"--port\" for dump."));
  EXPECT_EQ(UsageError({"get", "--retries", "2", "--port", "COM1", "-o", "x"}),
            QStringLiteral("Unknown option \"--retries\" for get."));
  EXPECT_EQ(UsageError({"send", "--force", "--port", "COM1", "a.Q11"}),
            QStringLiteral("Unknown option \"--force\" for send."));
  EXPECT_EQ(UsageError({"get", "--port", "COM1", "-o", "x", "extra"}),
            QStringLiteral("Unexpected argument \"extra\"."));
  EXPECT_EQ(UsageError({"--version", "dump"}), QStringLiteral("--version takes no command."));
}

TEST(CliOptions, EveryCommandIsListed) {
  EXPECT_EQ(CliCommands(), (QStringList{QStringLiteral("dump"), QStringLiteral("diff"), QStringLiteral("set"),
                                        QStringLiteral("get"), QStringLiteral("send"), QStringLiteral("live"),
                                        QStringLiteral("backups"), QStringLiteral("sheet"),
                                        QStringLiteral("ports")}));
}

TEST(CliOptions, TheCommandsThatTalkToTheMeterOrEditAFileCheckTheirArguments) {
  const CommandLine diff = Parse({"diff", "--port", "COM3", "a.Q11"});
  EXPECT_EQ(diff.port, QStringLiteral("COM3"));
  EXPECT_EQ(diff.files, QStringList{QStringLiteral("a.Q11")});
  const CommandLine set = Parse({"set", "a.Q11", "sensor_type=2", "output_table[0].values[1]=3, 4"});
  EXPECT_EQ(set.files.size(), 3);
  EXPECT_EQ(Parse({"set", "a.Q11", "--from", "d.txt"}).from, QStringLiteral("d.txt"));
  const CommandLine send = Parse({"send", "--port", "COM1", "--review", "--yes", "--verify", "a.Q11"});
  EXPECT_TRUE(send.review && send.yes && send.verify);
  const CommandLine live = Parse({"live", "--port", "COM1", "--seconds", "60", "--csv", "r.csv"});
  EXPECT_EQ(live.seconds, 60);
  EXPECT_EQ(live.csv, QStringLiteral("r.csv"));
  EXPECT_EQ(Parse({"live", "--port", "COM1"}).seconds, 0);
  const CommandLine msl = Parse({"live", "--port", "COM1", "--msl", "r.msl", "--smooth", "60"});
  EXPECT_EQ(msl.msl, QStringLiteral("r.msl"));
  EXPECT_EQ(msl.smooth, 60);

  const std::pair<QStringList, const char*> refused[] = {
      {{"diff", "--port", "COM1", "a.Q11", "b.Q11"}, "Unexpected argument \"b.Q11\"."},
      {{"diff", "a.Q11"}, "diff needs two setup files."},
      {{"set", "a.Q11"}, "set needs NAME=VALUE assignments or --from FILE."},
      {{"set", "a.Q11", "x=1", "--from", "d"}, "set takes either NAME=VALUE assignments or --from FILE, not both."},
      {{"send", "--port", "COM1", "--yes", "a.Q11"}, "--yes goes with --review."},
      {{"live", "a.Q11", "--port", "COM1"}, "Unexpected argument \"a.Q11\"."},
      {{"live", "--seconds", "5"}, "live needs --port PORT."},
      {{"live", "--port", "COM1", "--seconds", "0"}, "--seconds needs a whole number from 1 to 86400, not \"0\"."},
      {{"live", "--port", "COM1", "--seconds", "86401"},
       "--seconds needs a whole number from 1 to 86400, not \"86401\"."},
      {{"get", "--port", "COM1", "-o", "x", "--verify"}, "Unknown option \"--verify\" for get."},
      {{"live", "--port", "COM1", "--csv", "a", "--msl", "b"}, "live records to one file: --csv or --msl, not both."},
      {{"live", "--port", "COM1", "--smooth", "2"}, "--smooth goes with --csv or --msl."},
      {{"live", "--port", "COM1", "--msl", "b", "--smooth", "0"}, "--smooth needs a whole number from 1 to 60, not \"0\"."},
      {{"live", "--port", "COM1", "--csv", "b", "--smooth", "1.5"},
       "--smooth needs a whole number from 1 to 60, not \"1.5\"."},
      {{"sheet", "a.Q11"}, "sheet needs -o FILE."},
      {{"sheet", "-o", "a.pdf"}, "sheet needs a setup file."},
      {{"sheet", "a.Q11", "-o", "a.pdf", "--port", "COM1"}, "Unknown option \"--port\" for sheet."},
      {{"sheet", "a.Q11", "b.Q11", "-o", "a.pdf"}, "Unexpected argument \"b.Q11\"."},
  };
  for (const auto& [arguments, message] : refused) {
    EXPECT_EQ(UsageError(arguments), QLatin1String(message)) << arguments.join(QLatin1Char(' ')).toStdString();
  }
}

TEST(CliOptions, OnlyASheetToWriteNeedsThePainter) {
  const std::pair<QStringList, bool> cases[] = {
      {{"sheet", "a.Q11", "-o", "a.pdf", "--note", "-platform"}, true},
      {{"sheet", "--help"}, false},
      {{"help", "sheet"}, false},
      {{"sheet", "a.Q11"}, false},
      {{"dump", "a.Q11"}, false},
      {{"--version"}, false},
  };
  for (const auto& [arguments, needed] : cases)
    EXPECT_EQ(CommandNeedsPainter(arguments), needed) << arguments.join(QLatin1Char(' ')).toStdString();
}

TEST(CliOptions, PortsTakesPathsOnlyAfterProbe) {
  const CommandLine probe = Parse({"ports", "--probe", "/dev/ttyUSB0", "COM3"});
  EXPECT_TRUE(probe.probe);
  EXPECT_EQ(probe.files, (QStringList{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("COM3")}));
  EXPECT_FALSE(Parse({"ports"}).probe);
  EXPECT_EQ(UsageError({"ports", "/dev/ttyUSB0"}),
            QStringLiteral("Unexpected argument \"/dev/ttyUSB0\"; ports takes paths after --probe."));
  EXPECT_EQ(UsageError({"ports", "--port", "COM1"}), QStringLiteral("Unknown option \"--port\" for ports."));
}
