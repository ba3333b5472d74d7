#include "device/FrameAssembler.h"

#include "common/Crc16.h"
#include "device/Frame.h"

#include <cstring>

namespace zel {

void FrameAssembler::Append(const std::uint8_t* data, std::size_t size) {
    if (size > kCapacity) {
        data += size - kCapacity;
        size = kCapacity;
    }
    // Only a caller that stopped extracting half-way can overflow; keep the newest bytes.
    if (length_ + size > kCapacity)
        Discard(length_ + size - kCapacity);
    std::memcpy(buffer_ + length_, data, size);
    length_ += size;
}

void FrameAssembler::Discard(std::size_t count) {
    if (count >= length_) {
        length_ = 0;
        return;
    }
    std::memmove(buffer_, buffer_ + count, length_ - count);
    length_ -= count;
}

void FrameAssembler::Resynchronise() {
    if (buffer_[0] == kReplyLead && buffer_[1] == kCmdStream)
        return;
    std::size_t i = 0;
    for (; i + 1 < length_; ++i) {
        if (buffer_[i] == kReplyLead && buffer_[i + 1] == kCmdStream)
            break;
    }
    // With no lead pair, the last byte stays: it may be the '<' of a pair still arriving.
    Discard(i + 1 < length_ ? i : length_ - 1);
}

bool FrameAssembler::NextBlock(SampleBlock& block) {
    while (length_ >= kSampleFrameSize) {
        Resynchronise();
        if (length_ < kSampleFrameSize)
            return false;
        const std::uint16_t crc = Crc16(buffer_, static_cast<int>(kSampleFrameSize - 2));
        if (buffer_[kSampleFrameSize - 2] == (crc & 0xFF) &&
            buffer_[kSampleFrameSize - 1] == (crc >> 8)) {
            DecodeSampleFrame(buffer_, block);
            Discard(kSampleFrameSize);
            return true;
        }
        Discard(1);
    }
    return false;
}

} // namespace zel
