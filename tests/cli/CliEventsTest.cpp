#include "cli/CliApp.h"
#include "records/RecordFile.h"
#include "tests/support/ProgramCopy.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <random>
#include <sstream>

using namespace zel;

namespace {

class CliEventsTest : public ::testing::Test {
protected:
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return cli::RunCli(args, out, err);
    }

    std::string Trend(const std::vector<TrendPoint>& points) {
        const std::string path = CreateTrendRecord("T", 12, 1203, kStart, dir.path());
        for (std::size_t b = 0; b * kTrendPointsPerBlock < points.size(); ++b) {
            TrendBlock block;
            for (int k = 0; k < kTrendPointsPerBlock; ++k) {
                block.ch1[k] = static_cast<std::int16_t>(points[b * kTrendPointsPerBlock + k].ch1);
                block.ch2[k] = static_cast<std::int16_t>(points[b * kTrendPointsPerBlock + k].ch2);
            }
            EXPECT_TRUE(AppendRecordBlock(path, block));
        }
        return path;
    }

    std::string Waveform(const std::vector<TrendPoint>& points) {
        const std::string path = CreateWaveformRecord("S", 12, 1203, dir.path());
        std::vector<SampleBlock> blocks(points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            blocks[i].ch1Current = static_cast<std::uint32_t>(points[i].ch1);
            blocks[i].ch2Current = static_cast<std::uint32_t>(points[i].ch2);
        }
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(offsetof(RecordFileHeader, startTime));
        file.write(reinterpret_cast<const char*>(&kStart), sizeof kStart); // not now
        file.seekp(0, std::ios::end);
        file.write(reinterpret_cast<const char*>(blocks.data()),
                   static_cast<std::streamsize>(kWaveformBlockSize * blocks.size()));
        return path;
    }

    static constexpr std::int64_t kStart = 1400000000; // 2014-05-13 16:53:20 UTC
    test::ScopedTimeZone utc{"UTC"};
    test::TempDir dir;
    std::ostringstream out, err;
};

// Runs of the difference |CH1 − CH2| above 30 with at least `least` points among first … last,
// counted point by point.
std::vector<std::pair<std::int64_t, std::int64_t>>
DifferenceRuns(const std::vector<TrendPoint>& points, std::int64_t first, std::int64_t last,
               int least) {
    std::vector<std::pair<std::int64_t, std::int64_t>> runs;
    for (std::int64_t i = first; i <= last;) {
        const auto over = [&](std::int64_t j) {
            const TrendPoint p = points[static_cast<std::size_t>(j)];
            return std::abs(p.ch1 - p.ch2) > 30;
        };
        std::int64_t j = i;
        while (j <= last && over(j))
            ++j;
        if (j - i >= least)
            runs.push_back({i, j - 1});
        i = j == i ? i + 1 : j;
    }
    return runs;
}

TEST_F(CliEventsTest, EventsAsJsonAndAsTextInTimeOrder) {
    // CH1 over 100 at the first point, at 5 … 7 and at the last; CH2 over 50 at 0 … 1; the
    // difference over 60 at 6 (and the last point); the unbalance over 50 at 61 only.
    std::vector<TrendPoint> points(62, {60, 40});
    points[0] = {101, 80};
    points[1] = {90, 51};
    points[5] = {110, 50};
    points[6] = {120, 50};
    points[7] = {105, 50};
    points[61] = {200, 10};
    const std::string path = Trend(points);
    ASSERT_EQ(Run({"events", path, "--ch1-above", "100", "--ch2-above", "50", "--difference-above",
                   "60", "--unbalance-above", "50", "--json"}),
              0)
        << err.str();
    EXPECT_EQ(out.str(),
              "{\"events\": ["
              "{\"limit\": \"ch1\", \"first\": 0, \"last\": 0, \"start\": \"2014-05-13 "
              "16:53:20.0\", \"end\": \"2014-05-13 16:53:20.0\", \"duration\": 0.5, \"max\": 101}, "
              "{\"limit\": \"ch2\", \"first\": 0, \"last\": 1, \"start\": \"2014-05-13 "
              "16:53:20.0\", \"end\": \"2014-05-13 16:53:20.5\", \"duration\": 1.0, \"max\": 80}, "
              "{\"limit\": \"ch1\", \"first\": 5, \"last\": 7, \"start\": \"2014-05-13 "
              "16:53:22.5\", \"end\": \"2014-05-13 16:53:23.5\", \"duration\": 1.5, \"max\": 120}, "
              "{\"limit\": \"difference\", \"first\": 6, \"last\": 6, \"start\": \"2014-05-13 "
              "16:53:23.0\", \"end\": \"2014-05-13 16:53:23.0\", \"duration\": 0.5, \"max\": 70}, "
              "{\"limit\": \"ch1\", \"first\": 61, \"last\": 61, \"start\": \"2014-05-13 "
              "16:53:50.5\", \"end\": \"2014-05-13 16:53:50.5\", \"duration\": 0.5, \"max\": 200}, "
              "{\"limit\": \"difference\", \"first\": 61, \"last\": 61, \"start\": \"2014-05-13 "
              "16:53:50.5\", \"end\": \"2014-05-13 16:53:50.5\", \"duration\": 0.5, \"max\": 190}, "
              "{\"limit\": \"unbalance\", \"first\": 61, \"last\": 61, \"start\": \"2014-05-13 "
              "16:53:50.5\", \"end\": \"2014-05-13 16:53:50.5\", \"duration\": 0.5, \"max\": 90}"
              "]}\n");

    ASSERT_EQ(Run({"events", path, "--ch1-above", "100", "--min-points", "2", "--to",
                   "2014-05-13 16:53:23.0"}),
              0);
    EXPECT_EQ(out.str(), "ch1\t5\t6\t2014-05-13 16:53:22.5\t2014-05-13 16:53:23.0\t1.0\t120\n");
    ASSERT_EQ(Run({"events", path, "--ch1-above", "500", "--json"}), 0);
    EXPECT_EQ(out.str(), "{\"events\": []}\n");
}

