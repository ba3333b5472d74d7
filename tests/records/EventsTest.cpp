#include "records/Events.h"

#include "records/RecordFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <bit>
#include <fstream>
#include <random>

using namespace zel;

namespace {

// Currents that wander about the limits below, holding a value for a few points at times so
// that runs of every length occur; the first and the last point are over every limit.
std::vector<TrendPoint> Wandering(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<TrendPoint> points(n);
    TrendPoint p{100, 80};
    for (std::size_t i = 0; i < n; ++i) {
        if (random() % 3 != 0)
            p = {static_cast<std::int32_t>(90 + random() % 25),
                 static_cast<std::int32_t>(60 + random() % 40)};
        points[i] = p;
    }
    points.front() = points.back() = {200, 95};
    return points;
}

EventLimits AllFour(std::int32_t minPoints) {
    EventLimits limits;
    limits[LimitKind::Ch1] = {true, 105};
    limits[LimitKind::Ch2] = {true, 90};
    limits[LimitKind::Difference] = {true, 40};
    limits[LimitKind::Unbalance] = {true, 20};
    limits.minPoints = minPoints;
    return limits;
}

// Point by point: every maximal run inside the range, as the definition reads.
std::vector<LimitEvent> BruteForce(const std::vector<TrendPoint>& points, const EventLimits& limits,
                                   PointRange range) {
    std::vector<LimitEvent> events;
    for (int k = 0; k < kLimitKinds; ++k) {
        const auto kind = static_cast<LimitKind>(k);
        if (!limits[kind].on)
            continue;
        const auto over = [&](std::int64_t i) {
            const TrendPoint p = points[static_cast<std::size_t>(i)];
            return LimitValue(kind, p.ch1, p.ch2) > limits[kind].above;
        };
        for (std::int64_t i = range.first; i <= range.Last(); ++i) {
            if (!over(i) || (i > range.first && over(i - 1)))
                continue;
            LimitEvent e{kind, i, i, std::numeric_limits<std::int32_t>::min(), i};
            for (std::int64_t j = i; j <= range.Last() && over(j); ++j) {
                const TrendPoint p = points[static_cast<std::size_t>(j)];
                const std::int32_t v = LimitValue(kind, p.ch1, p.ch2);
                e.last = j;
                if (v > e.max) {
                    e.max = v;
                    e.maxIndex = j;
                }
            }
            if (e.Points() >= limits.minPoints)
                events.push_back(e);
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const LimitEvent& a, const LimitEvent& b) {
        return a.first != b.first ? a.first < b.first : a.limit < b.limit;
    });
    return events;
}

RecordImage TrendImage(const std::vector<TrendPoint>& points) {
    RecordImage image;
    image.header.kind = static_cast<std::int32_t>(RecordKind::Trend);
    image.trendBlocks.resize(points.size() / kTrendPointsPerBlock);
    for (std::size_t i = 0; i < points.size(); ++i) {
        image.trendBlocks[i / kTrendPointsPerBlock].ch1[i % kTrendPointsPerBlock] =
            static_cast<std::int16_t>(points[i].ch1);
        image.trendBlocks[i / kTrendPointsPerBlock].ch2[i % kTrendPointsPerBlock] =
            static_cast<std::int16_t>(points[i].ch2);
    }
    return image;
}

std::vector<SampleBlock> Blocks(const std::vector<TrendPoint>& points) {
    std::vector<SampleBlock> blocks(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        blocks[i].ch1Current = static_cast<std::uint32_t>(points[i].ch1);
        blocks[i].ch2Current = static_cast<std::uint32_t>(points[i].ch2);
    }
    return blocks;
}

} // namespace

