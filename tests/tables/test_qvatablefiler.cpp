#include <cstring>
#include <functional>
#include <random>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <gtest/gtest.h>

#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"
#include "support/qtmessagecheck.h"
#include "support/testenvironment.h"
#include "tables/qvatablefiler.h"
#include "sampletables.h"

namespace {

uint32_t U32At(const QByteArray& bytes, int at) {
  return ReadU32LE(bytes.constData() + at);
}
int16_t I16At(const QByteArray& bytes, int at) {
  return static_cast<int16_t>(ReadU16LE(bytes.constData() + at));
}

void PutU32(QByteArray& bytes, int at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Offsets in a binary table file.
constexpr int kDetailsHeader = 256;
constexpr int kDetailsBody = 272;
constexpr int kInputsHeader = 336;
constexpr int kInputs = 352;

class LocaleGuard {
 public:
  explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
  ~LocaleGuard() { QLocale::setDefault(QLocale::c()); }
};

TEST(TableFileBinary, OutputTableLayoutIsByteExact) {
  const QVA_OUTPUT_CAL_TABLE table = MakeOutputTable();
  const QByteArray bytes = TableFileBytes(table, false);
  ASSERT_EQ(bytes.size(), TableFileSize(3));
  EXPECT_EQ(bytes.left(8), QByteArray("QVATBLA\0", 8));
  EXPECT_EQ(U32At(bytes, 8), 1u);
  EXPECT_EQ(U32At(bytes, 12), 256u);
  EXPECT_EQ(QByteArray(bytes.constData() + 16), "Output Cal Table");
  EXPECT_EQ(U32At(bytes, 16 + 64), 4u);
  EXPECT_EQ(bytes[16 + 70], '\x1A');
  EXPECT_EQ(bytes.mid(kDetailsHeader, 8), QByteArray("QVATBDA\0", 8));
  EXPECT_EQ(U32At(bytes, kDetailsHeader + 12), 80u);
  EXPECT_EQ(I16At(bytes, kDetailsBody), 2);
  EXPECT_EQ(bytes.mid(kDetailsBody + 2, 16), QByteArray(table.output_name, 16));
  EXPECT_EQ(bytes.mid(kDetailsBody + 18, 46), QByteArray(46, '\0'));
  EXPECT_EQ(bytes.mid(kInputsHeader, 8), QByteArray("QVATBLV\0", 8));
  EXPECT_EQ(U32At(bytes, kInputsHeader + 12), 22u);
  EXPECT_EQ(I16At(bytes, kInputs), -1500);
  EXPECT_EQ(I16At(bytes, kInputs + 4), 500);
  EXPECT_EQ(bytes.mid(kInputs + 6, 8), QByteArray("QVATBLV\0", 8));
  EXPECT_EQ(I16At(bytes, kInputs + 6 + 16), 70);
  EXPECT_EQ(I16At(bytes, kInputs + 6 + 16 + 4), 72);
}

TEST(TableFileBinary, AnalogAndUserDetails) {
  const QByteArray analog = TableFileBytes(MakeAnalogTable(), false);
  EXPECT_EQ(analog.left(7), "QVATBLO");
  EXPECT_EQ(QByteArray(analog.constData() + 16), "Analog Out Table");
  EXPECT_EQ(analog.mid(kDetailsHeader, 7), "QVATBDO");
  EXPECT_EQ(I16At(analog, kDetailsBody), 3);
  EXPECT_EQ(I16At(analog, kDetailsBody + 2), -2500);
  EXPECT_EQ(analog.mid(kDetailsBody + 4, 60), QByteArray(60, '\0'));
  const QByteArray user = TableFileBytes(MakeUserTable(), false);
  EXPECT_EQ(user.left(7), "QVATBLU");
  EXPECT_EQ(QByteArray(user.constData() + 16), "User Cal Table");
  EXPECT_EQ(user.mid(kDetailsHeader, 7), "QVATBDU");
  EXPECT_EQ(user.mid(kDetailsBody, 64), QByteArray(64, '\0'));
}

template <typename Table>
void ExpectBinaryRoundTrip(const Table& original) {
  Table loaded{};
  std::memset(&loaded, 0, sizeof loaded);
  std::memcpy(loaded.reserved, original.reserved, sizeof loaded.reserved);
  ParseTableFile(TableFileBytes(original, false), loaded, false);
  EXPECT_TRUE(SameBytes(loaded, original));
}

TEST(TableFileBinary, EveryKindRoundTrips) {
  ExpectBinaryRoundTrip(MakeOutputTable(kMaxTablePoints));
  ExpectBinaryRoundTrip(MakeOutputTable(0));
  QVA_ANALOG_OUT_TABLE analog = MakeAnalogTable();
  analog.out_table_index = 0;  // not in the file
  ExpectBinaryRoundTrip(analog);
  ExpectBinaryRoundTrip(MakeUserTable());
}

TEST(TableFileBinary, LoadingAnAnalogFileKeepsTheChosenTableIndex) {
  QVA_ANALOG_OUT_TABLE loaded{};
  loaded.out_table_index = 1;
  QVA_ANALOG_OUT_TABLE saved = MakeAnalogTable();
  saved.out_table_index = 0;
  ParseTableFile(TableFileBytes(saved, false), loaded, false);
  EXPECT_EQ(loaded.out_table_index, 1);
  EXPECT_EQ(loaded.out_function, 3);
  EXPECT_EQ(int{loaded.default_output}, -2500);
  EXPECT_EQ(loaded.num_rows, 2);
}

struct CorruptCase {
  const char* name;
  std::function<void(QByteArray&)> corrupt;
  bool versionError;
};

TEST(TableFileBinary, RejectsEveryLayoutFaultAndChangesNothing) {
  const CorruptCase cases[] = {
      {"HeaderTag", [](QByteArray& b) { b[6] = 'X'; }, false},
      {"HeaderVersion", [](QByteArray& b) { PutU32(b, 8, 2); }, true},
      {"HeaderLength", [](QByteArray& b) { PutU32(b, 12, 255); }, false},
      {"FileTypeOfASetupFile", [](QByteArray& b) { PutU32(b, 16 + 64, 2); }, false},
      {"DetailsTag", [](QByteArray& b) { b[kDetailsHeader + 6] = 'O'; }, false},
      {"DetailsVersion", [](QByteArray& b) { PutU32(b, kDetailsHeader + 8, 0); }, true},
      {"DetailsLength", [](QByteArray& b) { PutU32(b, kDetailsHeader + 12, 81); }, false},
      {"ValuesTag", [](QByteArray& b) { b[kInputsHeader] = 'q'; }, false},
      {"ValuesVersion", [](QByteArray& b) { PutU32(b, kInputsHeader + 8, 7); }, true},
      {"ValuesShorterThanHeader", [](QByteArray& b) { PutU32(b, kInputsHeader + 12, 15); }, false},
      {"OutputsDisagreeInLength", [](QByteArray& b) { PutU32(b, kInputs + 6 + 12, 20); }, false},
      {"InputsDisagreeInLength", [](QByteArray& b) { PutU32(b, kInputsHeader + 12, 24); }, false},
      {"MoreThan32Values", [](QByteArray& b) { PutU32(b, kInputsHeader + 12, 16 + 2 * 33); }, false},
      {"Truncated", [](QByteArray& b) { b.chop(1); }, false},
  };
  for (const CorruptCase& c : cases) {
    QByteArray bytes = TableFileBytes(MakeOutputTable(), false);
    c.corrupt(bytes);
    QVA_OUTPUT_CAL_TABLE target = MakeOutputTable(1);
    const QVA_OUTPUT_CAL_TABLE before = target;
    QString message;
    try {
      ParseTableFile(bytes, target, false);
    } catch (const EFileVersion& e) {
      EXPECT_TRUE(c.versionError) << c.name;
      message = e.Message();
    } catch (const EFileFormat& e) {
      EXPECT_FALSE(c.versionError) << c.name;
      message = e.Message();
    }
    EXPECT_EQ(message, c.versionError ? "File version incompatible" : "File format not valid") << c.name;
    EXPECT_TRUE(SameBytes(target, before)) << c.name;
  }
}

TEST(TableFileBinary, AnAnalogFileIsNotAnOutputTable) {
  QVA_OUTPUT_CAL_TABLE target{};
  EXPECT_THROW(ParseTableFile(TableFileBytes(MakeAnalogTable(), false), target, false), EFileFormat);
}

TEST(TableFileBinary, EveryPrefixOfAValidFileFailsCleanly) {
  const QByteArray bytes = TableFileBytes(MakeUserTable(), false);
  for (int size = 0; size < bytes.size(); ++size) {
    QVA_USER_CAL_TABLE target{};
    EXPECT_THROW(ParseTableFile(bytes.left(size), target, false), EFileFormat) << size;
    EXPECT_EQ(target.num_rows, 0) << size;
  }
}

TEST(TableFileBinary, RandomBytesNeverOverrunTheTable) {
  std::mt19937 random(20261207);
  const QByteArray valid = TableFileBytes(MakeOutputTable(kMaxTablePoints), false);
  for (int round = 0; round < 3000; ++round) {
    QByteArray bytes = valid;
    const int flips = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < flips; ++i)
      bytes[static_cast<int>(random() % bytes.size())] = static_cast<char>(random());
    if (random() % 4 == 0) bytes.truncate(static_cast<int>(random() % bytes.size()));
    QVA_OUTPUT_CAL_TABLE target{};
    try {
      ParseTableFile(bytes, target, false);
      EXPECT_LE(target.num_rows, kMaxTablePoints);
      EXPECT_EQ(target.output_name[15], '\0');
    } catch (const EFileFormat&) {
    } catch (const EFileVersion&) {
    }
  }
}

TEST(TableFileText, RandomTextNeverOverrunsTheTable) {
  std::mt19937 random(7);
  const char alphabet[] = "0123456789.,-, mAV\r\n\t x%";
  for (int round = 0; round < 2000; ++round) {
    QByteArray text;
    const int size = static_cast<int>(random() % 3000);
    for (int i = 0; i < size; ++i) text += alphabet[random() % (sizeof alphabet - 1)];
    QVA_ANALOG_OUT_TABLE table{};
    table.out_table_index = 1;
    try {
      const int points = ParseTableFile(text, table, true);
      EXPECT_LE(points, kMaxTablePoints);
      EXPECT_EQ(table.num_rows, points);
    } catch (const EFileFormat&) {
      EXPECT_EQ(table.num_rows, 0);
    }
    EXPECT_EQ(table.out_table_index, 1);
  }
}

TEST(TableFileText, LinesAreFormattedByKind) {
  EXPECT_EQ(TableFileBytes(MakeOutputTable(2), true), "-1.500, 70\r\n-0.500, 71\r\n");
  EXPECT_EQ(TableFileBytes(MakeAnalogTable(), true), "100, 0.000\r\n900, 5.000\r\n");
  EXPECT_EQ(TableFileBytes(MakeUserTable(), true), "-2.000, -1.987\r\n1.234, 0.987\r\n");
  EXPECT_EQ(TableFileBytes(MakeOutputTable(0), true), "");
}

TEST(TableFileText, OutputTableRoundTripsWhateverItsDecimalPlaces) {
  QVA_OUTPUT_CAL_TABLE original = MakeOutputTable(kMaxTablePoints);
  original.decimal_places = 3;
  QVA_OUTPUT_CAL_TABLE loaded = MakeOutputTable(1);
  EXPECT_EQ(ParseTableFile(TableFileBytes(original, true), loaded, true), kMaxTablePoints);
  EXPECT_EQ(loaded.num_rows, kMaxTablePoints);
  EXPECT_EQ(std::memcmp(loaded.values, original.values, sizeof original.values), 0);
  EXPECT_EQ(loaded.decimal_places, 2);  // text carries points only
}

TEST(TableFileText, RoundTripsInACommaLocale) {
  LocaleGuard guard(QLocale(QLocale::German, QLocale::Germany));
  const QVA_USER_CAL_TABLE original = MakeUserTable();
  const QByteArray text = TableFileBytes(original, true);
  EXPECT_EQ(text, "-2,000, -1,987\r\n1,234, 0,987\r\n");
  QVA_USER_CAL_TABLE loaded{};
  EXPECT_EQ(ParseTableFile(text, loaded, true), 2);
  EXPECT_TRUE(SameBytes(loaded, original));
}

struct TextCase {
  const char* name;
  const char* text;
  int points;
  int16_t firstX;
  int16_t firstY;
};

TEST(TableFileText, ReadsPointsSkippingWhatComesBeforeThem) {
  const TextCase cases[] = {
      {"UnitOfTheSameQuantity", "1.5 mA, 20\r\n", 1, 1500, 20},
      {"HeadingLine", "Ipn, Output\r\n1.234, 150\r\n2, 160\r\n", 2, 1234, 150},
      {"GarbageAndBlankLines", "\r\n  \n# exported\nno comma here\n-1,7\n", 1, -1000, 7},
      {"FurtherCommasBelongToTheOutput", "junk, 1, 2\n3, 4\n", 1, 3000, 4},
      {"UnixLineEndsAndNoFinalEnd", "1, 2\n3, 4", 2, 1000, 2},
      {"OnlyHeadings", "Ipn, Output\nmore text\n", 0, 0, 0},
      {"Empty", "", 0, 0, 0},
  };
  for (const TextCase& c : cases) {
    QVA_OUTPUT_CAL_TABLE table = MakeOutputTable(1);
    const QVA_OUTPUT_CAL_TABLE before = table;
    EXPECT_EQ(ParseTableFile(QByteArray(c.text), table, true), c.points) << c.name;
    if (c.points == 0) {
      EXPECT_TRUE(SameBytes(table, before)) << c.name;
    } else {
      EXPECT_EQ(table.num_rows, c.points) << c.name;
      EXPECT_EQ(int{table.values[0].x}, c.firstX) << c.name;
      EXPECT_EQ(int{table.values[0].y}, c.firstY) << c.name;
    }
  }
}

TEST(TableFileText, ABadLineAfterTheFirstPointFails) {
  const char* texts[] = {"1, 2\nIpn, Output\n3, 4\n", "1, 2\nno comma\n", "1, 2\n40, 3\n"};
  for (const char* text : texts) {
    QVA_OUTPUT_CAL_TABLE table = MakeOutputTable(1);
    const QVA_OUTPUT_CAL_TABLE before = table;
    EXPECT_THROW(ParseTableFile(QByteArray(text), table, true), EFileFormat) << text;
    EXPECT_TRUE(SameBytes(table, before)) << text;
  }
}

TEST(TableFileText, ReadsAtMost32Points) {
  QByteArray text;
  for (int i = 0; i < 40; ++i) text += QByteArray::number(i) + ", " + QByteArray::number(i) + "\r\n";
  text += "not a point\r\n";
  QVA_USER_CAL_TABLE table{};
  EXPECT_EQ(ParseTableFile(text, table, true), kMaxTablePoints);
  EXPECT_EQ(table.num_rows, kMaxTablePoints);
  EXPECT_EQ(int{table.values[31].x}, 31000);
}

TEST(TableFileText, ALongLineIsCutAndEndsTheReading) {
  // 80 characters are kept: the cut line still holds a point; nothing after it is read.
  const QByteArray longPoint = "1, 2" + QByteArray(76, ' ') + "9999999";
  QVA_OUTPUT_CAL_TABLE table{};
  EXPECT_EQ(ParseTableFile(longPoint + "\n3, 4\n", table, true), 1);
  EXPECT_EQ(int{table.values[0].y}, 2);
  // A line of exactly 80 characters is whole.
  const QByteArray exact = "1, " + QByteArray(76, '0') + "7";
  ASSERT_EQ(exact.size(), 80);
  EXPECT_EQ(ParseTableFile(exact + "\r\n3, 4\r\n", table, true), 2);
  EXPECT_EQ(int{table.values[0].y}, 7);
}

TEST(TableFileWrite, AShortWriteIsReportedForBothForms) {
  for (bool text : {false, true}) {
    QByteArray storage;
    QBuffer readOnly(&storage);
    readOnly.open(QIODevice::ReadOnly);
    const ExpectQtWarning refused(QStringLiteral("QIODevice::write (QBuffer): ReadOnly device"));
    EXPECT_THROW(WriteTableFile(MakeOutputTable(), readOnly, text), EFileWrite) << text;
  }
}

TEST(TableFileWrite, StreamsMatchTheByteForms) {
  QByteArray storage;
  QBuffer buffer(&storage);
  buffer.open(QIODevice::WriteOnly);
  WriteTableFile(MakeAnalogTable(), buffer, false);
  EXPECT_EQ(storage, TableFileBytes(MakeAnalogTable(), false));
  buffer.close();
  buffer.open(QIODevice::ReadOnly);
  QVA_ANALOG_OUT_TABLE loaded{};
  EXPECT_EQ(ReadTableFile(loaded, buffer, false), 2);
  EXPECT_EQ(int{loaded.default_output}, -2500);
}

TEST(TableFileFilters, ComposedFromTheKind) {
  EXPECT_EQ(TableSaveFilter(TableFileKind::OutputTable),
            "Output Table Setup Files (*.QO1)|*.QO1|CSV Format Files (*.CSV)|*.CSV");
  EXPECT_EQ(TableLoadFilter(TableFileKind::OutputTable),
            "Output Table Setup Files (*.QO1)|*.QO1|CSV Format Files (*.*)|*.*");
  EXPECT_EQ(TableSaveFilter(TableFileKind::AnalogOutput),
            "Analog Output Setup Files (*.QA1)|*.QA1|CSV Format Files (*.CSV)|*.CSV");
  EXPECT_EQ(TableLoadFilter(TableFileKind::UserCalibration),
            "Sensor Calibration Tables (*.QU1)|*.QU1|CSV Format Files (*.*)|*.*");
}

}  // namespace
