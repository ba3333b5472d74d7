#include "common/LocalTime.h"

#include <ctime>

namespace zel {

std::int64_t NowSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::string FormatLocalTime(std::int64_t t, const char* format) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (!localtime_r(&tt, &tm))
        return {};
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
    return std::string(buffer, n);
}

LocalDateTime ToLocalDateTime(std::int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool FromLocalDateTime(const LocalDateTime& local, std::int64_t& t) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    const std::time_t result = std::mktime(&tm);
    if (result == static_cast<std::time_t>(-1))
        return false;
    t = static_cast<std::int64_t>(result);
    return true;
}

} // namespace zel
