#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "config/qvaconfig.h"
#include "tables/curvedata.h"
#include "ui/fieldbindingcodes.h"
#include "ui/qvavalues.h"

// A configuration as the setup windows show it to the user, for the
// printable setup sheet: each window under its caption, the settings in use
// under the window's own labels, with the values as the window shows them
// (units, decimals, list texts, CAN identifiers in hexadecimal), each table
// as its points and curve. Each row names the record fields it shows. The
// comparison of two records has its own presentation, one row for every
// byte (editors/fieldpresentation.h); both take their lists and value types
// from the editors' rules.

// One labelled value of a window.
struct SheetRow {
  QString label;       // the window's label without accelerator and colon: "Sensor Type"
  QString value;       // "Bosch LSU4"
  QStringList fields;  // the record fields it shows, by their field-table names

  bool operator==(const SheetRow&) const = default;
};

// A text grid: a header and rows of the same width.
struct SheetGrid {
  QStringList header;
  std::vector<QStringList> rows;
};

// A table of points as its window shows it: the column titles and value
// types of its frame and the stored points (at most 32, whatever num_rows
// holds; `storedCount` is the record's own count).
struct SheetTable {
  QString title;
  QString inputTitle;
  QString outputTitle;
  ValueType inputType = PlainNumberType;
  ValueType outputType = PlainNumberType;
  std::vector<TablePoint> points;
  int storedCount = 0;
  QStringList fields;  // "output_table[0].values", "output_table[0].num_rows"
  // Another view of the same points, shown beside them (the analog
  // output's voltages against the value it follows); empty when none.
  SheetGrid beside;

  // The points as the frame shows them: input and output text per row.
  SheetGrid Cells() const;
  // The curve the table's curve view shows for these points.
  TableCurve Curve() const;
  // What a reader must know about the points: none, more than a table
  // holds, or points the table rules would refuse.
  QStringList Notes() const;
};

// A window's caption and what it shows, in this order: the labelled rows,
// sentences about them, text grids, tables of points.
struct SheetSection {
  QString title;
  std::vector<SheetRow> rows;
  QStringList notes;
  std::vector<SheetGrid> grids;
  std::vector<SheetTable> tables;
};

// A label as the window writes it, made plain: "&Sensor Type :" reads
// "Sensor Type".
QString PlainLabel(const QString& windowLabel);

// The text of a code in a window's list; a code the list does not hold
// reads "Unknown (N)" instead of the item the window would fall
// back to, so nothing is shown that the record does not say.
QString ListText(const CodeList& items, int code);

// A raw value in a value type's text form; a value the type cannot show
// (it would not fit) reads as the raw integer.
QString ShownValue16(const ValueType& type, int16_t raw, bool showUnit);

// The sections in the order of the Setup menu, the output tables after the
// Display window that opens them first:
// Sensor Setup, Display Setup, Output Table Setup (one per table),
// Digital Inputs Setup, CAN Message Setup, Analog Output Setup.
SheetSection SheetSensor(const QVA_CONFIG_DATA& config);
SheetSection SheetDisplay(const QVA_CONFIG_DATA& config);
SheetSection SheetOutputTable(const QVA_CONFIG_DATA& config, int index);
SheetSection SheetDigitalInputs(const QVA_CONFIG_DATA& config);
SheetSection SheetCanMessages(const QVA_CONFIG_DATA& config);
SheetSection SheetAnalogOutput(const QVA_CONFIG_DATA& config);
std::vector<SheetSection> SheetSections(const QVA_CONFIG_DATA& config);

// What the analog output follows, as the engine control unit must be set
// to read it: a sentence, and for a function that follows a value, each
// calibration point as its voltage against that value in the value's
// units, ascending by voltage.
struct AnalogOutputReading {
  QString statement;
  SheetGrid voltages;  // empty when the output follows nothing
};
AnalogOutputReading ReadAnalogOutput(const QVA_CONFIG_DATA& config);
