// Live data logs: the datalog read back by an independent reader (as a log
// viewer reads it), the smoothed column, whole rows, the file named for the
// time, what happens when the file cannot be made or its header not written,
// and where the logs go.

#include <clocale>
#include <iterator>
#include <map>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimeZone>

#include <gtest/gtest.h>

#include "comms/livelog.h"
#include "comms/livelogsettings.h"
#include "platform/qvaerrors.h"
#include "platform/registeredfilepath.h"
#include "support/filesizelimit.h"
#include "support/testenvironment.h"

namespace {

struct Sample {
  int64_t ms;
  uint8_t state;
  uint8_t sensor;
  int16_t ipUa;
  uint16_t lastWord;
};

LiveReading ReadingOf(const Sample& sample) {
  LiveReading reading;
  reading.elapsedMs = sample.ms;
  reading.state = sample.state;
  reading.sensorType = sample.sensor;
  reading.ip = sample.ipUa;
  reading.words[0] = static_cast<uint16_t>(sample.ipUa);
  reading.words[13] = sample.lastWord;
  return reading;
}

// Known samples: a tick at 1.75 s that could not be read leaves a gap.
const Sample kSamples[] = {
    {1000, 3, 3, 0, 0},
    {1250, 0, 3, 3200, 7},
    {1500, 0, 3, -45, 65535},
    {2000, 0, 3, -32768, 1},
};

// A datalog as a log viewer reads it, written apart from the program's
// code: lines before the one whose first field is "Time" are preamble;
// the next line gives the units; every further line is a row of numbers
// parted by tabs, read with a '.' whatever the locale. Times are brought
// to seconds from the unit the units row gives them.
struct ViewerLog {
  QStringList preamble;
  QStringList names;
  QStringList units;
  std::vector<std::vector<double>> rows;
  std::vector<double> seconds;
  bool ok = false;
};

ViewerLog ReadAsAViewerDoes(const QByteArray& bytes) {
  ViewerLog log;
  const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
  qsizetype at = 0;
  while (at < lines.size() && lines[at].section(QLatin1Char('\t'), 0, 0) != QLatin1String("Time"))
    log.preamble << lines[at++];
  if (at + 1 >= lines.size()) return log;
  log.names = lines[at++].split(QLatin1Char('\t'));
  log.units = lines[at++].split(QLatin1Char('\t'));
  const std::map<QString, double> toSeconds = {{"s", 1.0}, {"ms", 0.001}, {"min", 60.0}};
  if (log.units.size() != log.names.size() || !toSeconds.count(log.units[0])) return log;
  for (; at < lines.size(); ++at) {
    if (lines[at].isEmpty()) continue;
    const QStringList fields = lines[at].split(QLatin1Char('\t'));
    if (fields.size() != log.names.size()) return log;
    std::vector<double> row;
    for (const QString& field : fields) {
      bool number = false;
      row.push_back(QLocale::c().toDouble(field, &number));
      if (!number) return log;
    }
    log.seconds.push_back(row[0] * toSeconds.at(log.units[0]));
    log.rows.push_back(row);
  }
  log.ok = true;
  return log;
}

QString LogPath(const QString& name) {
  return TestEnvironment::PathIn(QStringLiteral("logs/") + name);
}

// Writes the known samples to a datalog and reads it back.
ViewerLog WriteAndReadBack(const QString& name, const LiveLogOptions& options) {
  const QString path = LogPath(name);
  {
    LiveMslWriter writer(path, LiveLogWriter::Mode::NewOnly, options);
    for (const Sample& sample : kSamples) EXPECT_TRUE(writer.Append(ReadingOf(sample)));
    writer.Close();
  }
  return ReadAsAViewerDoes(ReadAll(path));
}

void ExpectTheKnownSamples(const ViewerLog& log) {
  ASSERT_TRUE(log.ok);
  ASSERT_EQ(log.rows.size(), std::size(kSamples));
  const qsizetype ip = log.names.indexOf(QStringLiteral("Ip"));
  const qsizetype last = log.names.indexOf(QStringLiteral("Word13"));
  ASSERT_GT(ip, 0);
  ASSERT_GT(last, ip);
  for (std::size_t i = 0; i < log.rows.size(); ++i) {
    const Sample& sample = kSamples[i];
    EXPECT_DOUBLE_EQ(log.seconds[i], (sample.ms - kSamples[0].ms) / 1000.0) << i;
    EXPECT_EQ(log.rows[i][1], sample.state) << i;
    EXPECT_EQ(log.rows[i][2], sample.sensor) << i;
    EXPECT_DOUBLE_EQ(log.rows[i][ip], sample.ipUa / 1000.0) << i;
    EXPECT_EQ(log.rows[i][last], sample.lastWord) << i;
  }
}

QDateTime CaptureStart() {
  return QDateTime(QDate(2026, 12, 9), QTime(14, 3, 27), QTimeZone(3600));
}

}  // namespace

