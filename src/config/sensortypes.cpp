#include "config/sensortypes.h"

QString SensorTypeName(int code) {
  switch (code) {
    case kSensorNone:
      return QStringLiteral("None");
    case kSensorNtk:
      return QStringLiteral("NTK");
    case kSensorBoschLsu4:
      return QStringLiteral("Bosch LSU4");
    case kSensorBoschLsu42:
      return QStringLiteral("Bosch LSU4.2");
    default:
      return QStringLiteral("Unknown sensor type (%1)").arg(code);
  }
}
