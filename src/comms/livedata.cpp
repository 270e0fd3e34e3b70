#include "comms/livedata.h"

#include <cerrno>

#include "comms/qvaserialcomms.h"
#include "config/sensortypes.h"
#include "platform/filepaths.h"
#include "platform/qvaerrors.h"
#include "ui/qvavalues.h"

namespace {

// "12.250" for 12250: seconds from milliseconds, milliamps from
// microamps. Whole numbers, so no rounding and no locale.
QString ThousandthsText(int64_t value) {
  const int64_t magnitude = value < 0 ? -value : value;
  return QStringLiteral("%1%2.%3")
      .arg(value < 0 ? QStringLiteral("-") : QString())
      .arg(magnitude / 1000)
      .arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
}

}  // namespace

QString LiveReading::SensorTypeText() const {
  return SensorTypeName(sensorType);
}

QString LiveReading::IpText() const {
  return FormatValue16(IpType, ip, true);
}

LiveReading MakeLiveReading(int64_t elapsedMs, const DeviceStatusBlock& status, const DeviceLiveData& live) {
  LiveReading reading;
  reading.elapsedMs = elapsedMs;
  reading.state = status.State();
  reading.sensorType = status.SensorType();
  for (int word = 0; word < kLiveWordCount; ++word)
    reading.words[word] = static_cast<uint16_t>((live.raw[2 * word] << 8) | live.raw[2 * word + 1]);
  reading.ip = static_cast<int16_t>(reading.words[0]);
  return reading;
}

LiveReading PollLiveData(QVASerialComms& link, int64_t elapsedMs) {
  const DeviceStatusBlock status = ReadStatusBlock(link);
  const DeviceLiveData live = ReadLiveData(link);
  return MakeLiveReading(elapsedMs, status, live);
}

int64_t LiveTickWait(int64_t elapsedMs, int intervalMs) {
  if (elapsedMs < 0) return -elapsedMs;
  return intervalMs - elapsedMs % intervalMs;
}

QString MillisecondsAsSeconds(int64_t ms) {
  return ThousandthsText(ms);
}

QString IpMilliamps(int16_t ip) {
  return ThousandthsText(ip);
}

QString LiveTextLine(const LiveReading& reading) {
  return MillisecondsAsSeconds(reading.elapsedMs) + QLatin1Char('\t') + reading.StateName() +
         QLatin1Char('\t') + reading.SensorTypeText() + QLatin1Char('\t') + reading.IpText();
}

QByteArray LiveCsvHeader() {
  QByteArray header("time_s,state,state_name,sensor_type,ip_mA");
  for (int word = 0; word < kLiveWordCount; ++word) header += ",word" + QByteArray::number(word);
  return header + '\n';
}

QByteArray LiveCsvRow(const LiveReading& reading, int64_t originMs) {
  QByteArray row = MillisecondsAsSeconds(reading.elapsedMs - originMs).toLatin1();
  row += ',' + QByteArray::number(reading.state);
  row += ',' + reading.StateName().toLatin1();
  row += ',' + QByteArray::number(reading.sensorType);
  row += ',' + IpMilliamps(reading.ip).toLatin1();
  for (const uint16_t word : reading.words) row += ',' + QByteArray::number(word);
  return row + '\n';
}

LiveCsvRecorder::LiveCsvRecorder(const QString& path) : path_(path), file_(path) {
  errno = 0;
  // Unbuffered: a row that does not fit shows in its own write's count.
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
    const int code = LastSystemError();
    throw ESystemError(code != 0 ? code : kAccessDeniedCode, path + QLatin1Char(':'));
  }
  Write(LiveCsvHeader());
}

void LiveCsvRecorder::Write(const QByteArray& bytes) {
  if (!file_.isOpen()) throw EFileWrite();
  const qint64 before = file_.pos();
  if (file_.write(bytes) != bytes.size()) {
    // The whole rows before stay; the part of the row that fitted goes, so
    // the file still reads as CSV. Nothing more is written after a failure.
    file_.resize(before);
    file_.close();
    throw EFileWrite();
  }
}

void LiveCsvRecorder::Append(const LiveReading& reading) {
  if (!originMs_) originMs_ = reading.elapsedMs;
  Write(LiveCsvRow(reading, *originMs_));
  ++rows_;
}

void LiveCsvRecorder::Close() {
  if (!file_.isOpen()) return;
  const bool flushed = file_.flush();
  file_.close();
  if (!flushed || file_.error() != QFileDevice::NoError) throw EFileWrite();
}
