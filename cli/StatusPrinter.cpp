#include "cli/StatusPrinter.h"

#include "cli/Json.h"
#include "cli/Messages.h"
#include "device/StatusText.h"

#include <cstdio>

namespace zel::cli {
namespace {

std::string PaddedClock(const DeviceStatus& s) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", s.year + 2000,
                  int(s.month), int(s.day), int(s.hour), int(s.minute), int(s.second));
    return buffer;
}

} // namespace

void PrintStatus(std::ostream& out, const DeviceStatus& s, bool json) {
    if (json) {
        out << "{\"serial\": " << s.serial << ", \"deviceNumber\": " << DeviceNumber(s.serial)
            << ", \"version\": " << s.version
            << ", \"versionText\": " << JsonString(VersionText(s.version))
            << ", \"battery\": " << int(s.battery) << ", \"recordSlots\": " << s.recordSlots
            << ", \"clock\": " << JsonString(PaddedClock(s)) << ", \"state\": " << int(s.state)
            << ", \"stateText\": " << JsonString(StateText(s.state))
            << ", \"ch1Current\": " << s.ch1Current << ", \"ch2Current\": " << s.ch2Current
            << "}\n";
        return;
    }
    out << Say("设备编号：") << DeviceNumberText(s.serial) << "\n"
        << Say("设备版本：") << VersionText(s.version) << "\n"
        << Say("设备电量：") << BatteryText(s.battery) << "\n"
        << Say("存储记录：") << s.recordSlots << "\n"
        << Say("设备时间：") << ClockText(s) << "\n"
        << Say("设备状态：") << SayDevice(StateText(s.state)) << "\n"
        << Say("CH1电流：") << CurrentText(s.ch1Current) << "\n"
        << Say("CH2电流：") << CurrentText(s.ch2Current) << "\n";
}

} // namespace zel::cli
