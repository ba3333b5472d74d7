#pragma once

#include "records/RecordPoints.h"

#include <atomic>
#include <cstdint>
#include <optional>

namespace zel {

// An unsigned 128-bit sum of 64-bit terms. Sums of squares grow past 64 bits on long records
// with large values (a waveform record's samples, a damaged file's currents), and a double
// would round them; this stays exact for any record that fits in memory.
struct WideSum {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    void Add(std::uint64_t term) {
        low += term;
        high += low < term ? 1 : 0;
    }
    long double Value() const;
    bool operator==(const WideSum&) const = default;
};

// One channel's trend points: extremes with the first point that has them, and the sums.
struct ChannelStatistics {
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::int64_t minIndex = 0; // point index in the record
    std::int64_t maxIndex = 0;
    std::int64_t sum = 0;
    WideSum sumOfSquares;
    bool operator==(const ChannelStatistics&) const = default;
};

// CurrentDifference(ch1, ch2) of every point.
struct DifferenceStatistics {
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::int64_t sum = 0;
    bool operator==(const DifferenceStatistics&) const = default;
};

// UnbalanceCoefficient(ch1, ch2) of every point.
struct UnbalanceStatistics {
    std::int32_t max = 0;
    std::int64_t sum = 0;
    bool operator==(const UnbalanceStatistics&) const = default;
};

// One channel's waveform samples in the blocks of the range.
struct SampleStatistics {
    std::int16_t min = 0;
    std::int16_t max = 0;
    std::int64_t count = 0;
    WideSum sumOfSquares;
    bool operator==(const SampleStatistics&) const = default;
};

// Statistics of a stretch of a record. The points are the trend points (see RecordPoints); a
// waveform record adds its blocks' samples. All zero when the range holds no point.
struct RecordStatistics {
    PointRange range;
    ChannelStatistics channel[2]; // CH1, CH2
    DifferenceStatistics difference;
    UnbalanceStatistics unbalance;
    bool hasSamples = false; // a waveform record
    SampleStatistics samples[2];

    bool operator==(const RecordStatistics&) const = default;

    std::int64_t Points() const { return range.count; }
    double Mean(int ch) const { return Average(channel[ch].sum); }
    double Rms(int ch) const;
    double DifferenceMean() const { return Average(difference.sum); }
    double UnbalanceMean() const { return Average(unbalance.sum); }
    double SampleRms(int ch) const;
    // From the first point of the range to its last, 0.5 s per step.
    double DurationSeconds() const { return range.Empty() ? 0.0 : 0.5 * (range.count - 1); }

private:
    double Average(std::int64_t sum) const;
};

// Computes the statistics of the points in `range` (limited to the record) in one pass. Gives
// up and returns nothing when `cancelled` is set while it runs.
std::optional<RecordStatistics>
ComputeRecordStatistics(const RecordImage& image, PointRange range,
                        const std::atomic<bool>* cancelled = nullptr);

} // namespace zel
