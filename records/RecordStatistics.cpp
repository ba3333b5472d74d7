#include "records/RecordStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace zel {

namespace {

// How often the loops look at the cancel flag: a few milliseconds of work at most.
constexpr std::int64_t kPointsPerCheck = 1 << 14;
constexpr std::int64_t kBlocksPerCheck = 256;
// Blocks read from a file at a time, about half a mebibyte: it stays in the cache while used.
constexpr std::int64_t kBlocksPerRead = 320;

std::uint64_t Square(std::int32_t v) {
    const auto m = static_cast<std::uint64_t>(v < 0 ? -static_cast<std::int64_t>(v) : v);
    return m * m;
}

// Adds the points one at a time; extremes keep the first point that reaches them.
class PointAccumulator {
public:
    explicit PointAccumulator(RecordStatistics& s) : s_(s) {
        for (ChannelStatistics& c : s_.channel) {
            c.min = std::numeric_limits<std::int32_t>::max();
            c.max = std::numeric_limits<std::int32_t>::min();
        }
        s_.difference.min = std::numeric_limits<std::int32_t>::max();
        s_.difference.max = std::numeric_limits<std::int32_t>::min();
    }

    void Add(std::int64_t i, std::int32_t a, std::int32_t b) {
        AddChannel(s_.channel[0], i, a);
        AddChannel(s_.channel[1], i, b);
        const std::int32_t d = CurrentDifference(a, b);
        s_.difference.min = std::min(s_.difference.min, d);
        s_.difference.max = std::max(s_.difference.max, d);
        s_.difference.sum += d;
        const std::int32_t u = UnbalanceCoefficient(a, b);
        s_.unbalance.max = std::max(s_.unbalance.max, u);
        s_.unbalance.sum += u;
    }

private:
    static void AddChannel(ChannelStatistics& c, std::int64_t i, std::int32_t v) {
        if (v < c.min) {
            c.min = v;
            c.minIndex = i;
        }
        if (v > c.max) {
            c.max = v;
            c.maxIndex = i;
        }
        c.sum += v;
        c.sumOfSquares.Add(Square(v));
    }

