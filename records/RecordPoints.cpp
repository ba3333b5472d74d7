#include "records/RecordPoints.h"

#include "common/LocalTime.h"

#include <algorithm>
#include <limits>

namespace zel {

namespace {

using Limits = std::numeric_limits<std::int64_t>;

// a + b and a − b held at the ends of the 64-bit range: a header's start time is whatever the
// file says, and a range end is whatever the user typed.
std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
    if (b > 0 && a > Limits::max() - b)
        return Limits::max();
    if (b < 0 && a < Limits::min() - b)
        return Limits::min();
    return a + b;
}

std::int64_t SaturatingSub(std::int64_t a, std::int64_t b) {
    if (b < 0 && a > Limits::max() + b)
        return Limits::max();
    if (b > 0 && a < Limits::min() + b)
        return Limits::min();
    return a - b;
}

} // namespace

PointRange PointRange::Of(std::int64_t first, std::int64_t last, std::int64_t total) {
    if (first > last)
        std::swap(first, last);
    first = std::max<std::int64_t>(first, 0);
    last = std::min(last, total - 1);
    if (first > last)
        return {};
    return {first, last - first + 1};
}

std::int64_t RecordPoints::Count() const {
    if (image_.IsTrend())
        return static_cast<std::int64_t>(image_.trendBlocks.size()) * kTrendPointsPerBlock;
    return image_.WaveBlockCount();
}

TrendPoint RecordPoints::At(std::int64_t i) const {
    if (image_.IsTrend()) {
        const TrendBlock& block =
            image_.trendBlocks[static_cast<std::size_t>(i / kTrendPointsPerBlock)];
        const auto k = static_cast<int>(i % kTrendPointsPerBlock);
        return {block.ch1[k], block.ch2[k]};
    }
    if (image_.currents)
        return image_.currents->At(i);
    if (image_.file)
        return image_.file->ReadCurrents(i);
    const SampleBlock& block = image_.waveBlocks[static_cast<std::size_t>(i)];
    return {static_cast<std::int32_t>(block.ch1Current),
            static_cast<std::int32_t>(block.ch2Current)};
}

std::int64_t RecordPoints::Seconds(std::int64_t i) const {
    return SaturatingAdd(image_.header.startTime, i / 2);
}

PointRange RecordPoints::Between(std::optional<std::int64_t> from,
                                 std::optional<std::int64_t> to) const {
    const std::int64_t n = Count();
    const std::int64_t start = image_.header.startTime;
    // Point i lies at start + i / 2 seconds: from ≤ that ⇔ i ≥ 2 (from − start), and
    // that ≤ to ⇔ i ≤ 2 (to − start). Offsets are limited to the record before doubling.
    std::int64_t first = 0, last = n - 1;
    if (from)
        first = 2 * std::clamp<std::int64_t>(SaturatingSub(*from, start), 0, n);
    if (to)
        last = 2 * std::clamp<std::int64_t>(SaturatingSub(*to, start), -1, n);
    if (n == 0 || first > last)
        return {};
    return PointRange::Of(first, last, n);
}

std::string RecordPoints::TimeText(std::int64_t i) const {
    return FormatLocalTime(Seconds(i), "%Y-%m-%d %H:%M:%S");
}

std::string RecordPoints::PreciseTimeText(std::int64_t i) const {
    return TimeText(i) + (HalfSecond(i) ? ".5" : ".0");
}

} // namespace zel
