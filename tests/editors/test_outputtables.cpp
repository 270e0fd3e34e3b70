#include <cstring>

#include <gtest/gtest.h>

#include "editors/outputtables.h"
#include "support/qtprinters.h"

namespace {

QVA_OUTPUT_CAL_TABLE Named(const char (&bytes)[17]) {
  QVA_OUTPUT_CAL_TABLE table{};
  std::memcpy(table.output_name, bytes, 16);
  return table;
}

}  // namespace

TEST(OutputTableRules, ACallerIndexThatNamesNoTableOpensTable1) {
  const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {2, 0}, {5, 0}, {-1, 0}};
  for (const auto& [caller, chosen] : cases) EXPECT_EQ(ChooseTableIndex(caller), chosen) << caller;
}

TEST(OutputTableRules, NameIsReadUpToTheFirstZeroAndAtMost16Bytes) {
  EXPECT_EQ(OutputTableName(Named("AFR\0garbage\0\0\0\0\0")), "AFR");
  EXPECT_EQ(OutputTableName(Named("0123456789ABCDEF")), "0123456789ABCDEF");
  EXPECT_EQ(OutputTableName(Named("Caf\xE9\0\0\0\0\0\0\0\0\0\0\0\0")), QString::fromUtf8("Caf\u00E9"));
}

TEST(OutputTableRules, StoringANameClearsAll16BytesAndKeepsTheTerminator) {
  struct Case {
    QString typed;
    const char* bytes;  // 16 bytes expected
  };
  const Case cases[] = {
      {"Lambda", "Lambda\0\0\0\0\0\0\0\0\0\0"},
      {"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO\0"},
      {"ABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNO\0"},
      {"", "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"},
      {QString::fromUtf8("\u00C5\u20AC"), "\xC5?\0\0\0\0\0\0\0\0\0\0\0\0\0\0"},
  };
  for (const Case& c : cases) {
    QVA_OUTPUT_CAL_TABLE table = Named("0123456789ABCDEF");
    table.num_rows = 7;
    SetOutputTableName(table, c.typed);
    EXPECT_EQ(std::memcmp(table.output_name, c.bytes, 16), 0) << c.typed.toStdString();
    EXPECT_EQ(table.num_rows, 7);
  }
}

TEST(OutputTableRules, OnlyCharactersOfOneByteCanBeStored) {
  EXPECT_TRUE(IsStorableNameText(QString::fromUtf8("Lambda \u00FF\u00E9")));
  EXPECT_FALSE(IsStorableNameText(QString::fromUtf8("\u20AC")));
  EXPECT_FALSE(IsStorableNameText(QString::fromUtf8("AFR \U0001F600")));
}

TEST(OutputTableRules, ListTextsAreTrimmedNamesOrTheTableNumber) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  EXPECT_EQ(OutputTableItems(config), (CodeList{{0, "(Output Table 1)"}, {1, "(Output Table 2)"}}));
  SetOutputTableName(config.output_table[0], "  AFR  ");
  SetOutputTableName(config.output_table[1], "     ");
  EXPECT_EQ(OutputTableItems(config), (CodeList{{0, "AFR"}, {1, "(Output Table 2)"}}));
}

TEST(OutputTableRules, TypedDecimalPlacesCountOnlyWithin0To3) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"0", 0}, {"3", 3}, {" 2 ", 2}, {"4", std::nullopt}, {"-1", std::nullopt},
      {"x", std::nullopt}, {"", std::nullopt}, {"1.5", std::nullopt}};
  for (const auto& [text, decimals] : cases) EXPECT_EQ(TypedDecimalPlaces(text), decimals) << text;
}

TEST(OutputTableRules, OutputColumnShowsTheDecimalPlacesWithinTheirRange) {
  EXPECT_EQ(FormatValue16(OutputColumnType(2), 147, false), "1.47");
  EXPECT_EQ(FormatValue16(OutputColumnType(0), 147, false), "147");
  // A stored value above 3 (from a device or file) shows as 3.
  EXPECT_EQ(FormatValue16(OutputColumnType(9), 147, false), "0.147");
  EXPECT_EQ(OutputTableInputTitle(), "Ipn ( mA )");
}
