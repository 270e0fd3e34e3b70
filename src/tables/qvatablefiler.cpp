#include "tables/qvatablefiler.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QBuffer>
#include <QFileInfo>
#include <QIODevice>

#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"

namespace {

constexpr char kValuesTag[8] = "QVATBLV";
constexpr uint32_t kTableFileType = 4;
constexpr uint32_t kFileHeaderChunkLength = 256;
constexpr uint32_t kDetailsChunkLength = 80;
constexpr int kDetailsBodySize = 64;
constexpr int kOutputNameSize = 16;
const QString kTextLineEnd = QStringLiteral("\r\n");

const TableFileKindInfo kKinds[] = {
    {QStringLiteral("Output Cal Table"), "QVATBLA", "QVATBDA", QStringLiteral("QO1"),
     QStringLiteral("Output Table Setup Files"), &IpType, &PlainNumberType},
    {QStringLiteral("Analog Out Table"), "QVATBLO", "QVATBDO", QStringLiteral("QA1"),
     QStringLiteral("Analog Output Setup Files"), &PlainNumberType, &OutputVoltsType},
    {QStringLiteral("User Cal Table"), "QVATBLU", "QVATBDU", QStringLiteral("QU1"),
     QStringLiteral("Sensor Calibration Tables"), &IpType, &IpType},
};

void PutU16(QByteArray& bytes, int at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

// What differs between the three table records.
template <typename Table>
struct TableTraits;

template <>
struct TableTraits<QVA_OUTPUT_CAL_TABLE> {
  static constexpr TableFileKind kKind = TableFileKind::OutputTable;
  static uint8_t& Rows(QVA_OUTPUT_CAL_TABLE& t) { return t.num_rows; }
  static QByteArray Details(const QVA_OUTPUT_CAL_TABLE& t) {
    QByteArray details(kDetailsBodySize, '\0');
    PutU16(details, 0, t.decimal_places);
    std::memcpy(details.data() + 2, t.output_name, kOutputNameSize);
    return details;
  }
  static void ApplyDetails(QVA_OUTPUT_CAL_TABLE& t, const char* details) {
    t.decimal_places = static_cast<uint8_t>(ReadU16LE(details) & 0xFF);
    std::memcpy(t.output_name, details + 2, kOutputNameSize);
    // The name is a zero-terminated text of at most 15 characters.
    t.output_name[kOutputNameSize - 1] = '\0';
  }
};

template <>
struct TableTraits<QVA_ANALOG_OUT_TABLE> {
  static constexpr TableFileKind kKind = TableFileKind::AnalogOutput;
  static uint8_t& Rows(QVA_ANALOG_OUT_TABLE& t) { return t.num_rows; }
  static QByteArray Details(const QVA_ANALOG_OUT_TABLE& t) {
    QByteArray details(kDetailsBodySize, '\0');
    PutU16(details, 0, t.out_function);
    PutU16(details, 2, static_cast<uint16_t>(t.default_output));
    return details;
  }
  // out_table_index is not part of the file: it stays as the dialog chose.
  static void ApplyDetails(QVA_ANALOG_OUT_TABLE& t, const char* details) {
    t.out_function = static_cast<uint8_t>(ReadU16LE(details) & 0xFF);
    t.default_output = static_cast<int16_t>(ReadU16LE(details + 2));
  }
};

template <>
struct TableTraits<QVA_USER_CAL_TABLE> {
  static constexpr TableFileKind kKind = TableFileKind::UserCalibration;
  static uint8_t& Rows(QVA_USER_CAL_TABLE& t) { return t.num_rows; }
  static QByteArray Details(const QVA_USER_CAL_TABLE&) { return QByteArray(kDetailsBodySize, '\0'); }
  static void ApplyDetails(QVA_USER_CAL_TABLE&, const char*) {}
};

// The points a record holds, never more than its array.
template <typename Table>
int PointCount(const Table& table) {
  return std::min<int>(table.num_rows, kMaxTablePoints);
}

template <typename Table>
QByteArray BinaryBytes(const Table& table) {
  const TableFileKindInfo& info = KindInfo(TableTraits<Table>::kKind);
  const int n = PointCount(table);
  QByteArray bytes;
  bytes.reserve(static_cast<qsizetype>(TableFileSize(n)));
  bytes += MakeChunkHeader(info.headerTag, kFileHeaderChunkLength);
  bytes += MakeFileHeaderBody(info.title.toLatin1(), kTableFileType);
  bytes += MakeChunkHeader(info.detailsTag, kDetailsChunkLength);
  bytes += TableTraits<Table>::Details(table);
  QByteArray inputs(2 * n, '\0');
  QByteArray outputs(2 * n, '\0');
  for (int i = 0; i < n; ++i) {
    PutU16(inputs, 2 * i, static_cast<uint16_t>(table.values[i].x));
    PutU16(outputs, 2 * i, static_cast<uint16_t>(table.values[i].y));
  }
  const auto valuesLength = static_cast<uint32_t>(kChunkHeaderSize + 2 * n);
  bytes += MakeChunkHeader(kValuesTag, valuesLength);
  bytes += inputs;
  bytes += MakeChunkHeader(kValuesTag, valuesLength);
  bytes += outputs;
  return bytes;
}

QString TextLine(const TableFileKindInfo& info, const TablePoint& point) {
  return FormatValue16(*info.textInputType, point.x, false) + QStringLiteral(", ") +
         FormatValue16(*info.textOutputType, point.y, false) + kTextLineEnd;
}

template <typename Table>
QByteArray TextBytes(const Table& table) {
  const TableFileKindInfo& info = KindInfo(TableTraits<Table>::kKind);
  QByteArray bytes;
  for (int i = 0; i < PointCount(table); ++i) bytes += TextLine(info, table.values[i]).toUtf8();
  return bytes;
}

// Reads binary table file bytes front to back; every read is checked
// against what is there.
class ChunkReader {
 public:
  explicit ChunkReader(const QByteArray& bytes) : bytes_(bytes) {}

  const char* Take(qsizetype count) {
    if (count < 0 || bytes_.size() - pos_ < count) throw EFileFormat();
    const char* at = bytes_.constData() + pos_;
    pos_ += count;
    return at;
  }

  // A chunk header with the tag and version; returns its length.
  uint32_t Header(const char (&tag)[8]) {
    const char* header = Take(static_cast<qsizetype>(kChunkHeaderSize));
    if (std::memcmp(header, tag, 7) != 0) throw EFileFormat();
    if (ReadU32LE(header + 8) != kChunkVersion) throw EFileVersion();
    return ReadU32LE(header + 12);
  }

 private:
  const QByteArray& bytes_;
  qsizetype pos_ = 0;
};

template <typename Table>
void ParseBinary(const QByteArray& bytes, Table& table) {
  const TableFileKindInfo& info = KindInfo(TableTraits<Table>::kKind);
  ChunkReader reader(bytes);
  if (reader.Header(info.headerTag) != kFileHeaderChunkLength) throw EFileFormat();
  const char* body = reader.Take(static_cast<qsizetype>(kSetupChunkBodySize));
  if (ReadU32LE(body + 64) != kTableFileType) throw EFileFormat();
  if (reader.Header(info.detailsTag) != kDetailsChunkLength) throw EFileFormat();
  const char* details = reader.Take(kDetailsBodySize);

  const uint32_t inputLength = reader.Header(kValuesTag);
  if (inputLength < kChunkHeaderSize) throw EFileFormat();
  const uint32_t n = (inputLength - static_cast<uint32_t>(kChunkHeaderSize)) / 2;
  // More values than a table holds: refused rather than cut, so a file is
  // either loaded as it is or not at all.
  if (n > static_cast<uint32_t>(kMaxTablePoints)) throw EFileFormat();
  const char* inputs = reader.Take(static_cast<qsizetype>(2 * n));
  if (reader.Header(kValuesTag) != kChunkHeaderSize + 2 * n) throw EFileFormat();
  const char* outputs = reader.Take(static_cast<qsizetype>(2 * n));

  // Every check passed: only now does the record change.
  TableTraits<Table>::Rows(table) = static_cast<uint8_t>(n);
  for (uint32_t i = 0; i < n; ++i) {
    table.values[i].x = static_cast<int16_t>(ReadU16LE(inputs + 2 * i));
    table.values[i].y = static_cast<int16_t>(ReadU16LE(outputs + 2 * i));
  }
  TableTraits<Table>::ApplyDetails(table, details);
}

// One line of at most kMaxTableLineLength characters; `tooLong` is set when
// the line was longer and got cut. False at the end of the input.
bool ReadTextLine(QIODevice& in, QByteArray& line, bool& tooLong) {
  line.clear();
  tooLong = false;
  char c = 0;
  bool readAny = false;
  while (in.getChar(&c)) {
    readAny = true;
    if (c == '\n') break;
    if (line.size() > kMaxTableLineLength) {  // room for a CR before the LF
      tooLong = true;
      break;
    }
    line.append(c);
  }
  if (line.endsWith('\r') && !tooLong) line.chop(1);
  if (line.size() > kMaxTableLineLength) {
    line.truncate(kMaxTableLineLength);
    tooLong = true;
  }
  return readAny;
}

// Where the input value ends: at the first comma, or where the decimal
// separator is itself a comma, at the first ", " so that the file this
// program writes in such a locale reads back.
qsizetype SplitPosition(const QString& line) {
  if (DecimalSeparator() == QStringLiteral(",")) {
    const qsizetype spaced = line.indexOf(QStringLiteral(", "));
    if (spaced >= 0) return spaced;
  }
  return line.indexOf(QLatin1Char(','));
}

template <typename Table>
int ReadText(QIODevice& in, Table& table) {
  const TableFileKindInfo& info = KindInfo(TableTraits<Table>::kKind);
  std::vector<TablePoint> points;
  QByteArray raw;
  bool tooLong = false;
  while (static_cast<int>(points.size()) < kMaxTablePoints && ReadTextLine(in, raw, tooLong)) {
    const QString line = QString::fromUtf8(raw).trimmed();
    if (!line.isEmpty()) {
      const qsizetype comma = SplitPosition(line);
      bool parsed = false;
      TablePoint point{};
      if (comma >= 0) {
        try {
          point.x = ParseValue16(*info.textInputType, line.left(comma));
          point.y = ParseValue16(*info.textOutputType, line.mid(comma + 1));
          parsed = true;
        } catch (const Exception&) {
        }
      }
      if (parsed) {
        points.push_back(point);
      } else if (!points.empty()) {
        throw EFileFormat();
      }
    }
    if (tooLong) break;
  }
  if (points.empty()) return 0;
  TableTraits<Table>::Rows(table) = static_cast<uint8_t>(points.size());
  std::copy(points.begin(), points.end(), table.values);
  return static_cast<int>(points.size());
}

void WriteAll(QIODevice& out, const QByteArray& bytes) {
  if (out.write(bytes) != bytes.size()) throw EFileWrite();
}

template <typename Table>
void WriteImpl(const Table& table, QIODevice& out, bool text) {
  if (!text) {
    WriteAll(out, BinaryBytes(table));
    return;
  }
  const TableFileKindInfo& info = KindInfo(TableTraits<Table>::kKind);
  for (int i = 0; i < PointCount(table); ++i) {
    WriteAll(out, TextLine(info, table.values[i]).toUtf8());
    if (auto* file = qobject_cast<QFileDevice*>(&out); file && !file->flush()) throw EFileWrite();
  }
}

template <typename Table>
int ReadImpl(Table& table, QIODevice& in, bool text) {
  if (text) return ReadText(in, table);
  // A binary file is small: read no more than the largest valid file.
  ParseBinary(in.read(TableFileSize(kMaxTablePoints)), table);
  return PointCount(table);
}

}  // namespace

const TableFileKindInfo& KindInfo(TableFileKind kind) {
  switch (kind) {
    case TableFileKind::AnalogOutput:
      return kKinds[1];
    case TableFileKind::UserCalibration:
      return kKinds[2];
    case TableFileKind::OutputTable:
    default:
      return kKinds[0];
  }
}

namespace {

QString BinaryFilter(TableFileKind kind) {
  const TableFileKindInfo& info = KindInfo(kind);
  return info.description + QStringLiteral(" (*.") + info.extension + QStringLiteral(")|*.") + info.extension;
}

}  // namespace

QString TableLoadFilter(TableFileKind kind) {
  return BinaryFilter(kind) + QStringLiteral("|CSV Format Files (*.*)|*.*");
}

QString TableSaveFilter(TableFileKind kind) {
  return BinaryFilter(kind) + QStringLiteral("|CSV Format Files (*.CSV)|*.CSV");
}

bool IsBinaryTableFileName(const QString& path, TableFileKind kind) {
  return QFileInfo(path).suffix().compare(KindInfo(kind).extension, Qt::CaseInsensitive) == 0;
}

template <typename Table>
QByteArray TableFileBytes(const Table& table, bool text) {
  return text ? TextBytes(table) : BinaryBytes(table);
}

template <typename Table>
int ParseTableFile(const QByteArray& bytes, Table& table, bool text) {
  QByteArray copy = bytes;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  return ReadImpl(table, buffer, text);
}

template QByteArray TableFileBytes(const QVA_OUTPUT_CAL_TABLE&, bool);
template QByteArray TableFileBytes(const QVA_ANALOG_OUT_TABLE&, bool);
template QByteArray TableFileBytes(const QVA_USER_CAL_TABLE&, bool);
template int ParseTableFile(const QByteArray&, QVA_OUTPUT_CAL_TABLE&, bool);
template int ParseTableFile(const QByteArray&, QVA_ANALOG_OUT_TABLE&, bool);
template int ParseTableFile(const QByteArray&, QVA_USER_CAL_TABLE&, bool);

void WriteTableFile(const QVA_OUTPUT_CAL_TABLE& table, QIODevice& out, bool text) {
  WriteImpl(table, out, text);
}
void WriteTableFile(const QVA_ANALOG_OUT_TABLE& table, QIODevice& out, bool text) {
  WriteImpl(table, out, text);
}
void WriteTableFile(const QVA_USER_CAL_TABLE& table, QIODevice& out, bool text) {
  WriteImpl(table, out, text);
}

int ReadTableFile(QVA_OUTPUT_CAL_TABLE& table, QIODevice& in, bool text) {
  return ReadImpl(table, in, text);
}
int ReadTableFile(QVA_ANALOG_OUT_TABLE& table, QIODevice& in, bool text) {
  return ReadImpl(table, in, text);
}
int ReadTableFile(QVA_USER_CAL_TABLE& table, QIODevice& in, bool text) {
  return ReadImpl(table, in, text);
}
