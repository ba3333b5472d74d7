#pragma once

#include <cstdint>
#include <string>

namespace zel {

// Time stamps are signed 64-bit seconds since 1970-01-01 00:00:00 UTC; everything shown or put
// into a file name is the PC's local time with its time-zone rules, daylight saving included.

std::int64_t NowSeconds();

// strftime of the local time; formats such as "%Y-%m-%d %H:%M:%S".
std::string FormatLocalTime(std::int64_t t, const char* format);

struct LocalDateTime {
    int year = 1970; // full year
    int month = 1;   // 1..12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

LocalDateTime ToLocalDateTime(std::int64_t t);

// The local date and time read as a time stamp (mktime, daylight saving decided by the zone).
// Returns false when the C library cannot represent it.
bool FromLocalDateTime(const LocalDateTime& local, std::int64_t& t);

// Reads a local time written "%Y-%m-%d %H:%M:%S". Where the clocks go back, a time that occurs
// twice gives its first instant, or its second when `latest` is set (the end of a range takes
// the whole repeated hour in). False for other text and for a time the clocks skip.
bool ParseLocalTime(const std::string& text, bool latest, std::int64_t& t);

} // namespace zel
