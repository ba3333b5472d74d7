#include "records/InstrumentStorage.h"

#include <algorithm>

namespace zel {

void InstrumentStorage::SetSlotFrames(int slot, std::vector<TrendFrame> frames) {
    StoredSlot& target = slotData.at(static_cast<std::size_t>(slot));
    if (frames.size() > kMaxFramesPerSlot)
        frames.resize(kMaxFramesPerSlot);
    target.frameCount = static_cast<int>(frames.size());
    target.frames = std::move(frames);
}

std::uint8_t InstrumentStorage::RecordSlotsFor(int usedSlots) {
    if (usedSlots >= kStorageSlots)
        return static_cast<std::uint8_t>(0x80 | kStorageSlots);
    return static_cast<std::uint8_t>(std::max(usedSlots, 0));
}

StoredBlockBytes InstrumentStorage::InfoBlock(int slot) const {
    const StoredSlot& source = slotData.at(static_cast<std::size_t>(slot));
    StoredBlockBytes bytes = source.info;
    bytes[kInfoFrameCountOffset] = static_cast<std::uint8_t>(source.frameCount);
    return bytes;
}

StoredBlockBytes InstrumentStorage::DataBlock(int slot, int frame) const {
    const StoredSlot& source = slotData.at(static_cast<std::size_t>(slot));
    if (const auto raw = source.rawData.find(frame); raw != source.rawData.end())
        return raw->second;
    if (frame >= 1 && static_cast<std::size_t>(frame) <= source.frames.size())
        return EncodeStoredDataBlock(source.frames[static_cast<std::size_t>(frame) - 1]);
    StoredBlockBytes erased;
    erased.fill(0xFF);
    return erased;
}

std::vector<std::uint8_t> InstrumentStorage::Image() const {
    std::vector<std::uint8_t> image(kStorageImageSize, 0xFF);
    for (int s = 0; s < kStorageSlots; ++s) {
        std::uint8_t* slot = image.data() + static_cast<std::size_t>(s) * kSlotSize;
        SealStoredBlock(InfoBlock(s).data(), slot);
        for (int f = 1; f < kBlocksPerSlot; ++f)
            SealStoredBlock(DataBlock(s, f).data(),
                            slot + static_cast<std::size_t>(f) * kStoredBlockSize);
    }
    return image;
}

} // namespace zel
