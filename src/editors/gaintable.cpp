#include "editors/gaintable.h"

#include <algorithm>
#include <limits>

namespace {

constexpr GainTable kNtkGains = {457, 774, 822, 842, 852, 859, 863, 867, 869, 871, 873,
                                 874, 875, 876, 877, 878, 878, 879, 879, 880, 880, 880,
                                 881, 881, 881, 881, 882, 882, 882, 882, 882};
constexpr GainTable kLsu4Gains = {0,    304,  500,  653,  776,  878,  962,  1034, 1095, 1149, 1196,
                                  1237, 1274, 1307, 1337, 1364, 1388, 1411, 1431, 1450, 1468, 1484,
                                  1499, 1513, 1526, 1538, 1550, 1561, 1571, 1580, 1590};
constexpr GainTable kLsu42Gains = {0,    293,  503,  668,  801,  910,  1001, 1078, 1144, 1202, 1252,
                                   1297, 1337, 1372, 1404, 1433, 1460, 1484, 1506, 1526, 1545, 1563,
                                   1579, 1594, 1608, 1621, 1633, 1645, 1656, 1666, 1676};

}  // namespace

const GainTable* GainTableFor(int sensorType) {
  switch (sensorType) {
    case kSensorNtk:
      return &kNtkGains;
    case kSensorBoschLsu4:
      return &kLsu4Gains;
    case kSensorBoschLsu42:
      return &kLsu42Gains;
    default:
      return nullptr;
  }
}

int16_t ResistorToGain(uint32_t resistor, const GainTable& table) {
  const int64_t c = std::min<int64_t>(resistor / kResistorStep, kGainTableSize - 2);
  const int64_t low = table[c];
  const int64_t high = table[c + 1];
  // C++ division truncates toward zero, as the meter's firmware does.
  const int64_t gain =
      low + (high - low) * (static_cast<int64_t>(resistor) - kResistorStep * c) / kResistorStep;
  return static_cast<int16_t>(
      std::clamp<int64_t>(gain, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

bool GainInTable(int64_t gain, const GainTable& table) {
  return gain >= table.front() && gain <= table.back();
}

std::optional<uint32_t> GainToResistor(int64_t gain, const GainTable& table) {
  if (!GainInTable(gain, table)) return std::nullopt;
  for (int i = 1; i < kGainTableSize; ++i) {
    if (table[i] < gain) continue;
    const int64_t step = table[i] - table[i - 1];
    // Only a table whose first two entries are equal and equal to the gain
    // gets here with a zero step: that gain is the first entry.
    if (step == 0) return static_cast<uint32_t>(kResistorStep * (i - 1));
    return static_cast<uint32_t>((gain - table[i - 1]) * kResistorStep / step + kResistorStep * (i - 1));
  }
  return std::nullopt;
}
