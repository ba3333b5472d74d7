#include "common/LocalTime.h"

#include <ctime>
#include <optional>

namespace zel {

namespace {

// `local` as mktime takes it; isDst -1 lets the zone decide.
std::tm ToTm(const LocalDateTime& local, int isDst) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = isDst;
    return tm;
}

} // namespace

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
    std::tm tm = ToTm(local, -1);
    const std::time_t result = std::mktime(&tm);
    if (result == static_cast<std::time_t>(-1))
        return false;
    t = static_cast<std::int64_t>(result);
    return true;
}

namespace {

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// The instant at which the local clock shows `local` with the given daylight-saving flag, if
// the clock shows it at all then.
std::optional<std::int64_t> LocalInstant(const LocalDateTime& local, int isDst) {
    std::tm tm = ToTm(local, isDst);
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1))
        return std::nullopt;
    const LocalDateTime shown = ToLocalDateTime(t);
    if (shown.year != local.year || shown.month != local.month || shown.day != local.day ||
        shown.hour != local.hour || shown.minute != local.minute || shown.second != local.second)
        return std::nullopt;
    return static_cast<std::int64_t>(t);
}

} // namespace

bool ParseLocalTime(const std::string& text, bool latest, std::int64_t& t) {
    static constexpr char kPattern[] = "dddd-dd-dd dd:dd:dd";
    if (text.size() != sizeof kPattern - 1)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i])
            return false;
    }
    const auto number = [&text](std::size_t at, std::size_t length) {
        return std::stoi(text.substr(at, length));
    };
    const LocalDateTime local{number(0, 4),  number(5, 2),  number(8, 2),
                              number(11, 2), number(14, 2), number(17, 2)};
    if (local.month < 1 || local.month > 12 || local.day < 1 ||
        local.day > DaysInMonth(local.year, local.month) || local.hour > 23 || local.minute > 59 ||
        local.second > 59)
        return false;
    // Standard and summer time both: where the clocks go back, both are valid readings.
    std::optional<std::int64_t> found;
    for (const int isDst : {0, 1}) {
        const auto instant = LocalInstant(local, isDst);
        if (instant && (!found || (latest ? *instant > *found : *instant < *found)))
            found = instant;
    }
    if (!found)
        return false;
    t = *found;
    return true;
}

} // namespace zel
