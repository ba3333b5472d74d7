#pragma once

#include "records/SampleBlock.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zel {

// Read-only waveform blocks as the waveform plot reads them: the CH1 and CH2 samples of block
// i. The samples may lie inside larger blocks (the SampleBlocks of a record), and the series
// may share them with whoever loaded them, so a record of many hours is held once in memory
// however many views show it. Copies are cheap and view the same samples.
class WaveSeries {
public:
    WaveSeries() = default;
    // The sample tails of a record's blocks, kept alive by the series.
    explicit WaveSeries(std::shared_ptr<const std::vector<SampleBlock>> blocks);
    // Blocks kept alive by someone else, who renews the view whenever the list changes.
    static WaveSeries View(const std::vector<WaveBlock>& blocks);

    int Size() const { return count; }
    bool Empty() const { return count == 0; }
    // Whether the series keeps its blocks alive itself.
    bool Shared() const { return owner != nullptr; }

    const std::int16_t* Ch1(int i) const {
        return reinterpret_cast<const std::int16_t*>(base + static_cast<std::size_t>(i) * stride);
    }
    const std::int16_t* Ch2(int i) const {
        return reinterpret_cast<const std::int16_t*>(base + static_cast<std::size_t>(i) * stride +
                                                     kCh2Offset);
    }

    // The blocks as plain WaveBlocks, for a plot that goes on appending to a shared record.
    std::vector<WaveBlock> Copy() const;

private:
    static constexpr std::size_t kCh2Offset = sizeof(std::int16_t) * kSamplesPerChannel;
    static_assert(offsetof(SampleBlock, ch2) - offsetof(SampleBlock, ch1) == kCh2Offset);
    static_assert(offsetof(WaveBlock, ch2) - offsetof(WaveBlock, ch1) == kCh2Offset);

    std::shared_ptr<const void> owner;
    const std::byte* base = nullptr; // CH1 of block 0
    std::size_t stride = 0;
    int count = 0;
};

} // namespace zel
