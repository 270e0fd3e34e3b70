// Live data: a reading from the meter's bytes, its texts, its CSV row, the
// tick grid, one poll over the fake line, and the CSV recorder's file.

#include <QFile>

#include <gtest/gtest.h>

#include "comms/livedata.h"
#include "comms/livelog.h"
#include "commstestsupport.h"
#include "platform/qvaerrors.h"
#include "support/filesizelimit.h"
#include "support/testenvironment.h"

namespace {

struct ReadingCase {
  const char* name;
  int64_t elapsedMs;
  uint8_t state;
  uint8_t sensorType;
  const char* liveHex;  // the 28 bytes of the live data block
  const char* line;     // qva-cli live's line
  const char* csvRow;   // the row with the origin at 0
};

const ReadingCase kReadingCases[] = {
    {"RunLsu42", 12250, 0, 3, "0c80 0001 0002 0003 0004 0005 0006 0007 0008 0009 000a 000b 000c ffff",
     "12.250\tRUN\tBosch LSU4.2\t3.200 mA", "12.250,0,RUN,3,3.200,3200,1,2,3,4,5,6,7,8,9,10,11,12,65535\n"},
    {"NegativeIpUnknownCodes", 999, 0xFF, 9,
     "ffd3 8000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 1234",
     "0.999\tUnknown state (-1)\tUnknown sensor type (9)\t-0.045 mA",
     "0.999,255,Unknown state (-1),9,-0.045,65491,32768,0,0,0,0,0,0,0,0,0,0,0,4660\n"},
    {"WarmUpNoSensorZeroIp", 0, 3, 0, "0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000",
     "0.000\tWARM_UP\tNone\t0.000 mA", "0.000,3,WARM_UP,0,0.000,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n"},
    {"LowestIpNtk", 61001, 6, 1, "8000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000",
     "61.001\tPUMP_OFF\tNTK\t-32.768 mA", "61.001,6,PUMP_OFF,1,-32.768,32768,0,0,0,0,0,0,0,0,0,0,0,0,0\n"},
    {"SmallIpLsu4", 250, 2, 2, "0007 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000",
     "0.250\tPUMP_WAIT\tBosch LSU4\t0.007 mA", "0.250,2,PUMP_WAIT,2,0.007,7,0,0,0,0,0,0,0,0,0,0,0,0,0\n"},
};

LiveReading ReadingOf(const ReadingCase& c) {
  DeviceStatusBlock status;
  status.raw[12] = c.state;
  status.raw[13] = c.sensorType;
  DeviceLiveData live;
  const QByteArray bytes = Hex(c.liveHex);
  EXPECT_EQ(bytes.size(), kLiveDataSize);
  std::copy(bytes.begin(), bytes.end(), live.raw.begin());
  return MakeLiveReading(c.elapsedMs, status, live);
}

const char kHeader[] =
    "time_s,state,state_name,sensor_type,ip_mA,word0,word1,word2,word3,word4,word5,word6,word7,word8,word9,"
    "word10,word11,word12,word13\n";

}  // namespace

class LiveReadingText : public testing::TestWithParam<ReadingCase> {};

TEST_P(LiveReadingText, LineAndCsvRowShowTheMetersBytes) {
  const LiveReading reading = ReadingOf(GetParam());
  EXPECT_EQ(LiveTextLine(reading), QString::fromLatin1(GetParam().line));
  EXPECT_EQ(LiveCsvRow(reading), QByteArray(GetParam().csvRow));
}

