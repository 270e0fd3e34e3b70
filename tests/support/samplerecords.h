#pragma once

#include <cstdint>

#include "config/qvaconfig.h"

// What a sample record may vary.
struct SampleSpec {
  uint8_t seed = 0;  // can_bit_rate, and an offset to a few other fields
  uint16_t version = kCurrentConfigVersion;
  uint8_t sensorType = 2;
};

// The one sample record of the tests: something in every section, so that
// reports have values to show and a record is told apart from a blank one;
// named and filled tables with negative and full-range points; bytes that
// look like packet starts (0x80 0x81 0x82) and an end-of-file mark (0x1A)
// inside the data, which must travel as data. Samples of different seeds
// differ, so a test sees which one arrived.
QVA_CONFIG_DATA SampleConfig(const SampleSpec& sample = {});

// A device image (or record) whose cfg_crc16 no longer matches its bytes.
QVA_CONFIG_DATA WithBadCrc(QVA_CONFIG_DATA image);
