#pragma once

#include <cstdint>

namespace zel {

// CRC-16/XMODEM: polynomial 0x1021, initial 0, MSB first, no reflection, no final XOR.
// The count is taken as a signed 16-bit value; 0 or less gives 0 without reading the data.
std::uint16_t Crc16(const std::uint8_t* bytes, int length);

} // namespace zel
