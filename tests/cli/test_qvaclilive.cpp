// qva-cli live against qva-device-sim over a pseudo-terminal: the lines it
// prints, the CSV it records, how it ends (seconds, a signal, a link that
// dies) and what it does when its output cannot be written.

#include <algorithm>
#include <csignal>
#include <functional>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

#include "clitestsupport.h"
#include "simprocess.h"
#include "support/devicesimulator.h"
#include "support/filesizelimit.h"
#include "support/testenvironment.h"

namespace {

const QByteArray kHeader =
    "time_s,state,state_name,sensor_type,ip_mA,word0,word1,word2,word3,word4,word5,word6,word7,word8,word9,"
    "word10,word11,word12,word13\n";
constexpr int kColumns = 19;

QString Csv(const QString& name) {
  return TestEnvironment::PathIn(QStringLiteral("out/") + name);
}

// The rows after the header, each split into its columns.
std::vector<QStringList> Rows(const QByteArray& csv) {
  std::vector<QStringList> rows;
  const QList<QByteArray> lines = csv.mid(kHeader.size()).split('\n');
  for (const QByteArray& line : lines) {
    if (!line.isEmpty()) rows.push_back(QString::fromLatin1(line).split(QLatin1Char(',')));
  }
  return rows;
}

QStringList ErrLines(const QByteArray& err) {
  QStringList lines = QString::fromLocal8Bit(err).split(QLatin1Char('\n'));
  lines.removeAll(QString());
  return lines;
}

// qva-cli started without waiting for its end, for the cases that stop it
// from outside.
class RunningCli {
 public:
  explicit RunningCli(const QStringList& arguments) {
    process_.start(QvaCliPath(), arguments);
    started_ = process_.waitForStarted(10000);
  }
  ~RunningCli() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished();
    }
  }
  bool Started() const { return started_; }
  void Signal(int number) { ::kill(static_cast<pid_t>(process_.processId()), number); }
  // Waits (at most 10 s) until the file holds this many rows.
  bool WaitForRows(const QString& csv, std::size_t rows) {
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
      QFile file(csv);
      if (file.open(QIODevice::ReadOnly) && Rows(file.readAll()).size() >= rows) return true;
      QThread::msleep(20);
    }
    return false;
  }
  CliResult Finish() {
    CliResult result;
    if (!process_.waitForFinished(20000)) return result;
    EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
    result.exitCode = process_.exitCode();
    result.out = process_.readAllStandardOutput();
    result.err = process_.readAllStandardError();
    return result;
  }

 private:
  QProcess process_;
  bool started_ = false;
};

}  // namespace

TEST(CliLive, RecordsAHeaderAndOneRowPerTickForTheSecondsAsked) {
  SimProcess sim(
      {QStringLiteral("--ip"), QStringLiteral("1234"), QStringLiteral("--sensor-type"), QStringLiteral("3")});
  ASSERT_TRUE(sim.Started());
  const QString csv = Csv(QStringLiteral("run.csv"));
  const CliResult result =
      RunQvaCli({QStringLiteral("live"), QStringLiteral("--port"), sim.Port(), QStringLiteral("--seconds"),
                 QStringLiteral("2"), QStringLiteral("--csv"), csv});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.out.isEmpty());
  const QByteArray written = ReadAll(csv);
  ASSERT_TRUE(written.startsWith(kHeader)) << written.left(200).toStdString();
  const std::vector<QStringList> rows = Rows(written);
  // 2 s at a tick every 250 ms: 8 ticks (0 to 1.75 s), fewer on a busy machine.
  ASSERT_GE(rows.size(), 4u);
  ASSERT_LE(rows.size(), 8u);
  EXPECT_EQ(ErrLines(result.err),
            (QStringList{QStringLiteral("Recording to %1.").arg(csv),
                         QStringLiteral("%1 readings recorded to %2.").arg(rows.size()).arg(csv)}));
  std::vector<double> steps;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const QStringList& row = rows[i];
    ASSERT_EQ(row.size(), kColumns) << i;
    EXPECT_EQ(row.mid(1, 6), (QStringList{"0", "RUN", "3", "1.234", "1234", "0"})) << i;
    if (i > 0) steps.push_back(row[0].toDouble() - rows[i - 1][0].toDouble());
  }
  EXPECT_EQ(rows.front()[0], QStringLiteral("0.000"));
  EXPECT_LT(rows.back()[0].toDouble(), 2.0);
  EXPECT_TRUE(std::all_of(steps.begin(), steps.end(), [](double step) { return step > 0; }));
  // The ticks keep to their 250 ms grid; the median ignores a tick that a
  // busy machine made late.
  std::sort(steps.begin(), steps.end());
  const double median = steps[steps.size() / 2];
  EXPECT_GE(median, 0.2);
  EXPECT_LE(median, 0.3);
}

