#pragma once

#include <array>
#include <cstdint>

#include <QByteArray>
#include <QString>

#include "comms/devicecommands.h"

class QVASerialComms;

// Live data: the meter's state, sensor type and pump current read every
// 250 ms, shown by the Live Data window and printed or recorded by
// qva-cli live. The readings and their texts live here, the recording in
// livelog.h; the window's timer and the command's loop only drive them.

inline const QString kLiveDataCaption = QStringLiteral("Live Data");
constexpr int kLiveTickIntervalMs = 250;
// The live data block as 16-bit words (big-endian); word 0 is Ip.
constexpr int kLiveWordCount = kLiveDataSize / 2;

// One reading of the status block and the live data block.
struct LiveReading {
  int64_t elapsedMs = 0;  // since the session started, taken before the reads
  uint8_t state = 0;      // status byte 12
  uint8_t sensorType = 0;  // status byte 13, coded as sensor_type
  int16_t ip = 0;          // pump current in microamps (live word 0, signed)
  std::array<uint16_t, kLiveWordCount> words{};  // the live data block as received

  QString StateName() const { return DeviceStateName(state); }
  QString SensorTypeText() const;
  // Ip as the program shows pump currents (the value formats' Ip type):
  // "3.200 mA", "-0.045 mA", with the user's decimal separator.
  QString IpText() const;
};

// A reading from what the meter sent; the words are taken big-endian.
LiveReading MakeLiveReading(int64_t elapsedMs, const DeviceStatusBlock& status, const DeviceLiveData& live);
// One tick: reads the status block, then the live data. Raises
// ESerialCommunications when the link fails.
LiveReading PollLiveData(QVASerialComms& link, int64_t elapsedMs);

// How long to wait after a tick that ended at elapsedMs: ticks fall on a
// fixed grid from the start (0, 250, 500 ms...), so slow reads do not make
// the readings drift; a tick that came late is not made up.
int64_t LiveTickWait(int64_t elapsedMs, int intervalMs = kLiveTickIntervalMs);

// Seconds with three decimals, without a locale: "12.250", "-0.005".
QString MillisecondsAsSeconds(int64_t ms);
// Ip in mA with three decimals, no unit and always a '.' (for the CSV): "3.200".
QString IpMilliamps(int16_t ip);

// The line qva-cli live prints for a reading: time in seconds, state name,
// sensor type name and Ip, parted by tabs (the names may hold spaces):
// "12.250\tRUN\tBosch LSU4.2\t3.200 mA".
QString LiveTextLine(const LiveReading& reading);
