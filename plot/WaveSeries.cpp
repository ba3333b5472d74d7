#include "plot/WaveSeries.h"

#include <algorithm>
#include <climits>

namespace zel {

WaveSeries::WaveSeries(std::shared_ptr<const std::vector<SampleBlock>> blocks) {
    if (!blocks || blocks->empty())
        return;
    base = reinterpret_cast<const std::byte*>(blocks->front().ch1);
    stride = sizeof(SampleBlock);
    count = static_cast<int>(std::min<std::size_t>(blocks->size(), INT_MAX));
    owner = std::move(blocks);
}

WaveSeries WaveSeries::View(const std::vector<WaveBlock>& blocks) {
    WaveSeries series;
    if (blocks.empty())
        return series;
    series.base = reinterpret_cast<const std::byte*>(blocks.front().ch1);
    series.stride = sizeof(WaveBlock);
    series.count = static_cast<int>(std::min<std::size_t>(blocks.size(), INT_MAX));
    return series;
}

std::vector<WaveBlock> WaveSeries::Copy() const {
    std::vector<WaveBlock> blocks(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::copy_n(Ch1(i), kSamplesPerChannel, blocks[i].ch1);
        std::copy_n(Ch2(i), kSamplesPerChannel, blocks[i].ch2);
    }
    return blocks;
}

} // namespace zel
