#include "common/DeviceText.h"

#include <cstdio>

namespace zel {

std::string DeviceNumberText(std::int32_t serial) {
    return std::to_string(DeviceNumber(serial));
}

std::string VersionText(std::int32_t v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "V%d.%d%d%d", v / 1000, (v % 1000) / 100, (v % 100) / 10,
                  v % 10);
    return buffer;
}

} // namespace zel