TEST(CliLive, PrintsOneTabSeparatedLinePerReading) {
  SimProcess sim({QStringLiteral("--ip"), QStringLiteral("-45"), QStringLiteral("--sensor-type"),
                  QStringLiteral("1"), QStringLiteral("--states"), QStringLiteral("PUMP_WAIT")});
  ASSERT_TRUE(sim.Started());
  const CliResult result = RunQvaCli({QStringLiteral("live"), QStringLiteral("--port"), sim.Port(),
                                      QStringLiteral("--seconds"), QStringLiteral("1")});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
  const QStringList lines = QString::fromUtf8(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_GE(lines.size(), 2);
  ASSERT_LE(lines.size(), 4);
  EXPECT_EQ(lines[0], QStringLiteral("0.000\tPUMP_WAIT\tNTK\t-0.045 mA"));
  const QRegularExpression shape(QStringLiteral("^[0-9]\\.[0-9]{3}\tPUMP_WAIT\tNTK\t-0\\.045 mA$"));
  for (const QString& line : lines) EXPECT_TRUE(shape.match(line).hasMatch()) << line.toStdString();
}

class CliLiveInterrupt : public testing::TestWithParam<int> {};

TEST_P(CliLiveInterrupt, EndsNormallyWithTheRecordingClosed) {
  SimProcess sim({QStringLiteral("--ip"), QStringLiteral("800")});
  ASSERT_TRUE(sim.Started());
  const QString csv = Csv(QStringLiteral("interrupted.csv"));
  RunningCli cli(
      {QStringLiteral("live"), QStringLiteral("--port"), sim.Port(), QStringLiteral("--csv"), csv});
  ASSERT_TRUE(cli.Started());
  ASSERT_TRUE(cli.WaitForRows(csv, 2));
  cli.Signal(GetParam());
  const CliResult result = cli.Finish();
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  const QByteArray written = ReadAll(csv);
  EXPECT_TRUE(written.startsWith(kHeader));
  EXPECT_TRUE(written.endsWith('\n'));
  const std::vector<QStringList> rows = Rows(written);
  for (const QStringList& row : rows) EXPECT_EQ(row.size(), kColumns);
  EXPECT_EQ(ErrLines(result.err).value(1),
            QStringLiteral("%1 readings recorded to %2.").arg(rows.size()).arg(csv));
}

INSTANTIATE_TEST_SUITE_P(Signals, CliLiveInterrupt, testing::Values(SIGINT, SIGTERM),
                         [](const auto& param) { return param.param == SIGINT ? "Sigint" : "Sigterm"; });

TEST(CliLive, ALinkThatDiesEndsWithItsMessageAndExitFiveKeepingTheRows) {
  DeviceSimulator sim({QStringLiteral("--no-pacing"), QStringLiteral("--ip"), QStringLiteral("500")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  const QString csv = Csv(QStringLiteral("cut.csv"));
  RunningCli cli(
      {QStringLiteral("live"), QStringLiteral("--port"), sim.PortPath(), QStringLiteral("--csv"), csv});
  ASSERT_TRUE(cli.Started());
  ASSERT_TRUE(cli.WaitForRows(csv, 2));
  sim.Stop();  // the pseudo-terminal goes with it
  const CliResult result = cli.Finish();
  EXPECT_EQ(result.exitCode, 5);
  const QString err = QString::fromLocal8Bit(result.err);
  EXPECT_TRUE(err.contains(QStringLiteral("There was an error communicating with the device.\n")))
      << err.toStdString();
  const std::vector<QStringList> rows = Rows(ReadAll(csv));
  ASSERT_GE(rows.size(), 2u);
  for (const QStringList& row : rows) EXPECT_EQ(row.value(5), QStringLiteral("500"));
  EXPECT_TRUE(err.endsWith(QStringLiteral("%1 readings recorded to %2.\n").arg(rows.size()).arg(csv)));
}

TEST(CliLive, APortThatCannotBeOpenedIsALinkFailure) {
  const QString port = TestEnvironment::PathIn(QStringLiteral("no-such-port"));
  const QString csv = Csv(QStringLiteral("never.csv"));
  const CliResult result =
      RunQvaCli({QStringLiteral("live"), QStringLiteral("--port"), port, QStringLiteral("--csv"), csv});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_TRUE(
      QString::fromLocal8Bit(result.err)
          .startsWith(QStringLiteral("An error occurred while opening communication port %1.").arg(port)))
      << result.err.toStdString();
  EXPECT_FALSE(QFile::exists(csv));
}

TEST(CliLive, AnEarlierRecordingIsKeptWithoutForceAndReplacedWithIt) {
  SimProcess sim({QStringLiteral("--ip"), QStringLiteral("100")});
  ASSERT_TRUE(sim.Started());
  const QString csv = Csv(QStringLiteral("earlier.csv"));
  WriteAll(csv, "earlier recording\n");
  QStringList arguments{
      QStringLiteral("live"), QStringLiteral("--port"), sim.Port(), QStringLiteral("--seconds"),
      QStringLiteral("1"),    QStringLiteral("--csv"),  csv};
  const CliResult refused = RunQvaCli(arguments);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(refused.err),
            csv + QStringLiteral(" already exists.\nUse --force to replace it.\n"));
  EXPECT_EQ(ReadAll(csv), QByteArray("earlier recording\n"));

  const CliResult replaced = RunQvaCli(arguments << QStringLiteral("--force"));
  EXPECT_EQ(replaced.exitCode, 0) << replaced.err.toStdString();
  EXPECT_TRUE(ReadAll(csv).startsWith(kHeader));
}

struct UnwritableCase {
  const char* name;
  bool csv;
  std::function<void()> childSetup;
};

class CliLiveUnwritable : public testing::TestWithParam<UnwritableCase> {};

TEST_P(CliLiveUnwritable, OutputThatCannotBeWrittenIsAFileWriteError) {
  SimProcess sim({QStringLiteral("--ip"), QStringLiteral("100")});
  ASSERT_TRUE(sim.Started());
  const QString csv = Csv(QStringLiteral("full.csv"));
  QStringList arguments{QStringLiteral("live"), QStringLiteral("--port"), sim.Port(),
                        QStringLiteral("--seconds"), QStringLiteral("2")};
  if (GetParam().csv) arguments << QStringLiteral("--csv") << csv;
  const CliResult result = RunQvaCli(arguments, GetParam().childSetup);
  EXPECT_EQ(result.exitCode, 2);
  const QString err = QString::fromLocal8Bit(result.err);
  if (GetParam().csv) {
    EXPECT_TRUE(err.contains(csv + QStringLiteral(":\nFile write error\n"))) << err.toStdString();
    // What fitted stays, in whole rows: the header and the first row.
    const QByteArray written = ReadAll(csv);
    EXPECT_TRUE(written.startsWith(kHeader + "0.000,0,RUN,0,0.100,100,")) << written.toStdString();
    EXPECT_EQ(written.count('\n'), 2) << written.toStdString();
    EXPECT_TRUE(written.endsWith('\n')) << written.toStdString();
  } else {
    EXPECT_EQ(err, QStringLiteral("File write error\n"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, CliLiveUnwritable,
    testing::Values(UnwritableCase{"ClosedStdout", false, [] { ::close(STDOUT_FILENO); }},
                    // Room for the header and one and a half rows.
                    UnwritableCase{"FullDisk", true,
                                   [] { LimitFileSizeOfThisProcess(kHeader.size() + 70); }}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(CliLive, RecordsADatalogThatLogViewersOpen) {
  SimProcess sim(
      {QStringLiteral("--ip"), QStringLiteral("-1234"), QStringLiteral("--sensor-type"), QStringLiteral("2")});
  ASSERT_TRUE(sim.Started());
  const QString msl = Csv(QStringLiteral("run 1.msl"));
  const CliResult result =
      RunQvaCli({QStringLiteral("live"), QStringLiteral("--port"), sim.Port(), QStringLiteral("--seconds"),
                 QStringLiteral("3"), QStringLiteral("--msl"), msl, QStringLiteral("--smooth"), QStringLiteral("2")});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.out.isEmpty());
  const QStringList lines = QString::fromUtf8(ReadAll(msl)).split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 4);
  // A preamble naming the program and the capture's start, then the header
  // and units rows.
  const QRegularExpression preamble(
      QStringLiteral("^\"Ulmora Quvarant Setup [0-9.]+, captured 20[0-9]{2}-[0-9]{2}-[0-9]{2}T[0-9:]{8}"
                     "(Z|[+-][0-9]{2}:[0-9]{2})\"$"));
  EXPECT_TRUE(preamble.match(lines[0]).hasMatch()) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Time\tState\tSensor\tIp\tIp avg 2 s\tWord0\t")));
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral("\tWord13")));
  EXPECT_EQ(lines[2], QStringLiteral("s\t\t\tmA\tmA") + QString(14, QLatin1Char('\t')));
  QStringList rows = lines.mid(3);
  EXPECT_EQ(rows.takeLast(), QString());  // every row is whole
  // 3 s at a tick every 250 ms: 12 ticks, fewer on a busy machine.
  ASSERT_GE(rows.size(), 8);
  ASSERT_LE(rows.size(), 12);
  double previous = -1;
  for (const QString& row : rows) {
    const QStringList fields = row.split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 19) << row.toStdString();
    EXPECT_EQ(fields.mid(1, 5), (QStringList{"0", "2", "-1.234", "-1.234", "64302"})) << row.toStdString();
    const double time = fields[0].toDouble();
    EXPECT_GT(time, previous) << row.toStdString();
    previous = time;
  }
  EXPECT_TRUE(rows.front().startsWith(QStringLiteral("0.000\t")));
  EXPECT_EQ(ErrLines(result.err),
            (QStringList{QStringLiteral("Recording to %1.").arg(msl),
                         QStringLiteral("%1 readings recorded to %2.").arg(rows.size()).arg(msl)}));
}

struct UnmadeLogCase {
  const char* name;
  QStringList (*arguments)(const QString& folder);
  QString (*message)(const QString& folder);
  qint64 fileSizeLimit = 0;  // none when 0
};

class CliLiveUnmadeLog : public testing::TestWithParam<UnmadeLogCase> {};

TEST_P(CliLiveUnmadeLog, SaysTheRealCauseAndLeavesNoEmptyLog) {
  SimProcess sim({QStringLiteral("--ip"), QStringLiteral("100")});
  ASSERT_TRUE(sim.Started());
  const QString folder = Csv(QStringLiteral("a folder/x")).chopped(2);
  const CliResult result =
      RunQvaCli(QStringList{QStringLiteral("live"), QStringLiteral("--port"), sim.Port(),
                            QStringLiteral("--seconds"), QStringLiteral("1")} +
                    GetParam().arguments(folder),
                [limit = GetParam().fileSizeLimit] {
                  if (limit > 0) LimitFileSizeOfThisProcess(limit);
                });
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(result.err), GetParam().message(folder));
  EXPECT_TRUE(QFileInfo(folder).isDir());
  EXPECT_TRUE(QDir(folder).isEmpty());
  EXPECT_TRUE(QFileInfo::exists(QStringLiteral("/dev/full")));
}

INSTANTIATE_TEST_SUITE_P(
    Targets, CliLiveUnmadeLog,
    testing::Values(
        UnmadeLogCase{"AFolder", [](const QString& folder) { return QStringList{"--csv", folder}; },
                      [](const QString& folder) { return folder + QStringLiteral(":\nIs a directory\n"); }},
        UnmadeLogCase{"AFolderWithForce",
                      [](const QString& folder) { return QStringList{"--msl", folder, "--force"}; },
                      [](const QString& folder) { return folder + QStringLiteral(":\nIs a directory\n"); }},
        UnmadeLogCase{"AFullDevice", [](const QString&) { return QStringList{"--csv", "/dev/full"}; },
                      [](const QString&) { return QStringLiteral("/dev/full:\nNo space left on device\n"); }},
        // Under a file-size limit that leaves room for the port's lock file
        // but not for the datalog's header: the file that would hold only
        // part of it is removed.
        UnmadeLogCase{"AHeaderThatDoesNotFit",
                      [](const QString& folder) {
                        return QStringList{"--msl", folder + "/cut.msl", "--smooth", "60"};
                      },
                      [](const QString& folder) { return folder + QStringLiteral("/cut.msl:\nFile write error\n"); },
                      160}),
    [](const auto& param) { return std::string(param.param.name); });
