#include "cli/CliApp.h"
#include "records/RecordFile.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace zel;

namespace {

class CliStatsTest : public ::testing::Test {
protected:
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return cli::RunCli(args, out, err);
    }

    // One trend block: CH1 rises 0 … 61 while CH2 falls 61 … 0.
    std::string RampRecord(std::int64_t start) {
        const std::string path = CreateTrendRecord("T", 12, 1203, start, dir.path());
        TrendBlock block;
        for (int i = 0; i < kTrendPointsPerBlock; ++i) {
            block.ch1[i] = static_cast<std::int16_t>(i);
            block.ch2[i] = static_cast<std::int16_t>(61 - i);
        }
        EXPECT_TRUE(AppendRecordBlock(path, block));
        return path;
    }

    test::ScopedTimeZone utc{"UTC"};
    test::TempDir dir;
    std::ostringstream out, err;
};

TEST_F(CliStatsTest, JsonOfAWholeTrendRecordAndOfARange) {
    const std::string path = RampRecord(1400000000); // 2014-05-13 16:53:20 UTC
    ASSERT_EQ(Run({"stats", path, "--json"}), 0) << err.str();
    EXPECT_EQ(out.str(),
              "{\"points\": 62, \"start\": \"2014-05-13 16:53:20\", \"end\": \"2014-05-13 "
              "16:53:50\", \"duration\": 30.5, "
              "\"ch1\": {\"min\": 0, \"max\": 61, \"mean\": 30.50, \"rms\": 35.36, \"minTime\": "
              "\"2014-05-13 16:53:20\", \"maxTime\": \"2014-05-13 16:53:50\"}, "
              "\"ch2\": {\"min\": 0, \"max\": 61, \"mean\": 30.50, \"rms\": 35.36, \"minTime\": "
              "\"2014-05-13 16:53:50\", \"maxTime\": \"2014-05-13 16:53:20\"}, "
              "\"difference\": {\"min\": -61, \"max\": 61, \"mean\": 0.00}, "
              "\"unbalance\": {\"max\": 100, \"mean\": 50.32}}\n");

    // Points 20 … 40, the ends included.
    ASSERT_EQ(Run({"stats", path, "--from", "2014-05-13 16:53:30", "--to", "2014-05-13 16:53:40",
                   "--json"}),
              0)
        << err.str();
    EXPECT_EQ(out.str(),
              "{\"points\": 21, \"start\": \"2014-05-13 16:53:30\", \"end\": \"2014-05-13 "
              "16:53:40\", \"duration\": 10.0, "
              "\"ch1\": {\"min\": 20, \"max\": 40, \"mean\": 30.00, \"rms\": 30.61, \"minTime\": "
              "\"2014-05-13 16:53:30\", \"maxTime\": \"2014-05-13 16:53:40\"}, "
              "\"ch2\": {\"min\": 21, \"max\": 41, \"mean\": 31.00, \"rms\": 31.59, \"minTime\": "
              "\"2014-05-13 16:53:40\", \"maxTime\": \"2014-05-13 16:53:30\"}, "
              "\"difference\": {\"min\": -21, \"max\": 19, \"mean\": -1.00}, "
              "\"unbalance\": {\"max\": 34, \"mean\": 16.76}}\n");

    // The text form carries the same values, one per line.
    ASSERT_EQ(Run({"stats", path, "--from", "2014-05-13 16:53:30"}), 0);
    EXPECT_NE(out.str().find("points\t42\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("ch2.maxTime\t2014-05-13 16:53:30\n"), std::string::npos);
    EXPECT_NE(out.str().find("unbalance.max\t"), std::string::npos);
}

TEST_F(CliStatsTest, WaveformRecordAddsItsSamplesAndKeepsUnsignedCurrents) {
    const std::string path = CreateWaveformRecord("R", 12, 1203, dir.path());
    const std::uint32_t currents[3][2] = {{100, 50}, {65535, 0}, {0, 0}};
    const std::int16_t samples[3][2] = {{10, -10}, {2047, -2048}, {0, 0}};
    for (int b = 0; b < 3; ++b) {
        SampleBlock block;
        block.ch1Current = currents[b][0];
        block.ch2Current = currents[b][1];
        std::fill(std::begin(block.ch1), std::end(block.ch1), samples[b][0]);
        std::fill(std::begin(block.ch2), std::end(block.ch2), samples[b][1]);
        ASSERT_TRUE(AppendRecordBlock(path, block));
    }
    ASSERT_EQ(Run({"stats", path, "--json"}), 0) << err.str();
    const std::string json = out.str();
    for (const char* part :
         {"\"points\": 3, ", "\"duration\": 1.0, ",
          "\"ch1\": {\"min\": 0, \"max\": 65535, \"mean\": 21878.33, \"rms\": 37836.69, ",
          "\"ch2\": {\"min\": 0, \"max\": 50, \"mean\": 16.67, \"rms\": 28.87, ",
          "\"difference\": {\"min\": 0, \"max\": 65535, \"mean\": 21861.67}, ",
          "\"unbalance\": {\"max\": 100, \"mean\": 44.33}, ",
          "\"samples\": {\"ch1\": {\"min\": 0, \"max\": 2047, \"rms\": 1181.85}, \"ch2\": "
          "{\"min\": -2048, \"max\": 0, \"rms\": 1182.43}}}\n"})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
}

TEST_F(CliStatsTest, RangesAcrossADaylightSavingChangeCountRealSeconds) {
    ASSERT_TRUE(std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin"));
    test::ScopedTimeZone berlin("Europe/Berlin");
    // The clocks go back from 03:00 summer time to 02:00 winter time on 2024-10-27. The record
    // starts at 02:59:30 summer time; its point 60 is 30 s later, at 02:00:00 winter time.
    const std::string path = RampRecord(1729990770);
    // Both ends are met twice: the range runs from the first 02:59:50 to the second 02:00:00,
    // 10 s of real time, though the clock reads the end before the start.
    ASSERT_EQ(Run({"stats", path, "--from", "2024-10-27 02:59:50", "--to", "2024-10-27 02:00:00",
                   "--json"}),
              0)
        << err.str();
    const std::string expected = "{\"points\": 21, \"start\": \"2024-10-27 02:59:50\", "
                                 "\"end\": \"2024-10-27 02:00:00\", \"duration\": 10.0, "
                                 "\"ch1\": {\"min\": 40, \"max\": 60, ";
    EXPECT_EQ(out.str().substr(0, expected.size()), expected);
    EXPECT_NE(out.str().find("\"maxTime\": \"2024-10-27 02:00:00\""), std::string::npos);
}

TEST_F(CliStatsTest, RangesWithoutPointsAndBadTimesAreRefused) {
    const std::string path = RampRecord(1400000000);
    EXPECT_EQ(Run({"stats", path, "--from", "2014-05-13 16:54:00"}), 1);
    EXPECT_EQ(err.str(), path + ": no data point between 2014-05-13 16:54:00 and the end\n");
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(Run({"stats", path, "--from", "2014-05-13 16:53:40", "--to", "2014-05-13 16:53:30"}),
              1);
    EXPECT_EQ(Run({"stats", path, "--to", "2014-05-13 16:53:19"}), 1);

    const std::string empty = CreateTrendRecord("T", 12, 1203, 1400000000, dir.path());
    EXPECT_EQ(Run({"stats", empty}), 1);
    EXPECT_EQ(err.str(), empty + ": the record holds no data point\n");

    EXPECT_EQ(Run({"stats", path, "--from", "2014-05-13"}), 2);
    EXPECT_NE(err.str().find("is not a local time"), std::string::npos) << err.str();
    EXPECT_EQ(Run({"stats", path, "--to"}), 2);
    EXPECT_EQ(Run({"stats"}), 2);
    EXPECT_EQ(Run({"stats", dir / "missing.zmr"}), 1);
}

} // namespace
