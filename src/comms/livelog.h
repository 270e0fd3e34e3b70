#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include "comms/livedata.h"

// Live data logs: the readings recorded to a file as they come, in one of
// two formats chosen by the file's name. A ".msl" file is the tab-delimited
// datalog that tuners' log viewers open (a preamble line, a header row
// starting with "Time", a units row, one row per reading); any other name
// gets the CSV. Both write the same whole rows the same safe way.

enum class LiveLogFormat { Csv, Msl };

// ".msl" (in any case) asks for the datalog; every other name for the CSV.
LiveLogFormat LiveLogFormatOf(const QString& path);

// The smoothed Ip column: a moving average over the readings of the last
// window (whole seconds, as the user picks it).
constexpr int kMinSmoothingSeconds = 1;
constexpr int kMaxSmoothingSeconds = 60;

struct LiveLogOptions {
  // Adds the smoothed Ip next to the raw Ip when set (seconds).
  std::optional<int> smoothingSeconds;
  // When the capture began, for the datalog's first line; now when unset.
  QDateTime captureStart;
};

// The mean of the pump currents read over the last windowMs (a reading at
// exactly windowMs ago has left it). Readings that did not come leave no
// trace: the mean is of what was read.
class IpMovingAverage {
 public:
  explicit IpMovingAverage(int64_t windowMs);
  // Adds a reading and returns the mean in microamps. A reading older than
  // the newest is ignored (the mean is returned as it was).
  double Add(int64_t timeMs, int16_t ipUa);
  void Clear();
  int64_t WindowMs() const { return windowMs_; }

 private:
  struct Sample {
    int64_t timeMs;
    int16_t ipUa;
  };
  int64_t windowMs_;
  std::deque<Sample> samples_;
  int64_t sum_ = 0;
};

// One row of a log: the reading, its time from the log's first row and
// the smoothed Ip when the log has the column.
struct LiveLogRow {
  LiveReading reading;
  int64_t timeMs = 0;
  std::optional<double> smoothedUa;
};

// The CSV: a header line, then one row per reading. Columns: time_s
// (seconds since the first row), state (the byte), state_name,
// sensor_type (the byte), ip_mA, the smoothed Ip when chosen
// (ip_avg_Ns_mA, N the window in seconds), then word0..word13: the 14
// big-endian words of the live data block as unsigned numbers, word N at
// byte offset 2N (word0 is Ip, signed in ip_mA). '.' decimals, no quoting
// (no field holds a comma), lines end in "\n".
QByteArray LiveCsvHeader(const std::optional<int>& smoothingSeconds = std::nullopt);
QByteArray LiveCsvRow(const LiveReading& reading, int64_t originMs = 0);
QByteArray LiveCsvRow(const LiveLogRow& row);

// The datalog: the first line names the program, its version and when the
// capture began (ISO 8601 with the offset from UTC), in double quotes; then
// the header row (Time, State, Sensor, Ip, the smoothed Ip when chosen as
// "Ip avg N s", Word0..Word13), the units row (s, blank for the state,
// the sensor type and the raw words, mA for Ip) and a row per reading.
// Fields are parted by tabs, the state and sensor type are their codes,
// every number has a '.' whatever the locale, lines end in "\n".
QByteArray LiveMslHeader(const LiveLogOptions& options);
QByteArray LiveMslRow(const LiveLogRow& row);

// A log file being recorded. Each row is written unbuffered and checked,
// so the file holds every whole row up to a failure: the part of a row
// that did not fit is taken back and nothing more is written. Each format
// is a writer of its own behind this one interface; OpenLiveLog picks it.
class LiveLogWriter {
 public:
  enum class Mode {
    Replace,  // creates the file or replaces one the user agreed to replace
    NewOnly,  // creates the file; one that exists is left alone (an error)
  };

  virtual ~LiveLogWriter();
  LiveLogWriter(const LiveLogWriter&) = delete;
  LiveLogWriter& operator=(const LiveLogWriter&) = delete;

  // Writes a row for the reading. A reading not later than the last row's
  // is not written (a tick is never recorded twice) and false returned.
  // Raises ESystemError (no space left) or EFileWrite unless every byte
  // of the row reached the file; the log is closed then.
  bool Append(const LiveReading& reading);
  // Closes the file. Raises EFileWrite when the system reports a failure
  // on closing. Safe to call more than once.
  void Close();

  LiveLogFormat Format() const { return format_; }
  const QString& Path() const { return path_; }
  int Rows() const { return rows_; }
  // The time of the last row from the first (0 before any).
  int64_t RecordedMs() const { return lastMs_ ? *lastMs_ - *originMs_ : 0; }
  bool IsOpen() const { return file_.isOpen(); }

 protected:
  // Opens the file; raises ESystemError (after "path:") when it cannot be
  // made: a folder, a missing folder, no permission, a file that exists
  // in NewOnly mode.
  LiveLogWriter(LiveLogFormat format, const QString& path, Mode mode, const LiveLogOptions& options);
  // Writes what stands before the rows. When it does not fit, a file this
  // writer made or emptied is removed and ESystemError (after "path:") or
  // EFileWrite raised.
  void Start(const QByteArray& head);
  virtual QByteArray FormatRow(const LiveLogRow& row) const = 0;

 private:
  void Write(const QByteArray& bytes);
  void RemoveHeadlessFile();

  LiveLogFormat format_;
  QString path_;
  QFile file_;
  std::optional<IpMovingAverage> smoother_;
  std::optional<int64_t> originMs_;
  std::optional<int64_t> lastMs_;
  int rows_ = 0;
};

class LiveCsvWriter : public LiveLogWriter {
 public:
  explicit LiveCsvWriter(const QString& path, Mode mode = Mode::Replace, const LiveLogOptions& options = {});

 protected:
  QByteArray FormatRow(const LiveLogRow& row) const override { return LiveCsvRow(row); }
};

class LiveMslWriter : public LiveLogWriter {
 public:
  explicit LiveMslWriter(const QString& path, Mode mode = Mode::Replace, const LiveLogOptions& options = {});

 protected:
  QByteArray FormatRow(const LiveLogRow& row) const override { return LiveMslRow(row); }
};

// The writer for the format given, or the one the path's name asks for.
std::unique_ptr<LiveLogWriter> OpenLiveLog(LiveLogFormat format, const QString& path,
                                           LiveLogWriter::Mode mode, const LiveLogOptions& options);
std::unique_ptr<LiveLogWriter> OpenLiveLog(const QString& path, LiveLogWriter::Mode mode,
                                           const LiveLogOptions& options);

// The name Record gives a log begun at a time: "QVA 2026-12-09 14-03-27.msl"
// (no colons, which some systems do not allow in names).
QString LiveLogFileName(const QDateTime& start, LiveLogFormat format = LiveLogFormat::Msl);
// That name in a folder, or, when a file of that name exists, the same
// with " (2)", " (3)"... before the extension: a path no file has yet.
QString FreeLiveLogPath(const QString& folder, const QDateTime& start,
                        LiveLogFormat format = LiveLogFormat::Msl);

// A recording's length as a clock shows it: "0:00:07", "1:02:03".
QString RecordingClockText(int64_t ms);
// What shows while a log is recorded: "● REC run.msl  12 rows  0:00:03"
// (the file's name without its folder; "1 row" for one).
QString RecordingStatusText(const LiveLogWriter& log);
