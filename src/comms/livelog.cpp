#include "comms/livelog.h"

#include <cerrno>
#include <cmath>

#include <QDir>
#include <QFileInfo>

#include "platform/appinfo.h"
#include "platform/filepaths.h"
#include "platform/qvaerrors.h"
#include "qvaversion.h"

namespace {

const QString kMslExtension = QStringLiteral("msl");
const QString kCsvExtension = QStringLiteral("csv");

QByteArray SmoothedText(const std::optional<double>& ua) {
  return IpMilliamps(static_cast<int16_t>(std::lround(*ua))).toLatin1();
}

QIODevice::OpenMode OpenModeOf(LiveLogWriter::Mode mode) {
  // Unbuffered: a row that does not fit shows in its own write's count.
  const QIODevice::OpenMode always = QIODevice::WriteOnly | QIODevice::Unbuffered;
  return mode == LiveLogWriter::Mode::NewOnly ? always | QIODevice::NewOnly : always | QIODevice::Truncate;
}

}  // namespace

LiveLogFormat LiveLogFormatOf(const QString& path) {
  return QFileInfo(path).suffix().compare(kMslExtension, Qt::CaseInsensitive) == 0 ? LiveLogFormat::Msl
                                                                                   : LiveLogFormat::Csv;
}

IpMovingAverage::IpMovingAverage(int64_t windowMs) : windowMs_(windowMs) {}

double IpMovingAverage::Add(int64_t timeMs, int16_t ipUa) {
  if (samples_.empty() || timeMs >= samples_.back().timeMs) {
    samples_.push_back({timeMs, ipUa});
    sum_ += ipUa;
    while (samples_.front().timeMs <= timeMs - windowMs_) {
      sum_ -= samples_.front().ipUa;
      samples_.pop_front();
    }
  }
  return static_cast<double>(sum_) / static_cast<double>(samples_.size());
}

void IpMovingAverage::Clear() {
  samples_.clear();
  sum_ = 0;
}

QByteArray LiveCsvHeader(const std::optional<int>& smoothingSeconds) {
  QByteArray header("time_s,state,state_name,sensor_type,ip_mA");
  if (smoothingSeconds) header += ",ip_avg_" + QByteArray::number(*smoothingSeconds) + "s_mA";
  for (int word = 0; word < kLiveWordCount; ++word) header += ",word" + QByteArray::number(word);
  return header + '\n';
}

QByteArray LiveCsvRow(const LiveLogRow& row) {
  const LiveReading& reading = row.reading;
  QByteArray line = MillisecondsAsSeconds(row.timeMs).toLatin1();
  line += ',' + QByteArray::number(reading.state);
  line += ',' + reading.StateName().toLatin1();
  line += ',' + QByteArray::number(reading.sensorType);
  line += ',' + IpMilliamps(reading.ip).toLatin1();
  if (row.smoothedUa) line += ',' + SmoothedText(row.smoothedUa);
  for (const uint16_t word : reading.words) line += ',' + QByteArray::number(word);
  return line + '\n';
}

QByteArray LiveCsvRow(const LiveReading& reading, int64_t originMs) {
  return LiveCsvRow(LiveLogRow{reading, reading.elapsedMs - originMs, std::nullopt});
}

QByteArray LiveMslHeader(const LiveLogOptions& options) {
  const QDateTime start =
      options.captureStart.isValid() ? options.captureStart : QDateTime::currentDateTime();
  // The offset from UTC is written out, so that the time stays right when
  // the log is read in another time zone.
  const QString when = start.toOffsetFromUtc(start.offsetFromUtc()).toString(Qt::ISODate);
  QByteArray head = QStringLiteral("\"%1 %2, captured %3\"\n")
                        .arg(kApplicationTitle, QStringLiteral(QVA_VERSION_TEXT), when)
                        .toUtf8();
  QByteArray names("Time\tState\tSensor\tIp");
  QByteArray units("s\t\t\tmA");
  if (options.smoothingSeconds) {
    names += "\tIp avg " + QByteArray::number(*options.smoothingSeconds) + " s";
    units += "\tmA";
  }
  for (int word = 0; word < kLiveWordCount; ++word) {
    names += "\tWord" + QByteArray::number(word);
    units += '\t';
  }
  return head + names + '\n' + units + '\n';
}

QByteArray LiveMslRow(const LiveLogRow& row) {
  const LiveReading& reading = row.reading;
  QByteArray line = MillisecondsAsSeconds(row.timeMs).toLatin1();
  line += '\t' + QByteArray::number(reading.state);
  line += '\t' + QByteArray::number(reading.sensorType);
  line += '\t' + IpMilliamps(reading.ip).toLatin1();
  if (row.smoothedUa) line += '\t' + SmoothedText(row.smoothedUa);
  for (const uint16_t word : reading.words) line += '\t' + QByteArray::number(word);
  return line + '\n';
}

