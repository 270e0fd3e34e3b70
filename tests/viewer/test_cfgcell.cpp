#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "config/qvaconfig.h"
#include "support/qtprinters.h"
#include "viewer/cfgcell.h"

namespace {

struct ParseCase {
  const char16_t* text;
  CellKind kind;
  std::optional<int> value;
};

TEST(ViewerCells, ParsesCIntegerLiteralsWithTheRangeOfTheirKind) {
  const ParseCase cases[] = {
      // Automatic base, the whole text.
      {u"0x20", CellKind::UInt8, 32},
      {u"0X1f", CellKind::UInt8, 31},
      {u"010", CellKind::UInt8, 8},
      {u"0", CellKind::UInt8, 0},
      {u"00", CellKind::UInt8, 0},
      {u"0x000000000000000000001", CellKind::UInt8, 1},
      {u"08", CellKind::UInt8, std::nullopt},
      {u"0x", CellKind::UInt8, std::nullopt},
      {u"0xG", CellKind::UInt8, std::nullopt},
      {u"12a", CellKind::UInt8, std::nullopt},
      {u"1 2", CellKind::UInt8, std::nullopt},
      {u"1.0", CellKind::UInt8, std::nullopt},
      {u"\u0663", CellKind::UInt8, std::nullopt},  // an Arabic-Indic three
      // Blanks around the number; an empty cell reads 0.
      {u"  12\t", CellKind::UInt8, 12},
      {u"", CellKind::UInt8, 0},
      {u"   ", CellKind::UInt16, 0},
      // Signs.
      {u"+7", CellKind::UInt8, 7},
      {u"+", CellKind::Int16, std::nullopt},
      {u"-", CellKind::Int16, std::nullopt},
      {u"- 5", CellKind::Int16, std::nullopt},
      {u"+-5", CellKind::Int16, std::nullopt},
      {u"-0x10", CellKind::Int16, -16},
      {u"-1", CellKind::UInt16, std::nullopt},
      {u"-1", CellKind::UInt8, std::nullopt},
      {u"-0", CellKind::UInt16, 0},
      {u"-18446744073709551615", CellKind::UInt8, std::nullopt},  // C would wrap it to 1
      {u"-0xFFFFFFFFFFFFFF00", CellKind::UInt16, std::nullopt},
      // Ranges.
      {u"255", CellKind::UInt8, 255},
      {u"256", CellKind::UInt8, std::nullopt},
      {u"0x100", CellKind::UInt8, std::nullopt},
      {u"32767", CellKind::Int16, 32767},
      {u"32768", CellKind::Int16, std::nullopt},
      {u"-32768", CellKind::Int16, -32768},
      {u"-32769", CellKind::Int16, std::nullopt},
      {u"0xFFFF", CellKind::Int16, std::nullopt},
      {u"65535", CellKind::UInt16, 65535},
      {u"0177777", CellKind::UInt16, 65535},
      {u"65536", CellKind::UInt16, std::nullopt},
      {u"99999999999999999999999", CellKind::UInt16, std::nullopt},
      {u"-99999999999999999999999", CellKind::Int16, std::nullopt},
      // Text and blank cells are not numbers.
      {u"5", CellKind::Text, std::nullopt},
      {u"5", CellKind::None, std::nullopt},
  };
  for (const ParseCase& c : cases) {
    const QString text = QString::fromUtf16(c.text);
    EXPECT_EQ(ParseCellInteger(text, c.kind), c.value) << text.toStdString() << " kind " << int(c.kind);
  }
}

TEST(ViewerCells, DescriptorsPackKindTextSizeAndOffset) {
  // output_name of output table 2: text of 16 bytes at 205.
  EXPECT_EQ(MakeCellDescriptor(CellKind::Text, 205, 16), 7u | 16u << 4 | 205u << 14);
  EXPECT_EQ(MakeCellDescriptor(CellKind::UInt16, 0x3FFFF), 4u | 0x3FFFFu << 14);
  const CellDescriptor d = MakeCellDescriptor(CellKind::Text, 1234, 1023);
  EXPECT_EQ(DescriptorKind(d), CellKind::Text);
  EXPECT_EQ(DescriptorTextSize(d), 1023u);
  EXPECT_EQ(DescriptorOffset(d), 1234u);
  EXPECT_EQ(DescriptorWidth(d), 1023u);
  // Only text descriptors carry a size.
  EXPECT_EQ(DescriptorTextSize(MakeCellDescriptor(CellKind::Int16, 8, 16)), 0u);

  // What cannot be described is not a value cell.
  EXPECT_EQ(MakeCellDescriptor(CellKind::UInt8, -1), 0u);
  EXPECT_EQ(MakeCellDescriptor(CellKind::UInt8, 0x40000), 0u);
  EXPECT_EQ(MakeCellDescriptor(CellKind::Text, 56, 1024), 0u);
  EXPECT_EQ(MakeCellDescriptor(CellKind::Text, 56, 0), 0u);
}

class ViewerCellRecord : public ::testing::Test {
 protected:
  std::span<uint8_t> Bytes() { return {reinterpret_cast<uint8_t*>(&config), kConfigSize}; }
  QString Show(CellKind kind, std::size_t offset, bool hex, std::size_t size = 0) {
    return FormatCell(Bytes(), MakeCellDescriptor(kind, static_cast<std::ptrdiff_t>(offset), size), hex);
  }

