#include "records/EventLimitsConfig.h"

#include "common/IniFile.h"
#include "common/ModuleDirectory.h"

#include <charconv>
#include <limits>

namespace zel {

namespace {

std::optional<std::int32_t> WholeNumber(const std::string& text, std::int32_t low,
                                        std::int32_t high) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    if (text.empty() || r.ec != std::errc() || r.ptr != end || value < low || value > high)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string& LimitsFileOverride() {
    static std::string path;
    return path;
}

std::string Key(LimitKind kind, const char* what) {
    return std::string(LimitName(kind)) + what;
}

} // namespace

std::optional<std::int32_t> ParseLimitValue(LimitKind kind, const std::string& text) {
    return WholeNumber(
        text, 0, kind == LimitKind::Unbalance ? 100 : std::numeric_limits<std::int32_t>::max());
}

std::optional<std::int32_t> ParseMinPoints(const std::string& text) {
    return WholeNumber(text, 1, 1000000);
}

void SetEventLimitsFile(const std::string& configPath) {
    LimitsFileOverride() = configPath;
}

std::string EventLimitsFile() {
    return LimitsFileOverride().empty() ? ConfigFilePath() : LimitsFileOverride();
}

EventLimits ReadEventLimits(const std::string& configPath) {
    EventLimits limits;
    for (int k = 0; k < kLimitKinds; ++k) {
        const auto kind = static_cast<LimitKind>(k);
        const auto value = ParseLimitValue(
            kind, IniFile::ReadOr(configPath, kLimitsSection, Key(kind, "Above"), ""));
        const bool on = IniFile::ReadOr(configPath, kLimitsSection, Key(kind, "On"), "0") == "1";
        limits[kind] = {on && value.has_value(), value.value_or(0)};
    }
    limits.minPoints =
        ParseMinPoints(IniFile::ReadOr(configPath, kLimitsSection, "minPoints", "1")).value_or(1);
    return limits;
}

bool WriteEventLimits(const std::string& configPath, const EventLimits& limits) {
    bool written = true;
    for (int k = 0; k < kLimitKinds; ++k) {
        const auto kind = static_cast<LimitKind>(k);
        written = written && IniFile::Write(configPath, kLimitsSection, Key(kind, "On"),
                                            limits[kind].on ? "1" : "0");
        written = written && IniFile::Write(configPath, kLimitsSection, Key(kind, "Above"),
                                            std::to_string(limits[kind].above));
    }
    return written && IniFile::Write(configPath, kLimitsSection, "minPoints",
                                     std::to_string(limits.minPoints));
}

bool ReadEventSound(const std::string& configPath) {
    return IniFile::ReadOr(configPath, kLimitsSection, "sound", "0") == "1";
}

bool WriteEventSound(const std::string& configPath, bool on) {
    return IniFile::Write(configPath, kLimitsSection, "sound", on ? "1" : "0");
}

} // namespace zel