TEST(LiveMsl, AViewerReadsEveryValueBackWithTimesFromTheUnitsRow) {
  LiveLogOptions options;
  options.captureStart = CaptureStart();
  const ViewerLog log = WriteAndReadBack(QStringLiteral("known.msl"), options);
  ExpectTheKnownSamples(log);
  ASSERT_EQ(log.preamble.size(), 1);
  EXPECT_TRUE(log.preamble[0].startsWith(QStringLiteral("\"Ulmora Quvarant Setup ")));
  EXPECT_TRUE(log.preamble[0].endsWith(QStringLiteral(", captured 2026-12-09T14:03:27+01:00\"")));
  QStringList names{"Time", "State", "Sensor", "Ip"};
  QStringList units{"s", "", "", "mA"};
  for (int word = 0; word < 14; ++word) {
    names << QStringLiteral("Word%1").arg(word);
    units << QString();
  }
  EXPECT_EQ(log.names, names);
  EXPECT_EQ(log.units, units);
  // The tick that was not read leaves a gap; no row is made up for it.
  EXPECT_EQ(log.seconds, (std::vector<double>{0.0, 0.25, 0.5, 1.0}));
}

TEST(LiveMsl, ADecimalCommaLocaleDoesNotReachTheFile) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const std::string cLocale = std::setlocale(LC_NUMERIC, nullptr);
  const bool systemComma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  LiveLogOptions options;
  options.smoothingSeconds = 1;
  const ViewerLog log = WriteAndReadBack(QStringLiteral("komma.msl"), options);
  std::setlocale(LC_NUMERIC, cLocale.c_str());
  QLocale::setDefault(previous);
  ExpectTheKnownSamples(log);
  EXPECT_TRUE(ReadAll(LogPath(QStringLiteral("komma.msl"))).contains("\t3.200\t")) << systemComma;
  EXPECT_FALSE(ReadAll(LogPath(QStringLiteral("komma.msl"))).contains("3,2"));
}

TEST(LiveLog, TheSmoothedIpStandsBesideTheRawIpInBothFormats) {
  LiveLogOptions options;
  options.smoothingSeconds = 1;
  const ViewerLog msl = WriteAndReadBack(QStringLiteral("smoothed.msl"), options);
  ASSERT_TRUE(msl.ok);
  EXPECT_EQ(msl.names.mid(3, 3), (QStringList{"Ip", "Ip avg 1 s", "Word0"}));
  EXPECT_EQ(msl.units.mid(3, 3), (QStringList{"mA", "mA", ""}));
  std::vector<double> means;
  for (const auto& row : msl.rows) means.push_back(row[4]);
  // Over 1 s: 0; (0+3200)/2; (0+3200-45)/3 = 1051.67; at 2 s the reading
  // of 1 s has left: (3200-45-32768)/3 = -9871.
  EXPECT_EQ(means, (std::vector<double>{0.0, 1.6, 1.052, -9.871}));

  const QString csv = LogPath(QStringLiteral("smoothed.csv"));
  {
    LiveCsvWriter writer(csv, LiveLogWriter::Mode::NewOnly, options);
    for (const Sample& sample : kSamples) writer.Append(ReadingOf(sample));
  }
  const QList<QByteArray> lines = ReadAll(csv).split('\n');
  ASSERT_EQ(lines.size(), 6);
  EXPECT_TRUE(lines[0].startsWith("time_s,state,state_name,sensor_type,ip_mA,ip_avg_1s_mA,word0,"));
  EXPECT_TRUE(lines[2].startsWith("0.250,0,RUN,3,3.200,1.600,3200,"));
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(lines[i].count(','), lines[0].count(',')) << i;
}

TEST(LiveLog, ATickIsNeverRecordedTwice) {
  const QString path = LogPath(QStringLiteral("twice.msl"));
  LiveMslWriter writer(path);
  EXPECT_TRUE(writer.Append(ReadingOf(kSamples[1])));
  EXPECT_FALSE(writer.Append(ReadingOf(kSamples[1])));  // the same tick again
  EXPECT_FALSE(writer.Append(ReadingOf(kSamples[0])));  // an older one
  EXPECT_TRUE(writer.Append(ReadingOf(kSamples[3])));
  EXPECT_EQ(writer.Rows(), 2);
  EXPECT_EQ(writer.RecordedMs(), 750);
  writer.Close();
  EXPECT_EQ(ReadAsAViewerDoes(ReadAll(path)).seconds, (std::vector<double>{0.0, 0.75}));
}

struct MeanCase {
  const char* name;
  int64_t windowMs;
  std::vector<std::pair<int64_t, int16_t>> readings;
  double mean;
};

class IpMean : public testing::TestWithParam<MeanCase> {};

