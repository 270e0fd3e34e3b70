#include "configedits.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/qvaerrors.h"
#include "viewer/cfgcell.h"

namespace {

constexpr qsizetype kShownValueLength = 60;
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// The refusals, each on one line so that grep finds it. %1 is the field's
// name, %2 the value as Shown. Every placeholder is filled in one arg()
// call, so that a "%1" the user typed stays as typed.
// clang-format off
const QString kUnknownField = QStringLiteral("Unknown field %1. (qva-cli dump FILE lists the names.)");
const QString kNotAnAssignment = QStringLiteral("%1 is not an assignment NAME=VALUE.");
const QString kNotADumpLine = QStringLiteral("%1 is not a line \"name = value\".");
const QString kNotAWholeNumber = QStringLiteral("%1: %2 is not a whole number from %3 to %4.");
const QString kNotATableRow = QStringLiteral("%1: %2 is not a table row \"input, output\" of whole numbers from -32768 to 32767.");
const QString kNotLatin1 = QStringLiteral("%1: %2 has a character that does not fit in one byte (only Latin-1 characters can be stored).");
const QString kNotQuoted = QStringLiteral("%1: %2 is not a quoted text as dump prints it (inside the quotes only \\\", \\\\ and \\xNN are escapes).");
const QString kTooLong = QStringLiteral("%1: %2 is longer than %3 characters.");
const QString kZeroByte = QStringLiteral("%1: %2 holds a zero byte (\\x00), which would end the name there; a name cannot hold one.");
const QString kChecksumNotSet = QStringLiteral("cfg_crc16 cannot be set: the checksum is computed whenever the configuration is sent to the meter.");
const QString kVersionNotSet = QStringLiteral("version cannot be set: it says which layout the record has (the desktop program upgrades an older file when it opens it).");
const QString kOtherVersion = QStringLiteral("version: %1 is not the file's version (%2); set does not change a file's version.");
const QString kGivenTwice = QStringLiteral("%1 is given twice.");
const QString kDumpTooLarge = QStringLiteral("%1 is larger than 1 MiB: it is not the dump of a setup file.");
const QString kNoAssignments = QStringLiteral("%1 has no \"name = value\" lines.");
// clang-format on

struct IntegerRange {
  CellKind kind;
  int low;
  int high;
};

// The viewer's cell kind of a whole-number field, with its range.
IntegerRange RangeOf(const ConfigField& field) {
  if (field.kind == FieldKind::Signed && field.size == 2) return {CellKind::Int16, INT16_MIN, INT16_MAX};
  if (field.kind == FieldKind::Unsigned && field.size == 2) return {CellKind::UInt16, 0, UINT16_MAX};
  if (field.kind == FieldKind::Unsigned && field.size == 1) return {CellKind::UInt8, 0, UINT8_MAX};
  throw Exception(QStringLiteral("Internal Error: %1 is not a whole-number field.").arg(field.name));
}

// A value as a message shows it: in double quotes unless it is a quoted
// text already, control characters as '?', a long one cut short, so that no
// input can garble the terminal or flood it.
QString Shown(const QString& value) {
  QString shown =
      value.size() > kShownValueLength ? value.left(kShownValueLength) + QStringLiteral("...") : value;
  for (QChar& c : shown) {
    if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)) c = QLatin1Char('?');
  }
  return value.startsWith(QLatin1Char('"')) ? shown : QLatin1Char('"') + shown + QLatin1Char('"');
}

[[noreturn]] void Refuse(const QString& message) {
  throw EConvertError(message);
}

std::optional<int> ReadWhole(const QString& text, CellKind kind) {
  // The viewer reads an empty cell as 0; a value left out here is a mistake.
  if (text.trimmed().isEmpty()) return std::nullopt;
  return ParseCellInteger(text, kind);
}

uint16_t LE16(const QByteArray& bytes) {
  return bytes.size() < 2
             ? 0
             : static_cast<uint16_t>(static_cast<uint8_t>(bytes[0]) | static_cast<uint8_t>(bytes[1]) << 8);
}

void PutLE16(QByteArray& bytes, qsizetype at, int value) {
  const auto bits = static_cast<uint16_t>(value);
  bytes[at] = static_cast<char>(bits & 0xFF);
  bytes[at + 1] = static_cast<char>(bits >> 8);
}

QByteArray WholeNumberBytes(const ConfigField& field, const QString& value) {
  const IntegerRange range = RangeOf(field);
  const std::optional<int> number = ReadWhole(value, range.kind);
  if (!number) {
    Refuse(kNotAWholeNumber.arg(field.name, Shown(value), QString::number(range.low),
                                QString::number(range.high)));
  }
  QByteArray bytes(field.size, '\0');
  if (field.size == 1) {
    bytes[0] = static_cast<char>(*number);
  } else {
    PutLE16(bytes, 0, *number);
  }
  return bytes;
}

QByteArray PointBytes(const ConfigField& field, const QString& value) {
  const QStringList parts = value.split(QLatin1Char(','));
  std::optional<int> input;
  std::optional<int> output;
  if (parts.size() == 2) {
    input = ReadWhole(parts[0], CellKind::Int16);
    output = ReadWhole(parts[1], CellKind::Int16);
  }
  if (!input || !output || field.size != sizeof(TablePoint)) {
    Refuse(kNotATableRow.arg(field.name, Shown(value)));
  }
  QByteArray bytes(field.size, '\0');
  PutLE16(bytes, 0, *input);
  PutLE16(bytes, 2, *output);
  return bytes;
}

