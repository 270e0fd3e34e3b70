#pragma once

#include <optional>

#include <QString>

#include "config/qvaconfig.h"
#include "ui/fieldbindingcodes.h"
#include "ui/qvavalues.h"

// The rules of the two output tables: each maps the normalised pump current
// (Ipn) to the number the device reports, with a name and the decimal
// places of its output. The display, the CAN messages and the analog output
// each pick one of them, by a list that shows the tables' names.

inline const QString kOutputTableCaption = QStringLiteral("Output Table Setup");

constexpr int kOutputTableCount = 2;
// The name field holds 16 bytes with a terminating zero.
constexpr int kOutputNameLength = 15;
constexpr int kMinTableDecimals = 0;
constexpr int kMaxTableDecimals = 3;

// The table a caller's index stands for: the index when it names a table,
// else the first table.
int ChooseTableIndex(int callerIndex);

// "Table 1", "Table 2": the tab captions.
QString OutputTableTabText(int index);

// The stored name: the bytes up to the first zero (at most 16), one
// character per byte.
QString OutputTableName(const QVA_OUTPUT_CAL_TABLE& table);
// The 16 name bytes cleared, then the first 15 characters of name, one byte
// each, so the terminator always stays. A character outside Latin-1 (which
// the name field refuses) is stored as '?'.
void SetOutputTableName(QVA_OUTPUT_CAL_TABLE& table, const QString& name);
// True when every character fits one byte of the name.
bool IsStorableNameText(const QString& text);

// The text for table `index` in the lists of the other editors: the name
// trimmed of blanks, or "(Output Table n)" when that is empty.
QString OutputTableListText(const QVA_OUTPUT_CAL_TABLE& table, int index);
// Both tables with codes 0 and 1, as the display lists them.
CodeList OutputTableItems(const QVA_CONFIG_DATA& config);

// The decimal places a page shows for a stored value: within 0..3 (a
// record from elsewhere may hold more).
int ShownDecimalPlaces(int stored);
// The decimal places a typed text asks for: a whole number within 0..3, or
// nothing (the column then keeps its format until OK names the fault).
std::optional<int> TypedDecimalPlaces(const QString& text);
// The value type of an output column with that many decimal places.
ValueType OutputColumnType(int decimals);

// The input column of the output tables: Ipn in mA.
QString OutputTableInputTitle();
inline const QString kOutputTableOutputTitle = QStringLiteral("Output");