TEST_P(IpMean, IsTheMeanOfTheReadingsWithinTheWindow) {
  IpMovingAverage average(GetParam().windowMs);
  double mean = 0;
  for (const auto& [ms, ip] : GetParam().readings) mean = average.Add(ms, ip);
  EXPECT_DOUBLE_EQ(mean, GetParam().mean);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, IpMean,
    testing::Values(MeanCase{"OneReading", 1000, {{0, 500}}, 500},
                    MeanCase{"AllWithin", 1000, {{0, 100}, {250, 200}, {500, 600}}, 300},
                    // A reading exactly one window old has left it.
                    MeanCase{"EdgeLeaves", 1000, {{0, 900}, {500, 100}, {1000, 300}}, 200},
                    MeanCase{"GapEmptiesTheWindow", 1000, {{0, 900}, {250, 700}, {5000, -40}}, -40},
                    MeanCase{"OlderReadingIgnored", 1000, {{500, 10}, {250, 1000}}, 10},
                    MeanCase{"Extremes", 2000, {{0, 32767}, {250, 32767}, {500, -32768}}, 10922}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(LiveLogFile, ANewLogNeverReplacesAFileAndIsNamedForItsStart) {
  const QDateTime start(QDate(2026, 12, 9), QTime(14, 3, 27));
  EXPECT_EQ(LiveLogFileName(start), QStringLiteral("QVA 2026-12-09 14-03-27.msl"));
  EXPECT_EQ(LiveLogFileName(start, LiveLogFormat::Csv), QStringLiteral("QVA 2026-12-09 14-03-27.csv"));
  const QString folder = TestEnvironment::PathIn(QStringLiteral("free"));
  QDir().mkpath(folder);
  const QString first = folder + QStringLiteral("/QVA 2026-12-09 14-03-27.msl");
  EXPECT_EQ(FreeLiveLogPath(folder, start), first);
  WriteAll(first, "earlier log");
  const QString second = FreeLiveLogPath(folder, start);
  EXPECT_EQ(second, folder + QStringLiteral("/QVA 2026-12-09 14-03-27 (2).msl"));
  WriteAll(second, "");
  EXPECT_EQ(FreeLiveLogPath(folder, start), folder + QStringLiteral("/QVA 2026-12-09 14-03-27 (3).msl"));
  // A file made between the choice of name and the opening is left alone.
  EXPECT_THROW({ LiveMslWriter again(first, LiveLogWriter::Mode::NewOnly); }, ESystemError);
  EXPECT_EQ(ReadAll(first), QByteArray("earlier log"));
}

struct UnmadeCase {
  const char* name;
  QString (*path)();
  const char* cause;
};

class LiveLogUnmade : public testing::TestWithParam<UnmadeCase> {};

TEST_P(LiveLogUnmade, SaysWhyNamingTheFile) {
  const QString path = GetParam().path();
  try {
    LiveCsvWriter writer(path);
    FAIL() << "no error";
  } catch (const ESystemError& error) {
    EXPECT_EQ(error.Message(), path + QStringLiteral(":\n") + QLatin1String(GetParam().cause));
  }
  EXPECT_TRUE(QFileInfo::exists(path));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LiveLogUnmade,
    testing::Values(
        UnmadeCase{"AFolder", [] { return TestEnvironment::PathIn(QStringLiteral("dir/x")).chopped(2); },
                   "Is a directory"},
        // A device is written to, not replaced, and stays.
        UnmadeCase{"AFullDevice", [] { return QStringLiteral("/dev/full"); }, "No space left on device"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(LiveLogFile, ALogWhoseHeaderDidNotFitIsRemoved) {
  for (const QString& name : {QStringLiteral("new.msl"), QStringLiteral("earlier.csv")}) {
    const QString path = LogPath(name);
    if (name.endsWith(QLatin1String(".csv"))) WriteAll(path, "earlier rows\n");
    const LimitedRun run =
        RunUnderFileSizeLimit(20, [&] { OpenLiveLog(path, LiveLogWriter::Mode::Replace, LiveLogOptions{}); });
    ASSERT_TRUE(run.completed);
    EXPECT_TRUE(run.raised);
    EXPECT_EQ(run.message, QStringLiteral("File write error")) << name.toStdString();
    EXPECT_FALSE(QFile::exists(path)) << name.toStdString();
  }
}

struct ClockCase {
  int64_t ms;
  const char* text;
};

TEST(LiveLog, RecordingClockShowsHoursMinutesAndSeconds) {
  const ClockCase cases[] = {{0, "0:00:00"},       {999, "0:00:00"}, {7250, "0:00:07"},
                             {3723000, "1:02:03"}, {-5, "0:00:00"},  {36000000, "10:00:00"}};
  for (const ClockCase& c : cases) EXPECT_EQ(RecordingClockText(c.ms), QLatin1String(c.text)) << c.ms;
}

TEST(LiveLogSettings, LogsGoBesideTheConfigurationFolderUntilTheUserPicksAnother) {
  const QString config = QDir::cleanPath(GetFolder(FileType::ConfigFiles));
  EXPECT_EQ(QDir::cleanPath(LiveLogFolder()), QDir::cleanPath(config + QStringLiteral("/../Logs")));
  const QString chosen = TestEnvironment::PathIn(QStringLiteral("my logs"));
  SetLiveLogFolder(chosen);
  EXPECT_EQ(LiveLogFolder(), chosen);

  EXPECT_EQ(LiveSmoothingSeconds(), std::nullopt);
  SetLiveSmoothingSeconds(5);
  EXPECT_EQ(LiveSmoothingSeconds(), 5);
  SetLiveSmoothingSeconds(std::nullopt);
  EXPECT_EQ(LiveSmoothingSeconds(), std::nullopt);
}
