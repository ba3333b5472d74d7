#pragma once

#include "records/SampleBlock.h"

#include <cstddef>
#include <cstdint>

namespace zel {

// Reassembles live sample frames from the byte stream. The buffer has a fixed size: at most
// 1609 bytes are ever left over, plus one read of up to 1610 bytes.
class FrameAssembler {
public:
    static constexpr std::size_t kReadSize = kSampleFrameSize;
    static constexpr std::size_t kCapacity = 2 * kSampleFrameSize - 1;

    // Appends one read of at most kReadSize bytes.
    void Append(const std::uint8_t* data, std::size_t size);

    // Takes the next good frame out of the buffer and decodes it. Bytes before a lead pair
    // '<' 0x81 are discarded; a frame with a wrong checksum loses only its first byte, so a
    // good frame starting inside it is still found. False when no whole good frame is left.
    bool NextBlock(SampleBlock& block);

    std::size_t Length() const { return length_; }
    const std::uint8_t* Data() const { return buffer_; }
    void Clear() { length_ = 0; }

private:
    void Discard(std::size_t count);
    void Resynchronise();

    std::uint8_t buffer_[kCapacity];
    std::size_t length_ = 0;
};

} // namespace zel
