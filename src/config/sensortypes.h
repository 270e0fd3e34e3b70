#pragma once

#include <QString>

// sensor_type codes of the configuration, also reported by the meter in
// status byte 13.
enum SensorTypeCode : int {
  kSensorNone = 0,
  kSensorNtk = 1,
  kSensorBoschLsu4 = 2,
  kSensorBoschLsu42 = 3,
};

// The sensor's name as the program shows it ("Bosch LSU4.2"); "None" for
// no sensor type and "Unknown sensor type (N)" for a code the program does
// not know.
QString SensorTypeName(int code);
