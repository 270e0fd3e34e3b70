#pragma once

#include <QByteArray>
#include <QStringList>

#include "config/qvaconfig.h"

// The text forms of qva-cli's reports on a configuration record.

// One "name = value" line per named field, in record order.
QByteArray DumpText(const QVA_CONFIG_DATA& config);

// One JSON object with the same names, in record order; pure ASCII.
QByteArray DumpJson(const QVA_CONFIG_DATA& config);

struct ConfigDifference {
  bool equal = true;  // all 672 bytes equal
  QStringList lines;  // "name: a -> b" per differing field, then the reserved-bytes line
};

// Compares two records byte by byte. A name that differs only after its
// terminating zero byte is shown with all its bytes, so that no difference
// goes without a line.
ConfigDifference DiffConfigs(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b);
