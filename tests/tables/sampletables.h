#pragma once

#include <cstring>

#include "config/qvaconfig.h"

// Small tables of each kind with something in every field the table files
// carry.

inline QVA_OUTPUT_CAL_TABLE MakeOutputTable(int rows = 3) {
  QVA_OUTPUT_CAL_TABLE table{};
  std::strcpy(table.output_name, "Lambda");
  table.num_rows = static_cast<uint8_t>(rows);
  for (int i = 0; i < rows; ++i)
    table.values[i] = {static_cast<int16_t>(-1500 + 1000 * i), static_cast<int16_t>(70 + i)};
  table.decimal_places = 2;
  return table;
}

inline QVA_ANALOG_OUT_TABLE MakeAnalogTable() {
  QVA_ANALOG_OUT_TABLE table{};
  table.out_function = 3;
  table.out_table_index = 1;
  table.num_rows = 2;
  table.values[0] = {100, 0};
  table.values[1] = {900, 5000};
  table.default_output = -2500;
  return table;
}

inline QVA_USER_CAL_TABLE MakeUserTable() {
  QVA_USER_CAL_TABLE table{};
  table.num_rows = 2;
  table.values[0] = {-2000, -1987};
  table.values[1] = {1234, 987};
  return table;
}

template <typename Table>
inline bool SameBytes(const Table& a, const Table& b) {
  return std::memcmp(&a, &b, sizeof(Table)) == 0;
}
