#include "plot/TrendSeries.h"

#include <algorithm>
#include <climits>

namespace zel {

TrendSeries::TrendSeries(std::shared_ptr<const std::vector<TrendBlock>> trendBlocks) {
    if (!trendBlocks || trendBlocks->empty())
        return;
    blocks = trendBlocks->data();
    count = static_cast<int>(
        std::min<std::size_t>(trendBlocks->size(), INT_MAX / kTrendPointsPerBlock) *
        kTrendPointsPerBlock);
    owner = std::move(trendBlocks);
}

TrendSeries::TrendSeries(std::shared_ptr<const RecordCurrents> scan) {
    if (!scan || scan->Count() <= 0)
        return;
    count = static_cast<int>(std::min<std::int64_t>(scan->Count(), INT_MAX));
    currents = std::move(scan);
}

TrendSeries TrendSeries::View(const std::vector<TrendPoint>& list) {
    TrendSeries series;
    if (list.empty())
        return series;
    series.points = list.data();
    series.count = static_cast<int>(std::min<std::size_t>(list.size(), INT_MAX));
    return series;
}

std::vector<TrendPoint> TrendSeries::Copy() const {
    std::vector<TrendPoint> list(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        list[i] = At(i);
    return list;
}

} // namespace zel
