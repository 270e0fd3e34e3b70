#include "editors/display.h"

QString FilterTimeUnitsText() {
  return UnitCaption(FilterTimeType, true);
}
