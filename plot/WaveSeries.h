#pragma once

#include "records/RecordReader.h"
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
    // The blocks of a waveform record opened in place, read from the file as they come into
    // view. A pointer returned by Ch1 or Ch2 stays valid until a block outside the blocks read
    // last is asked for. Blocks the file no longer holds (it was cut short) read as silence.
    explicit WaveSeries(std::shared_ptr<const RecordReader> file);
    // Blocks kept alive by someone else, who renews the view whenever the list changes.
    static WaveSeries View(const std::vector<WaveBlock>& blocks);
    // The series of a record opened in place, on `longer`: the same file opened again after it
    // grew. The blocks read last stay, since blocks once written never change.
    WaveSeries Grown(std::shared_ptr<const RecordReader> longer) const;

    int Size() const { return count; }
    bool Empty() const { return count == 0; }
    // Whether the series keeps its blocks alive itself.
    bool Shared() const { return owner != nullptr || file != nullptr; }

    const std::int16_t* Ch1(int i) const { return reinterpret_cast<const std::int16_t*>(At(i)); }
    const std::int16_t* Ch2(int i) const {
        return reinterpret_cast<const std::int16_t*>(At(i) + kCh2Offset);
    }

    // The blocks as plain WaveBlocks, for a plot that goes on appending to a shared record.
    std::vector<WaveBlock> Copy() const;

private:
    static constexpr std::size_t kCh2Offset = sizeof(std::int16_t) * kSamplesPerChannel;
    static_assert(offsetof(SampleBlock, ch2) - offsetof(SampleBlock, ch1) == kCh2Offset);
    static_assert(offsetof(WaveBlock, ch2) - offsetof(WaveBlock, ch1) == kCh2Offset);

    // The blocks read last from a file; shared by the copies of a series.
    struct Window {
        std::vector<SampleBlock> blocks;
        int first = 0;
        int count = 0;
    };

    const std::byte* At(int i) const {
        if (!window)
            return base + static_cast<std::size_t>(i) * stride;
        if (i < window->first || i >= window->first + window->count)
            Load(i);
        return reinterpret_cast<const std::byte*>(
            window->blocks[static_cast<std::size_t>(i - window->first)].ch1);
    }
    void Load(int i) const;

    std::shared_ptr<const void> owner;
    std::shared_ptr<const RecordReader> file;
    std::shared_ptr<Window> window;
    const std::byte* base = nullptr; // CH1 of block 0, in memory
    std::size_t stride = 0;
    int count = 0;
};

} // namespace zel