LiveLogWriter::LiveLogWriter(LiveLogFormat format, const QString& path, Mode mode,
                             const LiveLogOptions& options)
    : format_(format), path_(path), file_(path) {
  if (options.smoothingSeconds) smoother_.emplace(int64_t{*options.smoothingSeconds} * 1000);
  const QString context = path + QLatin1Char(':');
  // QFile refuses a folder without a system code of its own.
  if (QFileInfo(path).isDir()) throw ESystemError(kIsADirectoryCode, context);
  if (mode == Mode::NewOnly && QFileInfo::exists(path)) throw ESystemError(kFileExistsCode, context);
  errno = 0;
  if (!file_.open(OpenModeOf(mode))) {
    const int code = LastSystemError();
    throw ESystemError(code != 0 ? code : kAccessDeniedCode, context);
  }
}

LiveLogWriter::~LiveLogWriter() = default;

void LiveLogWriter::Start(const QByteArray& head) {
  try {
    Write(head);
  } catch (const ESystemError& failure) {
    RemoveHeadlessFile();
    throw ESystemError(failure.Code(), path_ + QLatin1Char(':'));
  } catch (const Exception&) {
    RemoveHeadlessFile();
    throw;
  }
}

void LiveLogWriter::RemoveHeadlessFile() {
  // A log without its header is no log: a file that holds only what this
  // writer put in it goes. A device (such as a full one) stays.
  const QFileInfo info(path_);
  if (info.isFile() && !info.isSymLink()) QFile::remove(path_);
}

void LiveLogWriter::Write(const QByteArray& bytes) {
  if (!file_.isOpen()) throw EFileWrite();
  const qint64 before = file_.pos();
  errno = 0;
  if (file_.write(bytes) != bytes.size()) {
    const int code = LastSystemError();
    // The whole rows before stay; the part of the row that fitted goes, so
    // the file still reads as a log. Nothing more is written after a failure.
    file_.resize(before);
    file_.close();
    // No space is what the user can do something about: say so.
    if (code == kDiskFullCode) throw ESystemError(code);
    throw EFileWrite();
  }
}

bool LiveLogWriter::Append(const LiveReading& reading) {
  if (!file_.isOpen()) throw EFileWrite();
  if (lastMs_ && reading.elapsedMs <= *lastMs_) return false;
  if (!originMs_) originMs_ = reading.elapsedMs;
  LiveLogRow row{reading, reading.elapsedMs - *originMs_, std::nullopt};
  if (smoother_) row.smoothedUa = smoother_->Add(reading.elapsedMs, reading.ip);
  Write(FormatRow(row));
  lastMs_ = reading.elapsedMs;
  ++rows_;
  return true;
}

void LiveLogWriter::Close() {
  if (!file_.isOpen()) return;
  const bool flushed = file_.flush();
  file_.close();
  if (!flushed || file_.error() != QFileDevice::NoError) throw EFileWrite();
}

LiveCsvWriter::LiveCsvWriter(const QString& path, Mode mode, const LiveLogOptions& options)
    : LiveLogWriter(LiveLogFormat::Csv, path, mode, options) {
  Start(LiveCsvHeader(options.smoothingSeconds));
}

LiveMslWriter::LiveMslWriter(const QString& path, Mode mode, const LiveLogOptions& options)
    : LiveLogWriter(LiveLogFormat::Msl, path, mode, options) {
  Start(LiveMslHeader(options));
}

std::unique_ptr<LiveLogWriter> OpenLiveLog(LiveLogFormat format, const QString& path,
                                           LiveLogWriter::Mode mode, const LiveLogOptions& options) {
  if (format == LiveLogFormat::Msl) return std::make_unique<LiveMslWriter>(path, mode, options);
  return std::make_unique<LiveCsvWriter>(path, mode, options);
}

std::unique_ptr<LiveLogWriter> OpenLiveLog(const QString& path, LiveLogWriter::Mode mode,
                                           const LiveLogOptions& options) {
  return OpenLiveLog(LiveLogFormatOf(path), path, mode, options);
}

QString LiveLogFileName(const QDateTime& start, LiveLogFormat format) {
  return start.toString(QStringLiteral("'QVA 'yyyy-MM-dd HH-mm-ss")) + QLatin1Char('.') +
         (format == LiveLogFormat::Msl ? kMslExtension : kCsvExtension);
}

QString FreeLiveLogPath(const QString& folder, const QDateTime& start, LiveLogFormat format) {
  const QString name = LiveLogFileName(start, format);
  QString path = JoinPath(folder, name);
  const QString title = QFileInfo(name).completeBaseName();
  const QString extension = name.mid(title.size());
  for (int copy = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++copy)
    path = JoinPath(folder, QStringLiteral("%1 (%2)%3").arg(title).arg(copy).arg(extension));
  return path;
}

QString RecordingClockText(int64_t ms) {
  const int64_t seconds = ms < 0 ? 0 : ms / 1000;
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString RecordingStatusText(const LiveLogWriter& log) {
  return QStringLiteral("\u25CF REC %1  %2 %3  %4")
      .arg(QFileInfo(log.Path()).fileName())
      .arg(log.Rows())
      .arg(log.Rows() == 1 ? QStringLiteral("row") : QStringLiteral("rows"))
      .arg(RecordingClockText(log.RecordedMs()));
}