// Every way a record is read gives the events a point-by-point search finds: a trend record, a
// waveform record in memory, and one opened in place long enough to be read in several
// stretches on two threads; whole and in parts whose ends cut runs, with longer minimums.
TEST(EventsTest, AgreeWithBruteForceOnEveryKindOfRecord) {
    test::TempDir dir;
    const std::vector<TrendPoint> trend = Wandering(62 * 40, 1);
    const std::vector<TrendPoint> wave = Wandering(45000, 2);

    RecordImage inMemory;
    inMemory.header.kind = static_cast<std::int32_t>(RecordKind::Waveform);
    inMemory.waveBlocks = Blocks(wave);
    const std::string path = CreateWaveformRecord("S", 1, 1, dir.path());
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(reinterpret_cast<const char*>(inMemory.waveBlocks.data()),
               static_cast<std::streamsize>(kWaveformBlockSize * inMemory.waveBlocks.size()));
    const auto inPlace = OpenRecordImage(path);
    ASSERT_TRUE(inPlace && inPlace->file);

    struct Case {
        const RecordImage& image;
        const std::vector<TrendPoint>& points;
    };
    for (const Case& c :
         {Case{TrendImage(trend), trend}, Case{inMemory, wave}, Case{*inPlace, wave}}) {
        const auto n = static_cast<std::int64_t>(c.points.size());
        for (const PointRange range : {PointRange{0, n}, PointRange{1, n - 2}, PointRange{n - 1, 1},
                                       PointRange{777, 21500}}) {
            for (const std::int32_t minPoints : {1, 2, 5}) {
                const EventLimits limits = AllFour(minPoints);
                const auto events = FindEvents(c.image, limits, range);
                ASSERT_TRUE(events);
                const auto expected =
                    BruteForce(c.points, limits, PointRange::Of(range.first, range.Last(), n));
                EXPECT_EQ(*events, expected) << n << " points from " << range.first;
                if (range.first == 0 && minPoints == 1) {
                    // The first and the last point start events of all four limits.
                    ASSERT_GE(events->size(), 8u);
                    EXPECT_EQ((*events)[3].limit, LimitKind::Unbalance);
                    EXPECT_EQ(events->back().last, n - 1);
                    EXPECT_TRUE(std::any_of(events->begin(), events->end(),
                                            [](const LimitEvent& e) { return e.Points() == 1; }));
                }
            }
        }
    }

    // One limit alone, and none.
    EventLimits difference;
    difference[LimitKind::Difference] = {true, 40};
    EXPECT_EQ(*FindEvents(inMemory, difference, {0, 45000}),
              BruteForce(wave, difference, {0, 45000}));
    EXPECT_TRUE(FindEvents(inMemory, EventLimits{}, {0, 45000})->empty());

    // A file cut short since it was opened gives no events rather than some.
    std::filesystem::resize_file(path, kRecordHeaderSize + kWaveformBlockSize * 30000);
    EXPECT_FALSE(FindEvents(*inPlace, AllFour(1), {0, 45000}));
}

// The live check counts the events a search of the same points finds, and keeps the last to
// begin with its start time and its maximum as the run goes on; a break ends every run.
TEST(EventsTest, LiveCheckCountsAsTheSearchFinds) {
    const std::vector<TrendPoint> points = Wandering(3000, 3);
    for (const std::int32_t minPoints : {1, 3}) {
        const EventLimits limits = AllFour(minPoints);
        LiveEventCheck live(limits);
        std::int64_t startedHere = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const auto step = live.Add(points[i].ch1, points[i].ch2, 1000 + std::int64_t(i) / 2);
            startedHere += std::popcount(step.started);
        }
        const auto expected = BruteForce(points, limits, {0, 3000});
        EXPECT_EQ(live.Count(), static_cast<std::int64_t>(expected.size()));
        EXPECT_EQ(startedHere, live.Count());
        // The last event to reach its minimum is the one starting latest, the last in the
        // list but for ties; it runs to the end, the last point being over every limit.
        ASSERT_TRUE(live.LastEvent());
        const LimitEvent& last = expected.back();
        EXPECT_EQ(live.LastEvent()->startTime, 1000 + last.first / 2);
        EXPECT_EQ(live.LastEvent()->max, last.max);
    }

    EventLimits ch1;
    ch1[LimitKind::Ch1] = {true, 100};
    LiveEventCheck live(ch1);
    live.Add(150, 0, 10);
    live.Add(170, 0, 10);
    live.Break();
    EXPECT_EQ(live.Add(160, 0, 20).started, 1u);
    EXPECT_EQ(live.Count(), 2);
    EXPECT_EQ(live.LastEvent()->startTime, 20);
    EXPECT_EQ(live.LastEvent()->max, 160);
    live.Reset(ch1);
    EXPECT_EQ(live.Count(), 0);
    EXPECT_FALSE(live.LastEvent());
}
