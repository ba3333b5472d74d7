#include "device/StatusText.h"

#include "common/TranslatableText.h"

#include <cstdio>

namespace zel {
namespace {

template <typename... Args> std::string Format(const char* format, Args... args) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

} // namespace

std::string BatteryText(std::uint8_t battery) {
    return Format("%d%%", int(battery));
}

std::string StateText(std::uint8_t state) {
    switch (state) {
    case kStateMeasuring:
        return QT_TRANSLATE_NOOP("zel::DeviceText", "测量状态");
    case kStateViewing:
        return QT_TRANSLATE_NOOP("zel::DeviceText", "查看状态");
    case kStatePlayback:
        return QT_TRANSLATE_NOOP("zel::DeviceText", "回放状态");
    default:
        return QT_TRANSLATE_NOOP("zel::DeviceText", "错误");
    }
}

std::string ClockText(const DeviceStatus& s) {
    return Format("%d-%d-%d %d:%d:%d", s.year + 2000, int(s.month), int(s.day), int(s.hour),
                  int(s.minute), int(s.second));
}

std::string CurrentText(std::int32_t amperes) {
    return Format("%dA", amperes);
}

} // namespace zel
