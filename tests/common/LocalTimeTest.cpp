#include "common/LocalTime.h"

#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zel;

namespace {

std::optional<std::int64_t> Parse(const std::string& text, bool latest = false) {
    std::int64_t t = 0;
    if (!ParseLocalTime(text, latest, t))
        return std::nullopt;
    return t;
}

TEST(ParseLocalTime, TakesExactlyTheShownFormat) {
    test::ScopedTimeZone utc("UTC");
    EXPECT_EQ(Parse("2014-05-13 16:53:20"), 1400000000);
    EXPECT_EQ(Parse("2024-02-29 00:00:00"), 1709164800);
    for (const char* bad : {"2023-02-29 00:00:00", "2024-13-01 00:00:00", "2024-04-31 10:00:00",
                            "2024-01-01 24:00:00", "2024-01-01 10:60:00", "2024-01-01 10:00:60",
                            "2024-01-01T10:00:00", "2024-01-01 10:00", "2024-01-01 10:00:00 ",
                            "2024-1-01 10:00:00", "2024-01- 1 10:00:00", "", "yesterday"})
        EXPECT_FALSE(Parse(bad)) << bad;
}

TEST(ParseLocalTime, FollowsTheZonesDaylightSaving) {
    ASSERT_TRUE(std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin"));
    test::ScopedTimeZone berlin("Europe/Berlin");
    EXPECT_EQ(Parse("2024-07-01 12:00:00"), 1719828000); // summer time: 10:00 UTC
    // 2024-03-31 02:30 is skipped by the clocks.
    EXPECT_FALSE(Parse("2024-03-31 02:30:00"));
    // 2024-10-27 02:30 happens twice, an hour apart: first in summer time, then in winter time.
    EXPECT_EQ(Parse("2024-10-27 02:30:00"), 1729989000);
    EXPECT_EQ(Parse("2024-10-27 02:30:00", true), 1729992600);
    EXPECT_EQ(Parse("2024-10-27 04:00:00", false), Parse("2024-10-27 04:00:00", true));
}

} // namespace
