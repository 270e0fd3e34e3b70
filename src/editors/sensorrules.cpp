#include "editors/sensorrules.h"

#include <limits>

#include "config/sensortypes.h"
#include "editors/gaintable.h"
#include "ui/qvavalues.h"

CodeList SensorTypeItems() {
  return {
      {kSensorNone, QStringLiteral("Select Sensor Type")},
      {kSensorNtk, SensorTypeName(kSensorNtk)},
      {kSensorBoschLsu4, SensorTypeName(kSensorBoschLsu4)},
      {kSensorBoschLsu42, SensorTypeName(kSensorBoschLsu42)},
  };
}

CodeList CalMethodItems() {
  return {
      {kCalMeasured, QStringLiteral("Use measured calibration value")},
      {kCalEnterValue, QStringLiteral("Enter calibration value")},
      {kCalFromO2, QStringLiteral("Calculate from O2 concentration")},
      {kCalEnterTable, QStringLiteral("Enter calibration table")},
  };
}

QString CalMethodPage(int method) {
  switch (method) {
    case kCalEnterValue:
      return kPageCalResistor;
    case kCalFromO2:
      return kPageO2Percent;
    case kCalEnterTable:
      return kPageCalTable;
    default:
      return kPageDefault;
  }
}

uint16_t StoredGain(const QVA_CONFIG_DATA& record) {
  return static_cast<uint16_t>(record.user_gain_factor);
}

CalValueRange ResistorRange(int sensorType) {
  const GainTable* table = GainTableFor(sensorType);
  if (table == nullptr) return {0, std::numeric_limits<uint32_t>::max()};
  return {0, GainToResistor(table->back(), *table).value_or(0)};
}

CalValueRange GainRange(int sensorType) {
  const GainTable* table = GainTableFor(sensorType);
  if (table == nullptr) return {0, 0};
  return {static_cast<uint32_t>(table->front()), static_cast<uint32_t>(table->back())};
}

QString ResistorTextForGain(int64_t gain, int sensorType) {
  const GainTable* table = GainTableFor(sensorType);
  if (table == nullptr) return kResistorNotCalculable + QStringLiteral(" without a sensor type");
  const std::optional<uint32_t> resistor = GainToResistor(gain, *table);
  if (!resistor) return kResistorNotCalculable;
  return FormatValue32(PlainNumberType, *resistor, true);
}

QString CurrentCalibrationText(const QVA_CONFIG_DATA& record) {
  const uint16_t gain = StoredGain(record);
  return QStringLiteral("Existing calibration values\n") + QStringLiteral("   Gain factor calibration : ") +
         FormatValue32(PlainNumberType, gain, true) + QStringLiteral("\n") +
         QStringLiteral("   Equivalent resistor calibration : ") +
         ResistorTextForGain(gain, record.sensor_type);
}

QString CalibrationPointsMessage(int count) {
  if (count >= 2) return QString();
  const QString first = count == 0 ? QStringLiteral("No calibration points have been entered.\n")
                                   : QStringLiteral("Only one calibration point has been entered.\n");
  return first + QStringLiteral("You should enter at least two points in the calibration table to proceed.");
}