  QVA_CONFIG_DATA config = MakeBlankConfig();
};

TEST_F(ViewerCellRecord, FormatsEachKindInDecimalAndHexadecimal) {
  config.sensor_type = 3;
  config.display_config.backlight_intensity = 200;
  config.analog_out_table.default_output = -1;
  config.pid_settings.heater.d = -300;
  config.user_cal_resistor = 47000;
  std::strcpy(config.output_table[1].output_name, "AFR");
  struct Case {
    CellKind kind;
    std::size_t offset;
    const char* decimal;
    const char* hex;
  };
  const Case cases[] = {
      {CellKind::UInt16, 0, "110", "0x006E"},    // version
      {CellKind::UInt8, 4, "3", "0x03"},         // sensor_type
      {CellKind::UInt8, 51, "200", "0xC8"},      // backlight_intensity
      {CellKind::Int16, 485, "-1", "0xFFFF"},    // default_output
      {CellKind::Int16, 638, "-300", "0xFED4"},  // heater d
      {CellKind::UInt16, 640, "47000", "0xB798"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Show(c.kind, c.offset, false), QString::fromLatin1(c.decimal)) << c.offset;
    EXPECT_EQ(Show(c.kind, c.offset, true), QString::fromLatin1(c.hex)) << c.offset;
  }
  EXPECT_EQ(Show(CellKind::Text, 205, false, 16), QStringLiteral("AFR"));
  EXPECT_EQ(Show(CellKind::Text, 205, true, 16), QStringLiteral("AFR"));
}

TEST_F(ViewerCellRecord, TextWithoutTerminatorShowsOnlyItsOwnBytes) {
  std::memset(config.output_table[0].output_name, 'N', 16);  // num_rows follows
  config.output_table[0].num_rows = 'X';
  EXPECT_EQ(Show(CellKind::Text, 56, false, 16), QString(16, QLatin1Char('N')));
}

TEST_F(ViewerCellRecord, StoresNumbersInTheHostByteOrder) {
  EXPECT_TRUE(StoreCell(Bytes(), MakeCellDescriptor(CellKind::Int16, 485), QStringLiteral("-2")));
  EXPECT_EQ(Bytes()[485], 0xFE);
  EXPECT_EQ(Bytes()[486], 0xFF);
  EXPECT_TRUE(StoreCell(Bytes(), MakeCellDescriptor(CellKind::UInt16, 640), QStringLiteral("0x1234")));
  EXPECT_EQ(config.user_cal_resistor, 0x1234);
  EXPECT_TRUE(StoreCell(Bytes(), MakeCellDescriptor(CellKind::UInt8, 72), QStringLiteral("017")));
  EXPECT_EQ(config.output_table[0].num_rows, 15);
  EXPECT_EQ(Bytes()[73], 0) << "a byte field writes one byte";
}

TEST_F(ViewerCellRecord, RefusedTextsLeaveTheRecordAsItWas) {
  config.pid_settings.ntk_sensor.p = 1234;
  config.output_table[0].num_rows = 7;
  const QVA_CONFIG_DATA before = config;
  EXPECT_FALSE(StoreCell(Bytes(), MakeCellDescriptor(CellKind::Int16, 622), QStringLiteral("32768")));
  EXPECT_FALSE(StoreCell(Bytes(), MakeCellDescriptor(CellKind::UInt8, 72), QStringLiteral("256")));
  EXPECT_FALSE(StoreCell(Bytes(), MakeCellDescriptor(CellKind::UInt16, 640), QStringLiteral("-1")));
  // A field that would reach past the record is never written.
  EXPECT_FALSE(StoreCell(Bytes(), MakeCellDescriptor(CellKind::UInt16, 671), QStringLiteral("1")));
  EXPECT_FALSE(StoreCell(Bytes(), MakeCellDescriptor(CellKind::Text, 660, 16), QStringLiteral("x")));
  EXPECT_TRUE(ConfigsEqual(config, before));
  EXPECT_EQ(FormatCell(Bytes(), MakeCellDescriptor(CellKind::UInt16, 671), false), QString());
}

TEST_F(ViewerCellRecord, TextFieldsKeepTheirTerminatorAndZeroFill) {
  char* name = config.output_table[0].output_name;
  std::memset(name, 0xFF, 16);
  const CellDescriptor descriptor = MakeCellDescriptor(CellKind::Text, 56, 16);

  EXPECT_TRUE(StoreCell(Bytes(), descriptor, QStringLiteral("ABCDEFGHIJKLMNOPQRST")));
  EXPECT_EQ(QByteArray(name, 16), QByteArray("ABCDEFGHIJKLMNO\0", 16));

  EXPECT_TRUE(StoreCell(Bytes(), descriptor, QStringLiteral(" Lambda ")));
  EXPECT_EQ(QByteArray(name, 16), QByteArray("Lambda\0\0\0\0\0\0\0\0\0\0", 16));

  // One byte per character: Latin-1 goes in as it is, anything else is refused.
  EXPECT_TRUE(StoreCell(Bytes(), descriptor, QStringLiteral("M\u00E4rz")));
  EXPECT_EQ(QByteArray(name, 5), QByteArray("M\xE4rz\0", 5));
  EXPECT_FALSE(StoreCell(Bytes(), descriptor, QStringLiteral("\u20ACuro")));
  EXPECT_EQ(QByteArray(name, 5), QByteArray("M\xE4rz\0", 5));
  EXPECT_EQ(config.output_table[0].num_rows, 0) << "the byte after the field";
}

TEST(ViewerCells, LongTextsAreCutAndEndInDots) {
  const auto width = [](const QString& text) { return static_cast<int>(text.size()); };
  EXPECT_EQ(FitCellText(QStringLiteral("abcdef"), 6, width), QStringLiteral("abcdef"));
  EXPECT_EQ(FitCellText(QStringLiteral("abcdefg"), 6, width), QStringLiteral("abc..."));
  EXPECT_EQ(FitCellText(QStringLiteral("abcdefg"), 2, width), QStringLiteral("..."));
}

}  // namespace
