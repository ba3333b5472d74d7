#include "records/TrendRecordWriter.h"

#include "common/LocalTime.h"
#include "records/RecordFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zel;
using zel::test::TempDir;
using zel::test::WriteBytes;

namespace {

constexpr std::int64_t kBase = 1394006950; // 2014-03-05, any zone

std::vector<TrendFrame> FramesAt(const std::vector<std::int64_t>& offsets) {
    std::vector<TrendFrame> frames;
    for (std::size_t n = 0; n < offsets.size(); ++n) {
        TrendFrame f;
        f.time = kBase + offsets[n];
        f.block.ch1[0] = static_cast<std::int16_t>(n);
        f.block.ch2[61] = static_cast<std::int16_t>(-static_cast<int>(n));
        frames.push_back(f);
    }
    return frames;
}

struct Written {
    bool ok = false;
    std::vector<RecordFileSummary> summaries;
};

Written Write(const std::vector<TrendFrame>& frames, const std::string& dir,
              const std::atomic<bool>& keepGoing) {
    Written w;
    w.ok = WriteTrendRecords(
        "T", 12, 3, frames, keepGoing,
        [&](const RecordFileSummary& s) { w.summaries.push_back(s); }, dir);
    return w;
}

TEST(TrendRecordWriterTest, SplitsWhereFramesAre32SecondsApart) {
    const struct {
        std::vector<std::int64_t> offsets;
        std::vector<int> blocksPerFile;
    } cases[] = {
        {{0, 31, 62, 100}, {3, 1}},
        {{0, 31}, {2}},
        {{0, 32}, {1, 1}},
        {{0, -5, 40}, {2, 1}},      // a step back stays; the next gap counts from it
        {{0, 100, 50, 81}, {1, 3}}, // -50 then +31
        {{0, 40, 80, 120}, {1, 1, 1, 1}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const auto frames = FramesAt(c.offsets);
        const std::atomic<bool> keepGoing{true};
        const Written w = Write(frames, dir.path(), keepGoing);
        EXPECT_TRUE(w.ok);
        ASSERT_EQ(w.summaries.size(), c.blocksPerFile.size())
            << ::testing::PrintToString(c.offsets);

        std::size_t next = 0;
        for (std::size_t i = 0; i < w.summaries.size(); ++i) {
            const RecordFileSummary& s = w.summaries[i];
            EXPECT_EQ(s.number, static_cast<int>(i + 1));
            EXPECT_EQ(s.blocks, c.blocksPerFile[i]);
            EXPECT_EQ(s.startTime, FormatLocalTime(frames[next].time, "%Y-%m-%d %H:%M:%S"));
            EXPECT_EQ(s.path, RecordFileName(dir.path(), "T", 12, frames[next].time));

            const auto data = ReadRecordFile(s.path);
            ASSERT_TRUE(data);
            EXPECT_EQ(data->header.kind, 0);
            EXPECT_EQ(data->header.startTime, frames[next].time);
            ASSERT_EQ(data->points.size(), 62u * c.blocksPerFile[i]);
            for (int b = 0; b < c.blocksPerFile[i]; ++b, ++next) {
                EXPECT_EQ(data->points[62 * b].ch1, frames[next].block.ch1[0]);
                EXPECT_EQ(data->points[62 * b + 61].ch2, frames[next].block.ch2[61]);
            }
        }
        EXPECT_EQ(next, frames.size());
    }
}

TEST(TrendRecordWriterTest, EveryRunNumbersAndCountsItsOwnFiles) {
    TempDir dir;
    const std::atomic<bool> keepGoing{true};
    const Written first = Write(FramesAt({0, 1, 2, 100}), dir.path(), keepGoing);
    const Written second = Write(FramesAt({500, 501}), dir.path(), keepGoing);
    ASSERT_EQ(first.summaries.size(), 2u);
    ASSERT_EQ(second.summaries.size(), 1u);
    EXPECT_EQ(second.summaries[0].number, 1);
    EXPECT_EQ(second.summaries[0].blocks, 2);
}

TEST(TrendRecordWriterTest, ClearedFlagStopsBetweenFrames) {
    TempDir dir;
    std::atomic<bool> keepGoing{false};
    const Written none = Write(FramesAt({0, 1}), dir.path(), keepGoing);
    EXPECT_TRUE(none.summaries.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())); // no empty file left behind

    keepGoing = true;
    std::vector<RecordFileSummary> summaries;
    const auto frames = FramesAt({0, 100, 101, 102});
    WriteTrendRecords(
        "T", 12, 3, frames, keepGoing,
        [&](const RecordFileSummary& s) {
            summaries.push_back(s);
            keepGoing = false; // the window closes while the first file is reported
        },
        dir.path());
    ASSERT_EQ(summaries.size(), 2u);
    EXPECT_EQ(summaries[0].blocks, 1);
    EXPECT_EQ(summaries[1].blocks, 1); // the frame at +100 was under way; +101 is not written
}

TEST(TrendRecordWriterTest, FailureToCreateIsReported) {
    TempDir dir;
    WriteBytes(dir / "plain", {0});
    const std::atomic<bool> keepGoing{true};
    const Written w = Write(FramesAt({0, 1}), dir / "plain", keepGoing);
    EXPECT_FALSE(w.ok);
    EXPECT_TRUE(w.summaries.empty());
}

} // namespace
