#pragma once

#include <cstdint>
#include <string>

namespace zel {

// Users know an instrument by its serial plus this base.
constexpr std::int32_t kDeviceNumberBase = 191000;

// The device number of a serial the instrument reports.
constexpr std::int32_t DeviceNumber(std::int32_t serial) {
    return serial + kDeviceNumberBase;
}

// A record file keeps the serial in 16 bits; it is read back as a signed value.
constexpr std::int32_t RecordDeviceNumber(std::uint16_t stored) {
    return DeviceNumber(static_cast<std::int16_t>(stored));
}

std::string DeviceNumberText(std::int32_t serial); // "%d" of serial + 191000
std::string VersionText(std::int32_t version);     // "V%d.%d%d%d": 1203 is V1.203

} // namespace zel
