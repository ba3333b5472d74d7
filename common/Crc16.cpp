#include "common/Crc16.h"

#include <array>

namespace zel {
namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        std::uint16_t r = static_cast<std::uint16_t>(b << 8);
        for (int i = 0; i < 8; ++i)
            r = static_cast<std::uint16_t>((r & 0x8000) ? (r << 1) ^ 0x1021 : (r << 1));
        table[static_cast<std::size_t>(b)] = r;
    }
    return table;
}

constexpr auto kTable = MakeTable();

} // namespace

std::uint16_t Crc16(const std::uint8_t* bytes, int length) {
    const auto count = static_cast<std::int16_t>(length);
    std::uint16_t r = 0;
    for (int i = 0; i < count; ++i)
        r = static_cast<std::uint16_t>((r << 8) ^ kTable[((r >> 8) ^ bytes[i]) & 0xFF]);
    return r;
}

} // namespace zel
