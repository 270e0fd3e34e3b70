#include "comms/livedata.h"

#include "comms/qvaserialcomms.h"
#include "config/sensortypes.h"
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
