#pragma once

#include <cstdint>

namespace zel {

enum DeviceState : std::uint8_t {
    kStateMeasuring = 1,
    kStateViewing = 2,
    kStatePlayback = 3,
};

// The decoded 29-byte status reply; copied by value wherever it goes.
struct DeviceStatus {
    std::int32_t serial = 0;
    std::int32_t version = 0;
    std::uint8_t battery = 0;
    std::int32_t recordSlots = 0;
    std::uint8_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t state = 0;
    std::int32_t ch1Current = 0;
    std::int32_t ch2Current = 0;
};

} // namespace zel
