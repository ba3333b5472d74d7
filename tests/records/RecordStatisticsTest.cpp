#include "records/RecordStatistics.h"

#include "records/PointsCsv.h"
#include "records/StatisticsText.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <random>

using namespace zel;

namespace {

using test::Local;
using test::ScopedTimeZone;
using Wide = unsigned __int128;

RecordImage TrendImage(const std::vector<TrendPoint>& points, std::int64_t start = 1400000000) {
    RecordImage image;
    image.header.kind = static_cast<std::int32_t>(RecordKind::Trend);
    image.header.startTime = start;
    image.trendBlocks.resize((points.size() + kTrendPointsPerBlock - 1) / kTrendPointsPerBlock);
    for (std::size_t i = 0; i < points.size(); ++i) {
        image.trendBlocks[i / kTrendPointsPerBlock].ch1[i % kTrendPointsPerBlock] =
            static_cast<std::int16_t>(points[i].ch1);
        image.trendBlocks[i / kTrendPointsPerBlock].ch2[i % kTrendPointsPerBlock] =
            static_cast<std::int16_t>(points[i].ch2);
    }
    return image;
}

RecordImage WaveImage(std::size_t blocks, std::int64_t start = 1400000000) {
    RecordImage image;
    image.header.kind = static_cast<std::int32_t>(RecordKind::Waveform);
    image.header.startTime = start;
    image.waveBlocks.resize(blocks);
    return image;
}

// The points as a trend plot holds them: the image's values, unpacked one by one.
std::vector<TrendPoint> PointsOf(const RecordImage& image) {
    std::vector<TrendPoint> points;
    if (image.IsTrend()) {
        for (const TrendBlock& b : image.trendBlocks)
            for (int k = 0; k < kTrendPointsPerBlock; ++k)
                points.push_back({b.ch1[k], b.ch2[k]});
    } else {
        for (const SampleBlock& b : image.waveBlocks)
            points.push_back(
                {static_cast<std::int32_t>(b.ch1Current), static_cast<std::int32_t>(b.ch2Current)});
    }
    return points;
}

// The same statistics the slow way, channel by channel and value by value.
void ExpectBruteForce(const RecordImage& image, std::int64_t first, std::int64_t last) {
    SCOPED_TRACE(testing::Message() << "range " << first << " … " << last);
    const auto points = PointsOf(image);
    const auto s = ComputeRecordStatistics(image, {first, last - first + 1});
    ASSERT_TRUE(s);
    ASSERT_EQ(s->Points(), last - first + 1);
    for (int ch = 0; ch < 2; ++ch) {
        const auto value = [&](std::int64_t i) { return ch == 0 ? points[i].ch1 : points[i].ch2; };
        std::int64_t minIndex = first, maxIndex = first;
        long double sum = 0;
        Wide squares = 0;
        for (std::int64_t i = first; i <= last; ++i) {
            if (value(i) < value(minIndex))
                minIndex = i;
            if (value(i) > value(maxIndex))
                maxIndex = i;
            sum += value(i);
            squares += static_cast<Wide>(static_cast<std::int64_t>(value(i)) * value(i));
        }
        const long double n = static_cast<long double>(last - first + 1);
        EXPECT_EQ(s->channel[ch].min, value(minIndex));
        EXPECT_EQ(s->channel[ch].minIndex, minIndex);
        EXPECT_EQ(s->channel[ch].max, value(maxIndex));
        EXPECT_EQ(s->channel[ch].maxIndex, maxIndex);
        EXPECT_DOUBLE_EQ(s->Mean(ch), static_cast<double>(sum / n));
        EXPECT_DOUBLE_EQ(s->Rms(ch),
                         static_cast<double>(std::sqrt(static_cast<long double>(squares) / n)));
    }
    std::vector<std::int32_t> differences, unbalances;
    for (std::int64_t i = first; i <= last; ++i) {
        differences.push_back(points[i].ch1 - points[i].ch2);
        unbalances.push_back(UnbalanceCoefficient(points[i].ch1, points[i].ch2));
    }
    EXPECT_EQ(s->difference.min, *std::min_element(differences.begin(), differences.end()));
    EXPECT_EQ(s->difference.max, *std::max_element(differences.begin(), differences.end()));
    EXPECT_EQ(s->difference.sum, std::accumulate(differences.begin(), differences.end(), 0LL));
    EXPECT_EQ(s->unbalance.max, *std::max_element(unbalances.begin(), unbalances.end()));
    EXPECT_EQ(s->unbalance.sum, std::accumulate(unbalances.begin(), unbalances.end(), 0LL));

    ASSERT_EQ(s->hasSamples, !image.IsTrend());
    if (image.IsTrend())
        return;
    for (int ch = 0; ch < 2; ++ch) {
        std::int16_t low = 32767, high = -32768;
        Wide squares = 0;
        for (std::int64_t i = first; i <= last; ++i) {
            const std::int16_t* samples =
                ch == 0 ? image.waveBlocks[i].ch1 : image.waveBlocks[i].ch2;
            for (int k = 0; k < kSamplesPerChannel; ++k) {
                low = std::min(low, samples[k]);
                high = std::max(high, samples[k]);
                squares += static_cast<Wide>(samples[k] * samples[k]);
            }
        }
        EXPECT_EQ(s->samples[ch].min, low);
        EXPECT_EQ(s->samples[ch].max, high);
        EXPECT_EQ(s->samples[ch].count, (last - first + 1) * kSamplesPerChannel);
        EXPECT_DOUBLE_EQ(s->SampleRms(ch),
                         static_cast<double>(
                             std::sqrt(static_cast<long double>(squares) / s->samples[ch].count)));
    }
}

// Ranges worth trying on n points: everything, single points at both ends and inside, block
// edges of a trend record, and random stretches.
std::vector<std::pair<std::int64_t, std::int64_t>> Ranges(std::int64_t n, std::mt19937& random) {
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges = {
        {0, n - 1}, {0, 0}, {n - 1, n - 1}, {n / 2, n / 2}, {61, 62}, {62, 123}, {1, n - 2}};
    std::uniform_int_distribution<std::int64_t> index(0, n - 1);
    for (int r = 0; r < 20; ++r) {
        auto a = index(random), b = index(random);
        ranges.emplace_back(std::min(a, b), std::max(a, b));
    }
    return ranges;
}

TEST(RecordStatistics, MatchBruteForceOnRandomTrendRecords) {
    std::mt19937 random(17);
    for (const int spread : {3, 300, 32767}) {
        std::uniform_int_distribution<int> value(-spread, spread);
        std::vector<TrendPoint> points(62 * 40);
        for (TrendPoint& p : points)
            p = {value(random), value(random)};
        const RecordImage image = TrendImage(points);
        for (const auto& [first, last] : Ranges(static_cast<std::int64_t>(points.size()), random))
            ExpectBruteForce(image, first, last);
    }
}

TEST(RecordStatistics, MatchBruteForceOnRandomWaveformRecords) {
    std::mt19937 random(23);
    std::uniform_int_distribution<std::uint32_t> current(0, 65535);
    std::uniform_int_distribution<int> sample(-2048, 2047);
    RecordImage image = WaveImage(300);
    for (SampleBlock& b : image.waveBlocks) {
        b.ch1Current = current(random) % 400; // repeated values: the first one must be kept
        b.ch2Current = current(random);
        for (int k = 0; k < kSamplesPerChannel; ++k) {
            b.ch1[k] = static_cast<std::int16_t>(sample(random));
            b.ch2[k] = static_cast<std::int16_t>(sample(random) / 3);
        }
    }
    for (const auto& [first, last] : Ranges(300, random))
        ExpectBruteForce(image, first, last);
}

TEST(RecordStatistics, ValuesAtTheSixteenBitLimits) {
    // A trend record's values are signed 16-bit; the difference of the extremes needs 17 bits.
    RecordImage trend = TrendImage({{-32768, 32767}, {32767, -32768}, {-32768, -32768}});
    ExpectBruteForce(trend, 0, 61);
    const auto t = ComputeRecordStatistics(trend, {0, 3});
    EXPECT_EQ(t->difference.min, -65535);
    EXPECT_EQ(t->difference.max, 65535);
    EXPECT_EQ(t->unbalance.max, 100);
    EXPECT_EQ(t->channel[0].min, -32768);
    EXPECT_EQ(t->channel[0].max, 32767);

    // A waveform record's currents are unsigned 16-bit; its samples as the file holds them.
    RecordImage wave = WaveImage(3);
    for (SampleBlock& b : wave.waveBlocks) {
        b.ch1Current = 65535;
        std::fill(std::begin(b.ch1), std::end(b.ch1), std::int16_t{-32768});
        std::fill(std::begin(b.ch2), std::end(b.ch2), std::int16_t{32767});
    }
    wave.waveBlocks[1].ch2Current = 65535;
    ExpectBruteForce(wave, 0, 2);
    const auto w = ComputeRecordStatistics(wave, {0, 3});
    EXPECT_EQ(w->channel[0].min, 65535);
    EXPECT_EQ(w->difference.max, 65535);
    EXPECT_EQ(w->samples[0].min, -32768);
    EXPECT_EQ(w->samples[1].max, 32767);
    EXPECT_DOUBLE_EQ(w->SampleRms(0), 32768.0);
    EXPECT_EQ(TwoDecimals(w->Mean(0)), "65535.00");
}

TEST(RecordStatistics, SumsStayExactPastTheDoublePrecision) {
    // 9.6 million samples per channel near the limit: the sum of squares passes 2^53, where a
    // double accumulator starts to round, and a one-unit error would change it.
    RecordImage wave = WaveImage(24000);
    Wide expected = 0;
    for (SampleBlock& b : wave.waveBlocks) {
        for (int k = 0; k < kSamplesPerChannel; ++k) {
            b.ch1[k] = static_cast<std::int16_t>(k % 2 ? 32767 : -32767);
            expected += static_cast<Wide>(b.ch1[k] * b.ch1[k]);
        }
    }
    wave.waveBlocks[5].ch1[3] = 1;
    expected -= static_cast<Wide>(32767 * 32767) - 1;
    ASSERT_GT(expected, Wide{1} << 53);
    const auto s = ComputeRecordStatistics(wave, {0, 24000});
    ASSERT_TRUE(s);
    EXPECT_EQ(s->samples[0].sumOfSquares.high, static_cast<std::uint64_t>(expected >> 64));
    EXPECT_EQ(s->samples[0].sumOfSquares.low, static_cast<std::uint64_t>(expected));

    // Read from its file, a long record is gathered in two halves at once: the same figures,
    // extremes tied across the halves kept at their first point.
    test::TempDir dir;
    const std::string path = CreateWaveformRecord("S", 1, 1, dir.path());
    RecordImage tied = WaveImage(9000);
    for (std::size_t i = 0; i < tied.waveBlocks.size(); ++i) {
        SampleBlock& b = tied.waveBlocks[i];
        b.ch1Current = static_cast<std::uint32_t>(i % 7);
        b.ch2Current = static_cast<std::uint32_t>(i % 1000 == 999 ? 9 : 3);
        b.ch1[i % kSamplesPerChannel] = static_cast<std::int16_t>(i % 31000);
        b.ch2[0] = static_cast<std::int16_t>(-static_cast<int>(i % 20000));
        ASSERT_TRUE(AppendRecordBlock(path, b));
    }
    const auto inPlace = OpenRecordImage(path);
    ASSERT_TRUE(inPlace && inPlace->file);
    for (const PointRange range : {PointRange{0, 9000}, PointRange{17, 8500}, PointRange{5, 300}})
        EXPECT_EQ(ComputeRecordStatistics(*inPlace, range), ComputeRecordStatistics(tied, range))
            << range.first;

    WideSum carry;
    carry.Add(~std::uint64_t{0});
    carry.Add(2);
    EXPECT_EQ(carry, (WideSum{1, 1}));
    EXPECT_EQ(carry.Value(), 18446744073709551617.0L);
}

TEST(RecordStatistics, EmptyRangesAndRangesPastTheEnd) {
    const RecordImage image = TrendImage(std::vector<TrendPoint>(62, {5, 7}));
    const auto none = ComputeRecordStatistics(image, {10, 0});
    ASSERT_TRUE(none);
    EXPECT_EQ(none->Points(), 0);
    EXPECT_EQ(none->Mean(0), 0.0);
    EXPECT_EQ(none->DurationSeconds(), 0.0);
    EXPECT_EQ(ComputeRecordStatistics(image, {62, 5})->Points(), 0);
    EXPECT_EQ(ComputeRecordStatistics(TrendImage({}), {0, 100})->Points(), 0);
    // Limited to the record: points 60 and 61.
    const auto tail = ComputeRecordStatistics(image, {60, 100});
    EXPECT_EQ(tail->range.first, 60);
    EXPECT_EQ(tail->Points(), 2);
    EXPECT_EQ(tail->DurationSeconds(), 0.5);
}

TEST(RecordStatistics, ACancelledComputationGivesNothing) {
    const RecordImage wave = WaveImage(2000);
    const RecordImage trend = TrendImage(std::vector<TrendPoint>(62 * 1000));
    std::atomic<bool> cancelled{true};
    EXPECT_FALSE(ComputeRecordStatistics(wave, {0, 2000}, &cancelled));
    EXPECT_FALSE(ComputeRecordStatistics(trend, {0, 62000}, &cancelled));
    cancelled = false;
    EXPECT_TRUE(ComputeRecordStatistics(wave, {0, 2000}, &cancelled));
}

TEST(RecordPoints, RangesOfTimesCountHalfSeconds) {
    const RecordImage image = TrendImage(std::vector<TrendPoint>(124), 1000);
    const RecordPoints points(image);
    // Point i at 1000 + i / 2 s; the ends are included.
    EXPECT_EQ(points.Between(1001, 1003).first, 2);
    EXPECT_EQ(points.Between(1001, 1003).count, 5);
    EXPECT_EQ(points.Between(std::nullopt, 1000).count, 1);
    EXPECT_EQ(points.Between(1061, std::nullopt).first, 122);
    EXPECT_EQ(points.Between(1061, std::nullopt).count, 2);
    EXPECT_EQ(points.Between(std::nullopt, std::nullopt).count, 124);
    EXPECT_TRUE(points.Between(1062, std::nullopt).Empty());
    EXPECT_TRUE(points.Between(std::nullopt, 999).Empty());
    EXPECT_TRUE(points.Between(1003, 1001).Empty());
    // Ends far outside the record do not overflow.
    EXPECT_EQ(points.Between(INT64_MIN, INT64_MAX).count, 124);
    EXPECT_TRUE(points.Between(INT64_MAX, std::nullopt).Empty());
    EXPECT_EQ(points.PreciseTimeText(3).substr(19), ".5");
}

TEST(RecordPoints, TimesAcrossADaylightSavingChange) {
    ASSERT_TRUE(std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin"));
    ScopedTimeZone berlin("Europe/Berlin");
    // The clocks go from 02:00 to 03:00 on 2024-03-31: 01:59:00 plus 90 s reads 03:00:30.
    std::vector<TrendPoint> points(248, {10, 10}); // four whole blocks
    points[180] = {99, 1};
    const RecordImage image = TrendImage(points, Local(2024, 3, 31, 1, 59, 0));
    const RecordPoints record(image);
    const auto s = ComputeRecordStatistics(image, record.All());
    EXPECT_EQ(record.TimeText(s->channel[0].maxIndex), "2024-03-31 03:00:30");
    EXPECT_EQ(record.TimeText(s->range.Last()), "2024-03-31 03:01:03");

    // From 01:59:30 to 03:00:30 on the clock is 60 s: 121 points, not 7321.
    std::int64_t from = 0, to = 0;
    ASSERT_TRUE(ParseLocalTime("2024-03-31 01:59:30", false, from));
    ASSERT_TRUE(ParseLocalTime("2024-03-31 03:00:30", true, to));
    const PointRange range = record.Between(from, to);
    EXPECT_EQ(range.first, 60);
    EXPECT_EQ(range.count, 121);
    EXPECT_EQ(ComputeRecordStatistics(image, range)->DurationSeconds(), 60.0);
}

TEST(PointsCsv, RowsCarryIndexTimeValuesAndDerivedValues) {
    ScopedTimeZone utc("UTC");
    const RecordImage image = TrendImage({{157, 43}, {-5, 5}}, 1400000000);
    const RecordPoints points(image);
    std::string rows;
    PointsCsv::AppendRow(rows, points, 0);
    PointsCsv::AppendRow(rows, points, 1);
    EXPECT_EQ(rows, "0,2014-05-13 16:53:20.0,157,43,114,56\n"
                    "1,2014-05-13 16:53:20.5,-5,5,-10,100\n");
}

TEST(StatisticsText, TwoDecimalsNeverShowsANegativeZero) {
    EXPECT_EQ(TwoDecimals(-0.004), "0.00");
    EXPECT_EQ(TwoDecimals(-0.005001), "-0.01");
    EXPECT_EQ(TwoDecimals(1234.5), "1234.50");
    EXPECT_EQ(OneDecimal(1799.5), "1799.5");
}

} // namespace