    RecordStatistics& s_;
};

// One block's samples of one channel: 400 squares of at most 2^30 fit 64 bits.
void AddSamples(SampleStatistics& s, const std::int16_t* samples) {
    std::int32_t low = s.min, high = s.max;
    std::uint64_t squares = 0;
    for (int k = 0; k < kSamplesPerChannel; ++k) {
        const std::int32_t v = samples[k];
        low = std::min(low, v);
        high = std::max(high, v);
        squares += static_cast<std::uint32_t>(v * v);
    }
    s.min = static_cast<std::int16_t>(low);
    s.max = static_cast<std::int16_t>(high);
    s.count += kSamplesPerChannel;
    s.sumOfSquares.Add(squares);
}

bool Cancelled(const std::atomic<bool>* cancelled) {
    return cancelled && cancelled->load(std::memory_order_relaxed);
}

bool AddTrendPoints(const RecordImage& image, PointRange range, PointAccumulator& points,
                    const std::atomic<bool>* cancelled) {
    // Block by block, so the inner loop reads both value arrays straight through.
    std::int64_t i = range.first;
    const std::int64_t end = range.first + range.count;
    std::int64_t nextCheck = i + kPointsPerCheck;
    while (i < end) {
        const TrendBlock& block =
            image.trendBlocks[static_cast<std::size_t>(i / kTrendPointsPerBlock)];
        const std::int64_t blockStart = i - i % kTrendPointsPerBlock;
        const std::int64_t blockEnd = std::min(end, blockStart + kTrendPointsPerBlock);
        for (; i < blockEnd; ++i) {
            const auto k = static_cast<int>(i - blockStart);
            points.Add(i, block.ch1[k], block.ch2[k]);
        }
        if (i >= nextCheck) {
            if (Cancelled(cancelled))
                return false;
            nextCheck = i + kPointsPerCheck;
        }
    }
    return true;
}

void StartSamples(RecordStatistics& s) {
    for (SampleStatistics& samples : s.samples) {
        samples.min = std::numeric_limits<std::int16_t>::max();
        samples.max = std::numeric_limits<std::int16_t>::min();
    }
}

// Blocks first … first + count − 1 of the record, lying at `blocks`.
bool AddWaveformBlocks(const SampleBlock* blocks, std::int64_t first, std::int64_t count,
                       PointAccumulator& points, RecordStatistics& s,
                       const std::atomic<bool>* cancelled) {
    for (std::int64_t k = 0; k < count; ++k) {
        const SampleBlock& block = blocks[k];
        // Widened as the plots and the export widen them.
        points.Add(first + k, static_cast<std::int32_t>(block.ch1Current),
                   static_cast<std::int32_t>(block.ch2Current));
        AddSamples(s.samples[0], block.ch1);
        AddSamples(s.samples[1], block.ch2);
        if (k % kBlocksPerCheck == kBlocksPerCheck - 1 && Cancelled(cancelled))
            return false;
    }
    return true;
}

// A record opened in place, read a chunk at a time. A file cut short since it was opened
// gives no statistics rather than ones of part of the range.
bool AddWaveformFile(const RecordReader& file, PointRange range, PointAccumulator& points,
                     RecordStatistics& s, const std::atomic<bool>* cancelled) {
    std::vector<SampleBlock> buffer(static_cast<std::size_t>(kBlocksPerRead));
    for (std::int64_t i = range.first; i < range.first + range.count;) {
        const std::int64_t want = std::min(kBlocksPerRead, range.first + range.count - i);
        if (file.ReadBlocks(i, want, buffer.data()) != want ||
            !AddWaveformBlocks(buffer.data(), i, want, points, s, cancelled))
            return false;
        i += want;
    }
    return true;
}

// Both halves of a long range opened in place are read at once, one on a thread of its own:
// reading the file is most of the work, and a week of recording is two gigabytes.
constexpr std::int64_t kBlocksPerHalf = 4096;

// Statistics of the waveform blocks in `range` read from the file, the samples' extremes
// started; false when cancelled or the file ends early.
bool WaveformFileStatistics(const RecordReader& file, PointRange range, RecordStatistics& s,
                            const std::atomic<bool>* cancelled) {
    PointAccumulator accumulator(s);
    StartSamples(s);
    return AddWaveformFile(file, range, accumulator, s, cancelled);
}

void AddWide(WideSum& sum, const WideSum& more) {
    sum.Add(more.low);
    sum.high += more.high;
}

// Adds the statistics of the points that follow `s`'s; extremes keep the first point that has
// them, so a tie goes to the earlier part.
void Merge(RecordStatistics& s, const RecordStatistics& later) {
    for (int ch = 0; ch < 2; ++ch) {
        ChannelStatistics& c = s.channel[ch];
        const ChannelStatistics& l = later.channel[ch];
        if (l.min < c.min) {
            c.min = l.min;
            c.minIndex = l.minIndex;
        }
        if (l.max > c.max) {
            c.max = l.max;
            c.maxIndex = l.maxIndex;
        }
        c.sum += l.sum;
        AddWide(c.sumOfSquares, l.sumOfSquares);
        SampleStatistics& a = s.samples[ch];
        const SampleStatistics& b = later.samples[ch];
        a.min = std::min(a.min, b.min);
        a.max = std::max(a.max, b.max);
        a.count += b.count;
        AddWide(a.sumOfSquares, b.sumOfSquares);
    }
    s.difference.min = std::min(s.difference.min, later.difference.min);
    s.difference.max = std::max(s.difference.max, later.difference.max);
    s.difference.sum += later.difference.sum;
    s.unbalance.max = std::max(s.unbalance.max, later.unbalance.max);
    s.unbalance.sum += later.unbalance.sum;
}

bool InHalves(const RecordReader& file, PointRange range, RecordStatistics& s,
              const std::atomic<bool>* cancelled) {
    const std::int64_t half = range.count / 2;
    RecordStatistics later;
    bool laterDone = false;
    std::thread second([&] {
        laterDone = WaveformFileStatistics(file, {range.first + half, range.count - half}, later,
                                           cancelled);
    });
    const bool done = WaveformFileStatistics(file, {range.first, half}, s, cancelled);
    second.join();
    if (!done || !laterDone)
        return false;
    Merge(s, later);
    return true;
}

} // namespace

long double WideSum::Value() const {
    return static_cast<long double>(high) * 18446744073709551616.0L + static_cast<long double>(low);
}

double RecordStatistics::Average(std::int64_t sum) const {
    if (range.Empty())
        return 0.0;
    return static_cast<double>(static_cast<long double>(sum) / range.count);
}

double RecordStatistics::Rms(int ch) const {
    if (range.Empty())
        return 0.0;
    return static_cast<double>(std::sqrt(channel[ch].sumOfSquares.Value() / range.count));
}

double RecordStatistics::SampleRms(int ch) const {
    if (samples[ch].count == 0)
        return 0.0;
    return static_cast<double>(std::sqrt(samples[ch].sumOfSquares.Value() / samples[ch].count));
}

std::optional<RecordStatistics> ComputeRecordStatistics(const RecordImage& image, PointRange range,
                                                        const std::atomic<bool>* cancelled) {
    const RecordPoints points(image);
    RecordStatistics s;
    s.hasSamples = !image.IsTrend();
    s.range =
        range.Empty() ? PointRange{} : PointRange::Of(range.first, range.Last(), points.Count());
    if (s.range.Empty())
        return s;

    PointAccumulator accumulator(s);
    bool done = false;
    if (image.IsTrend()) {
        done = AddTrendPoints(image, s.range, accumulator, cancelled);
    } else {
        StartSamples(s);
        if (image.file && s.range.count >= 2 * kBlocksPerHalf)
            done = InHalves(*image.file, s.range, s, cancelled);
        else if (image.file)
            done = AddWaveformFile(*image.file, s.range, accumulator, s, cancelled);
        else
            done = AddWaveformBlocks(image.waveBlocks.data() + s.range.first, s.range.first,
                                     s.range.count, accumulator, s, cancelled);
    }
    if (!done)
        return std::nullopt;
    return s;
}

} // namespace zel