// Both kinds of record, whole and cut by --from/--to, with longer minimums: the events are the
// runs a point-by-point count finds, the edges of the record and of the range included.
TEST_F(CliEventsTest, AgreesWithACountOfPointsOnBothKinds) {
    std::mt19937 random(7);
    std::vector<TrendPoint> points(62 * 30);
    for (TrendPoint& p : points)
        p = {static_cast<std::int32_t>(100 + random() % 40), 100};
    points.front() = points.back() = {200, 100};
    for (const std::string& path : {Trend(points), Waveform(points)}) {
        struct Range {
            std::vector<std::string> args;
            std::int64_t first, last;
        };
        for (const Range& r :
             {Range{{}, 0, 1859},
              Range{{"--from", "2014-05-13 16:53:25.5", "--to", "2014-05-13 17:00:00"}, 11, 800},
              Range{{"--from", "2014-05-13 16:00:00"}, 0, 1859}}) {
            for (const int least : {1, 3}) {
                std::vector<std::string> args = {"events", path,           "--difference-above",
                                                 "30",     "--min-points", std::to_string(least)};
                args.insert(args.end(), r.args.begin(), r.args.end());
                ASSERT_EQ(Run(args), 0) << err.str();
                std::string expected;
                for (const auto& [first, last] : DifferenceRuns(points, r.first, r.last, least))
                    expected +=
                        "difference\t" + std::to_string(first) + '\t' + std::to_string(last) + '\t';
                std::string got;
                std::istringstream lines(out.str());
                for (std::string line; std::getline(lines, line);) {
                    std::istringstream fields(line);
                    std::string name, first, last;
                    std::getline(fields, name, '\t');
                    std::getline(fields, first, '\t');
                    std::getline(fields, last, '\t');
                    got += name + '\t' + first + '\t' + last + '\t';
                }
                EXPECT_EQ(got, expected) << path << " from " << r.first << ", " << least;
                EXPECT_GT(got.size(), 0u);
            }
        }
    }
}

TEST_F(CliEventsTest, BadValuesOfEveryOptionAreRefused) {
    const std::string path = Trend(std::vector<TrendPoint>(62));
    const std::vector<std::vector<std::string>> bad = {
        {"--ch1-above", "ten"},
        {"--ch2-above", "-1"},
        {"--difference-above", "7.5"},
        {"--unbalance-above", "101"},
        {"--ch1-above", "1", "--min-points", "0"},
        {"--ch1-above", "1", "--min-points", "x"},
        {"--ch1-above", "1", "--from", "yesterday"},
        {"--ch1-above", "1", "--to", "2014-05-13 25:00:00"},
        {"--ch1-above", "1", "--json", "--sideways"},
        {"--ch1-above"}, // no value
    };
    for (const auto& options : bad) {
        std::vector<std::string> args = {"events", path};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_EQ(Run(args), 2) << options.front();
        const std::string& named = options.size() > 2 ? options[2] : options[0];
        EXPECT_NE(err.str().find(named), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_EQ(Run({"events", "--ch1-above", "1"}), 2);
    EXPECT_EQ(Run({"events", dir / "missing.zmr", "--ch1-above", "1"}), 1);
}

// With no limit on the command line the copy's config.ini decides; without limits switched on
// there it says so.
TEST_F(CliEventsTest, LimitsComeFromConfigWhenNoneIsGiven) {
    std::vector<TrendPoint> points(62, {10, 10});
    points[3] = {50, 10};
    const std::string path = Trend(points);
    const std::string cli = test::CopyProgram(ZEL_CLI_PATH, dir / "bin");
    int status = 0;
    std::ofstream(dir / "bin/config.ini") << "[ZELMARINE]\nip=127.0.0.1\n";
    const std::string command = test::Quoted(cli) + " events " + test::Quoted(path);
    test::RunAndRead(command + " 2>" + test::Quoted(dir / "err.txt"), status);
    EXPECT_EQ(status, 2);
    std::ifstream in(dir / "err.txt");
    const std::string said((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(said.find("no limit given"), std::string::npos) << said;

    std::ofstream(dir / "bin/config.ini", std::ios::app)
        << "[LIMITS]\ndifferenceOn=1\ndifferenceAbove=39\nch1On=1\nch1Above=bad\n";
    EXPECT_EQ(test::RunAndRead(command, status),
              "difference\t3\t3\t2014-05-13 16:53:21.5\t2014-05-13 16:53:21.5\t0.5\t40\n");
    EXPECT_EQ(status, 0);
}

} // namespace
