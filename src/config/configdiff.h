#pragma once

#include <cstddef>
#include <vector>

#include <QString>
#include <QStringList>

#include "config/qvaconfig.h"

// Field-by-field differences of two configuration records, with the names
// and values of the field table (config/configfields.h): what qva-cli diff
// prints and what a send shows for review.

struct FieldChange {
  QString name;
  QString before;  // the value in the first record, as dump shows it
  QString after;   // the value in the second record
};

struct ConfigDifference {
  bool equal = true;                          // all 672 bytes equal
  std::vector<FieldChange> fields;            // each differing named field, in record order
  std::vector<std::size_t> reservedOffsets;   // differing reserved bytes, ascending
  QStringList lines;  // "name: before -> after" per field, then the reserved-bytes line
};

// Compares two records byte by byte. A name that differs only after its
// terminating zero byte is shown with all its bytes, so that no difference
// goes without a line.
ConfigDifference DiffConfigs(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b);