INSTANTIATE_TEST_SUITE_P(Readings, LiveReadingText, testing::ValuesIn(kReadingCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(LiveCsv, HeaderNamesEveryColumnOfARow) {
  EXPECT_EQ(LiveCsvHeader(), QByteArray(kHeader));
  const QByteArray row = LiveCsvRow(ReadingOf(kReadingCases[0]));
  EXPECT_EQ(row.count(','), QByteArray(kHeader).count(','));
}

TEST(LiveCsv, RowTimeCountsFromTheOrigin) {
  const LiveReading reading = ReadingOf(kReadingCases[0]);  // at 12.250 s
  EXPECT_TRUE(LiveCsvRow(reading, 12000).startsWith("0.250,"));
  EXPECT_TRUE(LiveCsvRow(reading, 12250).startsWith("0.000,"));
  EXPECT_TRUE(LiveCsvRow(reading, 12260).startsWith("-0.010,"));
}

struct WaitCase {
  int64_t elapsedMs;
  int intervalMs;
  int64_t wait;
};

class LiveTickGrid : public testing::TestWithParam<WaitCase> {};

TEST_P(LiveTickGrid, WaitEndsOnTheNextGridTimeAfterNow) {
  EXPECT_EQ(LiveTickWait(GetParam().elapsedMs, GetParam().intervalMs), GetParam().wait);
}

INSTANTIATE_TEST_SUITE_P(Waits, LiveTickGrid,
                         testing::Values(WaitCase{0, 250, 250}, WaitCase{1, 250, 249}, WaitCase{40, 250, 210},
                                         WaitCase{249, 250, 1}, WaitCase{250, 250, 250},
                                         // A tick that overran its slot is not made up.
                                         WaitCase{530, 250, 220}, WaitCase{86400000, 250, 250},
                                         WaitCase{17, 10, 3}));

TEST(LivePoll, ReadsTheStatusBlockThenTheLiveData) {
  FakeDevice device;
  FakeLink link;
  link.AttachDevice(device);
  device.status[12] = 0;
  device.status[13] = 2;
  device.live[0] = 0x0C;
  device.live[1] = 0x80;
  device.live[27] = 0x2A;
  const LiveReading reading = PollLiveData(*link.comms, 750);
  EXPECT_EQ(LiveTextLine(reading), QStringLiteral("0.750\tRUN\tBosch LSU4\t3.200 mA"));
  EXPECT_EQ(reading.words[13], 42);
  ASSERT_EQ(link.line->writes.size(), 2u);
  // Type, sequence, base, address, length: 14 bytes of base 3, 28 of base 12.
  EXPECT_EQ(link.line->writes[0].mid(3, 6), Hex("00 01 03 00 00 0e"));
  EXPECT_EQ(link.line->writes[1].mid(3, 6), Hex("00 02 0c 00 00 1c"));
}

TEST(LivePoll, SilentLineRaisesTheLinksFailure) {
  FakeLink link;  // nothing answers
  EXPECT_THROW(PollLiveData(*link.comms, 0), ESerialCommunications);
}

TEST(LiveCsvWriter, ReplacesTheFileWithHeaderAndRowsTimedFromTheFirst) {
  const QString path = TestEnvironment::PathIn(QStringLiteral("live.csv"));
  WriteAll(path, QByteArray(5000, 'x'));
  LiveCsvWriter recorder(path);
  LiveReading reading = ReadingOf(kReadingCases[2]);
  reading.elapsedMs = 1000;
  recorder.Append(reading);
  reading.elapsedMs = 1250;
  recorder.Append(reading);
  // Each row is in the file as soon as it is appended.
  EXPECT_EQ(ReadAll(path), QByteArray(kHeader) + "0.000,3,WARM_UP,0,0.000,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n" +
                               "0.250,3,WARM_UP,0,0.000,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n");
  recorder.Close();
  recorder.Close();
  EXPECT_EQ(recorder.Rows(), 2);
  EXPECT_FALSE(recorder.IsOpen());
  EXPECT_THROW(recorder.Append(reading), EFileWrite);
}

TEST(LiveCsvWriter, FileThatCannotBeMadeNamesThePath) {
  const QString path =
      TestEnvironment::PathIn(QStringLiteral("missing")) + QStringLiteral("/folder/live.csv");
  try {
    LiveCsvWriter recorder(path);
    FAIL() << "no error";
  } catch (const ESystemError& error) {
    EXPECT_TRUE(error.Message().startsWith(path + QStringLiteral(":\n"))) << error.Message().toStdString();
  }
  EXPECT_FALSE(QFile::exists(path));
}

TEST(LiveCsvWriter, FullDiskIsReportedAtTheRowThatDidNotFitAndKeepsTheRowsBefore) {
  const QString path = TestEnvironment::PathIn(QStringLiteral("full.csv"));
  const LiveReading reading = ReadingOf(kReadingCases[0]);
  const qint64 header = QByteArray(kHeader).size();
  const qint64 row = LiveCsvRow(reading).size();
  const LimitedRun run = RunUnderFileSizeLimit(header + 2 * row + row / 2, [&] {
    LiveCsvWriter recorder(path);
    // A tick every 250 ms: the rows are alike but for their times.
    for (int rows = 0; rows < 10; ++rows) {
      LiveReading tick = reading;
      tick.elapsedMs += 250 * rows;
      recorder.Append(tick);
    }
  });
  ASSERT_TRUE(run.completed);
  EXPECT_TRUE(run.raised);
  EXPECT_EQ(run.message, QStringLiteral("File write error"));
  const QByteArray written = ReadAll(path);
  // Whole rows only: the half row that fitted is taken back.
  EXPECT_EQ(written, QByteArray(kHeader) + LiveCsvRow(reading, 12250) + LiveCsvRow(reading, 12000));
}
