#pragma once

#include <QByteArray>
#include <QString>

#include "config/qvaconfig.h"
#include "ui/qvavalues.h"

class QIODevice;

// Table files: a lookup table of one configuration kept on disk to load into
// another. A binary table file (the kind's own extension) carries the whole
// table record in tagged chunks like a setup file; a comma-separated text
// file carries only the points, one "input, output" line each, for other
// tools to write and read.

enum class TableFileKind { OutputTable, AnalogOutput, UserCalibration };

// Everything that differs between the kinds.
struct TableFileKindInfo {
  QString title;      // in the file header chunk
  char headerTag[8];  // 7 characters and a terminator
  char detailsTag[8];
  QString extension;    // without the dot
  QString description;  // of the binary files in the dialogs' filters
  const ValueType* textInputType;
  const ValueType* textOutputType;
};

const TableFileKindInfo& KindInfo(TableFileKind kind);

// The kind of each table record.
constexpr TableFileKind KindOf(const QVA_OUTPUT_CAL_TABLE&) { return TableFileKind::OutputTable; }
constexpr TableFileKind KindOf(const QVA_ANALOG_OUT_TABLE&) { return TableFileKind::AnalogOutput; }
constexpr TableFileKind KindOf(const QVA_USER_CAL_TABLE&) { return TableFileKind::UserCalibration; }

// The dialog filters: "<description> (*.<ext>)|*.<ext>|CSV Format Files ...".
QString TableLoadFilter(TableFileKind kind);
QString TableSaveFilter(TableFileKind kind);
// True for a binary table file: its extension is the kind's (ignoring
// case); any other name is a text file.
bool IsBinaryTableFileName(const QString& path, TableFileKind kind);

constexpr int kMaxTableLineLength = 80;
// Byte size of a binary file holding n points.
constexpr qint64 TableFileSize(int points) {
  return 256 + 80 + 2 * (16 + 2 * qint64{points});
}

// ---- Streams (QIODevice) ----
// Binary: raises EFileWrite on a short write. Text: one CR LF line per
// point; a failed write raises EFileWrite too, so a disk that fills up is
// never reported as a saved table.
void WriteTableFile(const QVA_OUTPUT_CAL_TABLE& table, QIODevice& out, bool text);
void WriteTableFile(const QVA_ANALOG_OUT_TABLE& table, QIODevice& out, bool text);
void WriteTableFile(const QVA_USER_CAL_TABLE& table, QIODevice& out, bool text);

// Binary: replaces the kind's fields (points, num_rows and the kind's
// settings; the analog out_table_index stays). Raises EFileFormat or
// EFileVersion and then changes nothing. A values chunk of more than 32
// values is refused as "File format not valid".
// Text: replaces the points and num_rows only, returns the number of points
// read (0: nothing changed). Raises EFileFormat for a bad line after the
// first point. Never reads past the input.
int ReadTableFile(QVA_OUTPUT_CAL_TABLE& table, QIODevice& in, bool text);
int ReadTableFile(QVA_ANALOG_OUT_TABLE& table, QIODevice& in, bool text);
int ReadTableFile(QVA_USER_CAL_TABLE& table, QIODevice& in, bool text);

// ---- Byte forms of the same, for tests and callers without a device ----
template <typename Table>
QByteArray TableFileBytes(const Table& table, bool text);
template <typename Table>
int ParseTableFile(const QByteArray& bytes, Table& table, bool text);
