#pragma once

#include <cstdint>

#include <QString>

#include "config/qvaconfig.h"
#include "ui/fieldbindingcodes.h"

// The rules of the sensor editor: the sensor type, how the sensor is
// calibrated, the NTK heater voltage and the sensor timeout.

inline const QString kSensorSetupCaption = QStringLiteral("Sensor Setup");

// sensor_cal_method codes.
enum CalMethod : int {
  kCalMeasured = 0,    // the meter's own measured calibration
  kCalEnterValue = 1,  // an equivalent resistor or a gain factor typed in
  kCalFromO2 = 2,      // a gain measured in gas of known O2 concentration
  kCalEnterTable = 3,  // the user calibration table
};

// The pages of the method notebook, by objectName.
inline const QString kPageDefault = QStringLiteral("Default");
inline const QString kPageCalResistor = QStringLiteral("CalResistor");
inline const QString kPageO2Percent = QStringLiteral("O2Percent");
inline const QString kPageCalTable = QStringLiteral("CalTable");

// ntk_heater_voltage in 0.1 V: 0 means "not set", shown as 10.5 V.
constexpr int16_t kDefaultHeaterVoltage = 105;
constexpr int16_t kMinHeaterVoltage = 50;
constexpr int16_t kMaxHeaterVoltage = 255;
// O2 concentration in 0.01 %: air, and the highest that can be typed.
constexpr int16_t kAirO2Percent = 2094;
constexpr int16_t kMaxO2Percent = 10000;

inline const QString kSensorTypeRequiredMessage = QStringLiteral("A sensor type must be selected");
// Shown for the equivalent resistor of a gain outside the sensor's table.
inline const QString kResistorNotCalculable = QStringLiteral("Equivalent resistor cannot be calculated");

CodeList SensorTypeItems();
CodeList CalMethodItems();
// The notebook page a method shows; the default page for anything else.
QString CalMethodPage(int method);

// The user_gain_factor as the meter reads it: unsigned 16 bits (the field
// is declared signed, but a measured gain may exceed 32767).
uint16_t StoredGain(const QVA_CONFIG_DATA& record);

// The inclusive ranges of the "Enter calibration value" page for a sensor
// type: resistor 0..GainToResistor(T[30]) (0..4294967295 with no type),
// gain T[0]..T[30] (0..0 with no type).
struct CalValueRange {
  uint32_t low = 0;
  uint32_t high = 0;
};
CalValueRange ResistorRange(int sensorType);
CalValueRange GainRange(int sensorType);

// The equivalent resistor of a gain as the texts show it: the number, or
// why there is none (no sensor type, or a gain outside the table).
QString ResistorTextForGain(int64_t gain, int sensorType);

// "Existing calibration values" of the O2 page, from the record's gain and
// sensor type.
QString CurrentCalibrationText(const QVA_CONFIG_DATA& record);

// Fewer than two points in the table: the notice; empty otherwise.
QString CalibrationPointsMessage(int count);