QByteArray TextBytes(const ConfigField& field, const QString& value) {
  const bool latin1 = std::all_of(value.begin(), value.end(), [](QChar c) { return c.unicode() <= 0xFF; });
  if (!latin1) {
    Refuse(kNotLatin1.arg(field.name, Shown(value)));
  }
  QByteArray name;
  if (value.startsWith(QLatin1Char('"'))) {
    const std::optional<QByteArray> unquoted = UnquoteBytes(value);
    if (!unquoted) {
      Refuse(kNotQuoted.arg(field.name, Shown(value)));
    }
    name = *unquoted;
  } else {
    name = value.toLatin1();
  }
  // The last byte is the terminator, which always stays.
  const qsizetype longest = field.size > 0 ? field.size - 1 : 0;
  if (name.size() > longest) {
    Refuse(kTooLong.arg(field.name, Shown(value), QString::number(longest)));
  }
  // The meter, the viewer and dump all stop a name at its first zero byte:
  // what came after it would be stored unseen.
  if (name.contains('\0')) {
    Refuse(kZeroByte.arg(field.name, Shown(value)));
  }
  QByteArray bytes(field.size, '\0');
  std::copy(name.begin(), name.end(), bytes.begin());
  return bytes;
}

// Splits "name = value" (or NAME=VALUE) at its first '='; nothing without one.
std::optional<std::pair<QString, QString>> SplitAssignment(const QString& text) {
  const qsizetype equals = text.indexOf(QLatin1Char('='));
  if (equals < 0) return std::nullopt;
  return std::make_pair(text.left(equals).trimmed(), text.mid(equals + 1).trimmed());
}

const ConfigField& FieldNamed(const QString& name) {
  const ConfigField* field = FindConfigField(name);
  if (!field) Refuse(kUnknownField.arg(Shown(name)));
  return *field;
}

}  // namespace

QByteArray ParseFieldValue(const ConfigField& field, const QString& value) {
  switch (field.kind) {
    case FieldKind::Unsigned:
    case FieldKind::Signed:
      return WholeNumberBytes(field, value);
    case FieldKind::Point:
      return PointBytes(field, value);
    case FieldKind::Text:
      return TextBytes(field, value);
  }
  return {};
}

FieldEdit ParseAssignment(const QString& assignment) {
  const auto parts = SplitAssignment(assignment);
  if (!parts) Refuse(kNotAnAssignment.arg(Shown(assignment)));
  const ConfigField& field = FieldNamed(parts->first);
  if (field.name == QLatin1String("cfg_crc16")) Refuse(kChecksumNotSet);
  if (field.name == QLatin1String("version")) Refuse(kVersionNotSet);
  return {&field, ParseFieldValue(field, parts->second)};
}

std::vector<FieldEdit> ParseAssignments(const QStringList& assignments) {
  std::vector<FieldEdit> edits;
  std::set<const ConfigField*> seen;
  for (const QString& assignment : assignments) {
    FieldEdit edit = ParseAssignment(assignment);
    if (!seen.insert(edit.field).second) Refuse(kGivenTwice.arg(edit.field->name));
    edits.push_back(std::move(edit));
  }
  return edits;
}

std::vector<FieldEdit> ParseDumpText(const QByteArray& text, const QString& source, uint16_t fileVersion) {
  if (text.size() > kMaxDumpTextSize) Refuse(kDumpTooLarge.arg(source));
  std::vector<FieldEdit> edits;
  std::set<const ConfigField*> seen;
  // An editor may have put a byte order mark in front.
  const QList<QByteArray> lines =
      (text.startsWith(kUtf8Bom) ? text.mid(qstrlen(kUtf8Bom)) : text).split('\n');
  for (qsizetype n = 0; n < lines.size(); ++n) {
    const QString line = QString::fromUtf8(lines[n]).trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const QString where = QStringLiteral("%1:%2: ").arg(source, QString::number(n + 1));
    try {
      const auto parts = SplitAssignment(line);
      if (!parts) Refuse(kNotADumpLine.arg(Shown(line)));
      const ConfigField& field = FieldNamed(parts->first);
      FieldEdit edit{&field, ParseFieldValue(field, parts->second)};
      if (field.name == QLatin1String("version") && LE16(edit.bytes) != fileVersion) {
        Refuse(kOtherVersion.arg(Shown(parts->second), QString::number(fileVersion)));
      }
      if (!seen.insert(&field).second) Refuse(kGivenTwice.arg(field.name));
      edits.push_back(std::move(edit));
    } catch (const EConvertError& error) {
      Refuse(where + error.Message());
    }
  }
  if (edits.empty()) Refuse(kNoAssignments.arg(source));
  return edits;
}

int ApplyFieldEdits(QVA_CONFIG_DATA& config, const std::vector<FieldEdit>& edits) {
  const QVA_CONFIG_DATA before = config;
  auto* record = reinterpret_cast<uint8_t*>(&config);
  for (const FieldEdit& edit : edits) {
    const ConfigField* field = edit.field;
    if (!field || edit.bytes.size() != field->size || field->offset + field->size > kConfigSize) continue;
    if (field->kind == FieldKind::Text) {
      // The same name: whatever follows its terminator stays.
      const QByteArray name(edit.bytes.constData(),
                            static_cast<qsizetype>(qstrnlen(edit.bytes.constData(), edit.bytes.size())));
      const bool onlyZerosAfter = std::all_of(edit.bytes.begin() + name.size(), edit.bytes.end(),
                                              [](char byte) { return byte == '\0'; });
      if (onlyZerosAfter && FieldText(config, *field) == name) continue;
    }
    std::memcpy(record + field->offset, edit.bytes.constData(), field->size);
  }
  const auto& fields = ConfigFields();
  return static_cast<int>(std::count_if(fields.begin(), fields.end(), [&](const ConfigField& field) {
    return !FieldBytesEqual(before, config, field);
  }));
}
