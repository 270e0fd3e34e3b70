#include <gtest/gtest.h>

#include "editors/analogoutput.h"
#include "editors/outputtables.h"
#include "support/qtprinters.h"

namespace {

QVA_ANALOG_OUT_TABLE Analog(int function, int table) {
  QVA_ANALOG_OUT_TABLE analog{};
  analog.out_function = static_cast<uint8_t>(function);
  analog.out_table_index = static_cast<uint8_t>(table);
  return analog;
}

}  // namespace

TEST(AnalogOutputRules, FunctionListPacksTheTableIntoTheCode) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  SetOutputTableName(config.output_table[1], " Boost ");
  EXPECT_EQ(AnalogFunctionItems(config),
            (CodeList{{0, "Off"}, {1, "Ip"}, {2, "Ipn"}, {3, "(Output Table 1)"}, {259, "Boost"}}));
}

TEST(AnalogOutputRules, CodesSplitIntoFunctionAndTable) {
  const std::tuple<int, int, int> cases[] = {{0, 0, 0}, {2, 2, 0}, {3, 3, 0}, {259, 3, 1}};
  for (const auto& [code, function, table] : cases) {
    EXPECT_EQ(SplitAnalogFunctionCode(code).function, function) << code;
    EXPECT_EQ(SplitAnalogFunctionCode(code).table, table) << code;
    EXPECT_EQ(OutputTablesApply(code), function == 3) << code;
  }
}

TEST(AnalogOutputRules, TheStoredChoiceSelectsItsItem) {
  const std::tuple<int, int, int> cases[] = {
      {0, 0, 0}, {1, 0, 1}, {3, 0, 3}, {3, 1, 259},
      // The table index belongs to the Table function alone.
      {2, 1, 2}, {0, 1, 0},
      // An index that names no table matches no item (the list shows Off).
      {3, 7, 3 + 7 * 256},
  };
  for (const auto& [function, table, code] : cases)
    EXPECT_EQ(StoredAnalogFunctionCode(Analog(function, table)), code) << function << " " << table;
}

TEST(AnalogOutputRules, StoringAChoiceWritesTheTableOnlyForTheTableFunction) {
  const std::tuple<int, int, int, int, int> cases[] = {
      // stored function, stored table, chosen code -> function, table
      {0, 0, 259, 3, 1},
      {3, 1, 3, 3, 0},
      {3, 1, 2, 2, 1},
      {2, 0, 1, 1, 0},
  };
  for (const auto& [function, table, code, newFunction, newTable] : cases) {
    QVA_ANALOG_OUT_TABLE analog = Analog(function, table);
    analog.num_rows = 4;
    StoreAnalogFunctionCode(analog, code);
    EXPECT_EQ(analog.out_function, newFunction) << code;
    EXPECT_EQ(analog.out_table_index, newTable) << code;
    EXPECT_EQ(analog.num_rows, 4);
  }
}

TEST(AnalogOutputRules, TheInputReadsInTheFunctionsUnits) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.output_table[0].decimal_places = 2;
  config.output_table[1].decimal_places = 0;
  const std::tuple<int, const char*, const char*> cases[] = {
      {0, "1500", "Input "},          {1, "1.500", "Input ( mA )"}, {2, "1.500", "Input ( mA )"},
      {3, "15.00", "Input "},         {259, "1500", "Input "},
  };
  for (const auto& [code, shown, title] : cases) {
    const ValueType type = AnalogInputType(config, code);
    EXPECT_EQ(FormatValue16(type, 1500, false), shown) << code;
    EXPECT_EQ(AnalogInputTitle(type), title) << code;
  }
  EXPECT_EQ(AnalogOutputTitle(), "Aout ( V )");
  EXPECT_EQ(DefaultOutputUnitsText(), "( V )");
}
