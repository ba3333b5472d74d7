#pragma once

#include "common/DeviceText.h"
#include "device/DeviceStatus.h"

#include <string>

namespace zel {

// How the instrument's status is shown to users (UTF-8).
std::string BatteryText(std::uint8_t battery); // "%d%%"
std::string StateText(std::uint8_t state); // 测量状态 / 查看状态 / 回放状态 / 错误
std::string ClockText(const DeviceStatus& status); // "%d-%d-%d %d:%d:%d", year + 2000
std::string CurrentText(std::int32_t amperes);     // "%dA"

} // namespace zel
