#include "config/crc16.h"

#include <array>

namespace {

constexpr uint16_t kPolynomial = 0x1021;

constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned high = 0; high < 256; ++high) {
    uint16_t reg = static_cast<uint16_t>(high << 8);
    for (int bit = 0; bit < 8; ++bit) {
      reg =
          (reg & 0x8000) ? static_cast<uint16_t>((reg << 1) ^ kPolynomial) : static_cast<uint16_t>(reg << 1);
    }
    table[high] = reg;
  }
  return table;
}

constexpr std::array<uint16_t, 256> kTable = MakeTable();

}  // namespace

uint16_t Crc16(const uint8_t* data, std::size_t count, uint16_t initial) {
  uint16_t crc = initial;
  for (std::size_t i = 0; i < count; ++i) {
    crc = static_cast<uint16_t>(kTable[((crc >> 8) ^ data[i]) & 0xFF] ^ ((crc << 8) & 0xFFFF));
  }
  return crc;
}
