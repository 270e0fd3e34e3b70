#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "config/sensortypes.h"

// The sensor gain factors of the meter's three sensor types. Entry i is the
// gain of the equivalent calibration resistor 100 * i ohms, so a table
// covers 0 to 3000; the values ascend (the NTK table repeats its last ones).

constexpr int kGainTableSize = 31;
constexpr int kResistorStep = 100;

using GainTable = std::array<int16_t, kGainTableSize>;

// The table of a sensor type; null for "no sensor type" and unknown codes.
const GainTable* GainTableFor(int sensorType);

// The gain of an equivalent resistor, interpolated between the two entries
// around it; resistors beyond 3000 extrapolate from the last two entries.
// Saturates at the 16-bit limits.
int16_t ResistorToGain(uint32_t resistor, const GainTable& table);

// Whether a gain lies between the table's first and last entries, where
// GainToResistor is defined.
bool GainInTable(int64_t gain, const GainTable& table);

// The equivalent resistor of a gain, interpolated; nothing for a gain
// outside the table (GainInTable).
std::optional<uint32_t> GainToResistor(int64_t gain, const GainTable& table);
