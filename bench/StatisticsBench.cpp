// Statistics of a day of recording, as the viewer's 统计 button and `zelmarine-cli stats`
// compute them: a trend range of 24 hours (172,800 points) and a waveform record of 24 hours
// (172,800 blocks, 138 million samples). Targets: under 50 ms and under 0.5 s. A week-long
// waveform record (1,209,600 blocks, 1.95 GB) is read from its file as the viewer and the
// command-line tool read it: the statistics in under 1 s, and the viewer's scan of its currents.
// The events over all four limits of the same day of trend points (under 5 ms) and of the week
// read from its file (under 200 ms).
#include "WeekRecord.h"
#include "records/Events.h"
#include "records/RecordStatistics.h"
#include "tests/support/MainsSignal.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace zel;

constexpr std::int64_t kPointsPerDay = 24 * 3600 * 2;

// Currents that drift over the day, with some noise, so the extremes move around.
TrendPoint DayCurrents(std::int64_t i) {
    const double hours = static_cast<double>(i) / 7200.0;
    const auto noise = static_cast<int>((i * 7919) % 13) - 6;
    return {static_cast<std::int32_t>(180 + 90 * std::sin(hours / 3.8)) + noise,
            static_cast<std::int32_t>(150 + 70 * std::cos(hours / 5.1)) - noise};
}

const RecordImage& TrendDay() {
    static const RecordImage image = [] {
        RecordImage r;
        r.header.kind = static_cast<std::int32_t>(RecordKind::Trend);
        r.header.startTime = 1700000000;
        r.trendBlocks.resize(static_cast<std::size_t>(kPointsPerDay / kTrendPointsPerBlock + 1));
        for (std::int64_t i = 0; i < kPointsPerDay; ++i) {
            const TrendPoint p = DayCurrents(i);
            TrendBlock& block = r.trendBlocks[static_cast<std::size_t>(i / kTrendPointsPerBlock)];
            block.ch1[i % kTrendPointsPerBlock] = static_cast<std::int16_t>(p.ch1);
            block.ch2[i % kTrendPointsPerBlock] = static_cast<std::int16_t>(p.ch2);
        }
        return r;
    }();
    return image;
}

const RecordImage& WaveformDay() {
    static const RecordImage image = [] {
        RecordImage r;
        r.header.kind = static_cast<std::int32_t>(RecordKind::Waveform);
        r.header.startTime = 1700000000;
        r.waveBlocks.resize(static_cast<std::size_t>(kPointsPerDay));
        for (std::int64_t i = 0; i < kPointsPerDay; ++i) {
            SampleBlock& block = r.waveBlocks[static_cast<std::size_t>(i)];
            const TrendPoint p = DayCurrents(i);
            block.ch1Current = static_cast<std::uint32_t>(p.ch1);
            block.ch2Current = static_cast<std::uint32_t>(p.ch2);
            // Plain sine currents, CH1's amplitude swelling from block to block.
            const double swell = 1 + 0.3 * std::sin(static_cast<double>(i) / 900.0);
            const test::MainsSignal signal{
                {160, 0, {}}, {95, -0.35, {}}, [swell](double) { return swell; }};
            test::FillMains(signal, 0, block.ch1, block.ch2);
        }
        return r;
    }();
    return image;
}

void BM_StatisticsTrend24h(benchmark::State& state) {
    const RecordImage& image = TrendDay();
    for (auto _ : state) {
        auto s = ComputeRecordStatistics(image, {0, kPointsPerDay});
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations() * kPointsPerDay);
}
BENCHMARK(BM_StatisticsTrend24h)->Unit(benchmark::kMillisecond);

void BM_StatisticsWaveform24h(benchmark::State& state) {
    const RecordImage& image = WaveformDay();
    for (auto _ : state) {
        auto s = ComputeRecordStatistics(image, {0, kPointsPerDay});
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations() * kPointsPerDay);
}
BENCHMARK(BM_StatisticsWaveform24h)->Unit(benchmark::kMillisecond);

void BM_StatisticsWaveform7d(benchmark::State& state) {
    const auto image = OpenRecordImage(bench::WeekRecord());
    if (!image) {
        state.SkipWithError("no week-long record");
        return;
    }
    const RecordPoints points(*image);
    for (auto _ : state) {
        auto s = ComputeRecordStatistics(*image, points.All());
        if (!s)
            state.SkipWithError("statistics not computed");
        benchmark::DoNotOptimize(s);
    }
    state.counters["file_MB"] =
        static_cast<double>(kRecordHeaderSize +
                            std::size_t{kWaveformBlockSize} * bench::kWeekBlocks) /
        1e6;
    state.SetItemsProcessed(state.iterations() * points.Count());
}
BENCHMARK(BM_StatisticsWaveform7d)->Unit(benchmark::kMillisecond);

void BM_RecordCurrentsScan7d(benchmark::State& state) {
    const auto image = OpenRecordImage(bench::WeekRecord());
    if (!image) {
        state.SkipWithError("no week-long record");
        return;
    }
    for (auto _ : state) {
        const auto currents = RecordCurrents::Scan(image->file);
        currents->WaitForScan();
    }
    state.SetItemsProcessed(state.iterations() * image->file->Blocks());
}
BENCHMARK(BM_RecordCurrentsScan7d)->Unit(benchmark::kMillisecond);

// Limits the drifting currents pass now and then, so there are events of every kind.
EventLimits FourLimits() {
    EventLimits limits;
    limits[LimitKind::Ch1] = {true, 250};
    limits[LimitKind::Ch2] = {true, 200};
    limits[LimitKind::Difference] = {true, 60};
    limits[LimitKind::Unbalance] = {true, 20};
    return limits;
}

void BM_EventsTrend24h(benchmark::State& state) {
    const RecordImage& image = TrendDay();
    std::size_t events = 0;
    for (auto _ : state) {
        auto found = FindEvents(image, FourLimits(), {0, kPointsPerDay});
        events = found ? found->size() : 0;
        benchmark::DoNotOptimize(found);
    }
    state.counters["events"] = static_cast<double>(events);
    state.SetItemsProcessed(state.iterations() * kPointsPerDay);
}
BENCHMARK(BM_EventsTrend24h)->Unit(benchmark::kMillisecond);

void BM_EventsWaveform7d(benchmark::State& state) {
    const auto image = OpenRecordImage(bench::WeekRecord());
    if (!image) {
        state.SkipWithError("no week-long record");
        return;
    }
    // The week's currents swell from 68 to 158 A and shrink from 94 to 27 A.
    EventLimits limits;
    limits[LimitKind::Ch1] = {true, 150};
    limits[LimitKind::Ch2] = {true, 90};
    limits[LimitKind::Difference] = {true, 120};
    limits[LimitKind::Unbalance] = {true, 60};
    const RecordPoints points(*image);
    std::size_t events = 0;
    for (auto _ : state) {
        auto found = FindEvents(*image, limits, points.All());
        if (!found)
            state.SkipWithError("events not found");
        events = found ? found->size() : 0;
        benchmark::DoNotOptimize(found);
    }
    state.counters["events"] = static_cast<double>(events);
    state.SetItemsProcessed(state.iterations() * points.Count());
}
BENCHMARK(BM_EventsWaveform7d)->Unit(benchmark::kMillisecond);

} // namespace
