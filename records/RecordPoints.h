#pragma once

#include "records/RecordFile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zel {

// Consecutive trend points by index: first … first + count − 1.
struct PointRange {
    std::int64_t first = 0;
    std::int64_t count = 0;

    bool Empty() const { return count <= 0; }
    std::int64_t Last() const { return first + count - 1; }
    bool operator==(const PointRange&) const = default;

    // The points first … last (in either order) that exist among 0 … total − 1.
    static PointRange Of(std::int64_t first, std::int64_t last, std::int64_t total);
};

// The trend points of a loaded record, read in place: a trend record's 16-bit values, or the
// CH1 and CH2 currents of a waveform record's blocks widened as the plots widen them. Point i
// was taken i × 0.5 s after the record's start, the spacing both plots lay the points out by.
class RecordPoints {
public:
    explicit RecordPoints(const RecordImage& image) : image_(image) {}

    std::int64_t Count() const;
    TrendPoint At(std::int64_t i) const;
    PointRange All() const { return {0, Count()}; }

    // Whole seconds of point i's time (the half second dropped), seconds since 1970 UTC.
    std::int64_t Seconds(std::int64_t i) const;
    bool HalfSecond(std::int64_t i) const { return i % 2 != 0; }

    // The points taken from `from` to `to`, both included; a missing end leaves that side open.
    PointRange Between(std::optional<std::int64_t> from, std::optional<std::int64_t> to) const;

    // Point i's local time as "%Y-%m-%d %H:%M:%S", the half second dropped.
    std::string TimeText(std::int64_t i) const;
    // The same with the tenths: "….0" or "….5".
    std::string PreciseTimeText(std::int64_t i) const;

    const RecordImage& Image() const { return image_; }

private:
    const RecordImage& image_;
};

} // namespace zel
