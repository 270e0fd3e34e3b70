#pragma once

#include <vector>

#include <QString>

#include "config/configdiff.h"
#include "config/qvaconfig.h"

// A whole configuration as the setup windows show it: grouped by the window
// that edits it (Sensor, Display, Output Table 1 and 2, CAN, Analog Output,
// Digital Inputs), each field under the window's label and in its units
// (mA, V, %, hexadecimal CAN identifiers, table points as input → output,
// list texts for codes). Fields no window shows come last under "Other",
// by their record names. The shape (sections, items, rows) is the same for
// every record, so two presentations line up row by row.

struct PresentedRow {
  QString label;
  QString value;
  std::vector<ByteSpan> bytes;  // the record bytes this row shows
  bool unused = false;          // a table point beyond the table's count
};

// A field, a table or a CAN message: what a setup window edits as a whole.
struct PresentedItem {
  QString title;
  std::vector<ByteSpan> bytes;  // every byte of the item (its rows' bytes)
  std::vector<PresentedRow> rows;
};

struct PresentedSection {
  QString title;
  std::vector<PresentedItem> items;
};

// Every named field except the checksum, each byte in exactly one row.
std::vector<PresentedSection> PresentConfig(const QVA_CONFIG_DATA& config);

// The checksum row: "Checksum (cfg_crc16)" with the value in hexadecimal.
PresentedRow PresentChecksum(const QVA_CONFIG_DATA& config);

// The bytes of the spans in hexadecimal ("bytes 20 00 01"): what a row shows
// when two values read alike but their bytes differ.
QString SpanBytesText(const QVA_CONFIG_DATA& config, const std::vector<ByteSpan>& spans);
