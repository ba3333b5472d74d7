#include "plot/WaveSeries.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace zel {

WaveSeries::WaveSeries(std::shared_ptr<const std::vector<SampleBlock>> blocks) {
    if (!blocks || blocks->empty())
        return;
    base = reinterpret_cast<const std::byte*>(blocks->front().ch1);
    stride = sizeof(SampleBlock);
    count = static_cast<int>(std::min<std::size_t>(blocks->size(), INT_MAX));
    owner = std::move(blocks);
}

namespace {

// Blocks read at a time: four widest views, so that scrolling a wide view reads the file
// again only every few pages.
constexpr int kWindowBlocks = 4096;

} // namespace

WaveSeries::WaveSeries(std::shared_ptr<const RecordReader> reader) {
    if (!reader || reader->IsTrend() || reader->Blocks() <= 0)
        return;
    count = static_cast<int>(std::min<std::int64_t>(reader->Blocks(), INT_MAX));
    stride = sizeof(SampleBlock);
    file = std::move(reader);
    window = std::make_shared<Window>();
}

void WaveSeries::Load(int i) const {
    // A quarter of the window behind the block asked for, for scrolling back.
    const int first = std::clamp(i - kWindowBlocks / 4, 0, std::max(0, count - kWindowBlocks));
    const int n = std::min(kWindowBlocks, count - first);
    window->blocks.resize(static_cast<std::size_t>(n));
    const std::int64_t got =
        std::max<std::int64_t>(file->ReadBlocks(first, n, window->blocks.data()), 0);
    std::fill(window->blocks.begin() + got, window->blocks.end(), SampleBlock{});
    window->first = first;
    window->count = n;
}

WaveSeries WaveSeries::Grown(std::shared_ptr<const RecordReader> longer) const {
    WaveSeries series(std::move(longer));
    if (window && series.window)
        series.window = window;
    return series;
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
