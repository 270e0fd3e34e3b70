#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "config/configfields.h"
#include "config/qvaconfig.h"

// Changes to named fields of a record, as qva-cli set takes them: single
// "NAME=VALUE" assignments, or the "name = value" lines that dump prints.
// Every value is read and checked into the field's bytes before any record
// is touched; a refusal raises EConvertError whose message names the field,
// the value and what the field takes.

// A dump larger than this is not the dump of one record.
constexpr qsizetype kMaxDumpTextSize = 1024 * 1024;

// One field's new content, checked.
struct FieldEdit {
  const ConfigField* field = nullptr;
  QByteArray bytes;  // exactly field->size bytes, as the host record holds them
};

// The field's bytes for a value (already trimmed). Whole numbers and table
// rows are read by the configuration viewer's rules (ParseCellInteger);
// a name is a quoted text as dump prints it, or bare text, at most
// size - 1 bytes, zero-filled.
QByteArray ParseFieldValue(const ConfigField& field, const QString& value);

// One "NAME=VALUE" from the command line (split at the first '='). version
// and cfg_crc16 are refused by name.
FieldEdit ParseAssignment(const QString& assignment);

// The assignments of a command line; a field given twice is refused.
std::vector<FieldEdit> ParseAssignments(const QStringList& assignments);

// Every "name = value" line of a dump text (UTF-8, a byte order mark
// skipped; blank lines and lines starting with '#' skipped; CR before LF
// tolerated). A refusal's message
// starts with "source:LINE: ". cfg_crc16 is taken as the dump has it (it is
// computed anew whenever a configuration is sent); version must be the
// file's own, fileVersion. A field given twice, a text without any
// assignment or one larger than kMaxDumpTextSize is refused.
std::vector<FieldEdit> ParseDumpText(const QByteArray& text, const QString& source, uint16_t fileVersion);

// Stores the edits in the record and returns the number of fields whose
// bytes changed. A name that already reads as the new name is left as it
// is, bytes after its terminator included, so that applying an unedited
// dump changes nothing.
int ApplyFieldEdits(QVA_CONFIG_DATA& config, const std::vector<FieldEdit>& edits);
