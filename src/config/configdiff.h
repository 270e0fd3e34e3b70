#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

// The reserved bytes (not named fields) whose values differ, ascending.
std::vector<std::size_t> DifferingReservedOffsets(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b);

// The differences of two records as a user reads them: grouped by the
// section of the setup window that edits them, each field under the label
// that window gives it and in its units. editors/configcomparison.h builds
// it; the review before a send, the backups, Compare With and qva-cli diff
// --units show it.

// One line of a comparison: a field's label and its value in each record.
struct ComparisonRow {
  QString label;
  QString before;  // in the first record (the loaded one, or the meter's)
  QString after;   // in the second record (the backup, or the one to send)
};

// A run of record bytes.
struct ByteSpan {
  uint16_t offset = 0;
  uint16_t size = 0;
};

// What is taken over as a whole: one field, a whole table or a whole CAN
// message, with the rows of it that differ.
struct ComparisonItem {
  QString title;
  std::vector<ByteSpan> bytes;  // the record bytes the item stands for
  std::vector<ComparisonRow> rows;
};

struct ComparisonSection {
  QString title;  // "Sensor", "Output Table 1", ...
  std::vector<ComparisonItem> items;
};

struct ConfigComparison {
  bool equal = true;  // all 672 bytes equal
  std::vector<ComparisonSection> sections;
  // The checksum is no setting: it is shown apart and never taken over.
  std::optional<ComparisonRow> checksum;
  std::vector<std::size_t> reservedOffsets;  // differing reserved bytes, ascending

  // The number of rows of every section: the count a summary names.
  int FieldCount() const;
};

// "Reserved bytes differ at offsets: 40, 41", or empty when none differ.
QString ReservedOffsetsText(const std::vector<std::size_t>& offsets);

// What stands instead of rows when the records are equal: says what was
// compared, so that an empty list never leaves the reader guessing.
QString IdenticalComparisonText();

// The comparison as indented text lines: each section's title, its items
// (an item of one row on one line), then the checksum and reserved bytes.
QStringList ComparisonLines(const ConfigComparison& comparison);

// Copies the item's bytes from source into target; nothing else changes.
void TakeOverItem(QVA_CONFIG_DATA& target, const QVA_CONFIG_DATA& source, const ComparisonItem& item);

// Builds the comparison of two records (editors/configcomparison.h has the
// one the program uses); handed down to windows of lower layers.
using ConfigComparer = ConfigComparison (*)(const QVA_CONFIG_DATA& before, const QVA_CONFIG_DATA& after);
