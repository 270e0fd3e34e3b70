#pragma once

#include <cstddef>
#include <cstdint>

// The one CRC of the system: CRC-16/XMODEM parameters (polynomial 0x1021,
// MSB first, no reflection, no final XOR) with a caller-supplied initial
// value. Used for cfg_crc16 and for packet headers and data blocks.
uint16_t Crc16(const uint8_t* data, std::size_t count, uint16_t initial = 0);
