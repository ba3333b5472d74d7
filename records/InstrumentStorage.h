#pragma once

#include "records/RecordTypes.h"
#include "records/StoredDataBlock.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace zel {

constexpr int kStorageSlots = 64;
constexpr int kBlocksPerSlot = 256; // the information block and up to 255 data blocks
constexpr int kMaxFramesPerSlot = 255;
constexpr std::size_t kSlotSize = kBlocksPerSlot * kStoredBlockSize; // 65,536
constexpr std::size_t kStorageImageSize = kStorageSlots * kSlotSize; // 4 MiB

// One slot of the instrument's storage.
struct StoredSlot {
    // Content of the information block; only byte 32 means anything and it is replaced by
    // frameCount when the block is produced.
    StoredBlockBytes info{};
    // Number of data blocks the information block announces, 0..255. It may differ from
    // frames.size() on purpose (a slot that announces more than it holds).
    int frameCount = 0;
    // Data blocks 1..frames.size(), in storage order.
    std::vector<TrendFrame> frames;
    // Data blocks given byte for byte by frame number (1..255), such as a block with an invalid
    // date; they take precedence over frames.
    std::map<int, StoredBlockBytes> rawData;
};

// The instrument's 64-slot storage as the simulator serves it over the link and as an instrument
// data file holds it.
struct InstrumentStorage {
    std::array<StoredSlot, kStorageSlots> slotData;
    // The slot byte of the status reply and of the file header: the number of slots in use, or
    // bit 7 with the number of a slot that is not read.
    std::uint8_t recordSlots = 0;

    // Puts frames into a slot (at most 255) and sets its frameCount to match.
    void SetSlotFrames(int slot, std::vector<TrendFrame> frames);

    // recordSlots for slots 0..usedSlots-1; all 64 are marked with bit 7 and a skip number (64)
    // that names no slot, so none is left out.
    static std::uint8_t RecordSlotsFor(int usedSlots);

    // The 254 content bytes as the instrument sends them: information block (frame 0) and data
    // block `frame` (1..255) of `slot`. Data blocks beyond the slot's frames read as erased
    // storage (all 0xFF).
    StoredBlockBytes InfoBlock(int slot) const;
    StoredBlockBytes DataBlock(int slot, int frame) const;

    // The 4 MiB storage image, every block sealed with its checksum.
    std::vector<std::uint8_t> Image() const;
};

} // namespace zel
