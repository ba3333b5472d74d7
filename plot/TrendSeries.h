#pragma once

#include "records/RecordCurrents.h"
#include "records/RecordTypes.h"

#include <memory>
#include <vector>

namespace zel {

// Read-only trend points as the trend plot reads them. The points are either TrendPoints or
// the 16-bit values of a trend record's blocks, read in place and shared with the record, so a
// full instrument download is held once at the size it has in the file. Copies are cheap and
// view the same points.
class TrendSeries {
public:
    TrendSeries() = default;
    // The points of a trend record's blocks, 62 per block, kept alive by the series.
    explicit TrendSeries(std::shared_ptr<const std::vector<TrendBlock>> blocks);
    // The currents of a waveform record opened in place, one point per block.
    explicit TrendSeries(std::shared_ptr<const RecordCurrents> currents);
    // Points kept alive by someone else, who renews the view whenever the list changes.
    static TrendSeries View(const std::vector<TrendPoint>& points);

    int Size() const { return count; }
    bool Empty() const { return count == 0; }
    bool Shared() const { return owner != nullptr || currents != nullptr; }

    TrendPoint At(int i) const {
        if (points)
            return points[i];
        if (currents)
            return currents->At(i);
        const TrendBlock& block = blocks[i / kTrendPointsPerBlock];
        const int k = i % kTrendPointsPerBlock;
        return {block.ch1[k], block.ch2[k]};
    }

    std::vector<TrendPoint> Copy() const;

private:
    std::shared_ptr<const void> owner;
    std::shared_ptr<const RecordCurrents> currents;
    const TrendPoint* points = nullptr;
    const TrendBlock* blocks = nullptr;
    int count = 0;
};

} // namespace zel
