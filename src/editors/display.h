#pragma once

#include <cstdint>

#include <QString>

#include "ui/qvavalues.h"

// The rules of the device's own display: which output table it shows, the
// decimals per table, how often it updates, how strongly the shown value is
// filtered and the backlight.

inline const QString kDisplaySetupCaption = QStringLiteral("Display Setup");

constexpr int kMinUpdateRate = 1;  // updates per second; a stored 0 shows as 1
constexpr int kMaxUpdateRate = 10;
constexpr int kMaxBacklightIntensity = 100;  // percent
constexpr int16_t kMinFilterTime = 0;        // raw, steps of 0.1 s
constexpr int16_t kMaxFilterTime = 255;

// The unit beside the filter time field: "( s )".
QString FilterTimeUnitsText();
