#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace zel {

constexpr int kSamplesPerChannel = 400;
constexpr std::size_t kSampleFrameSize = 1610;

// One decoded live block. The in-memory object is exactly the 1612-byte little-endian image
// that waveform record files store, so it is copied to and from files with memcpy.
struct SampleBlock {
    std::uint32_t headWord = 0;
    std::uint32_t ch1Current = 0;
    std::uint32_t ch2Current = 0;
    std::int16_t ch1[kSamplesPerChannel] = {};
    std::int16_t ch2[kSamplesPerChannel] = {};
};

// The 1600-byte sample tail of a block: ch1 followed by ch2, as the waveform plot takes it.
struct WaveBlock {
    std::int16_t ch1[kSamplesPerChannel] = {};
    std::int16_t ch2[kSamplesPerChannel] = {};
};

static_assert(std::endian::native == std::endian::little, "record images are little-endian");
static_assert(sizeof(SampleBlock) == 1612);
static_assert(offsetof(SampleBlock, ch1) == 12);
static_assert(offsetof(SampleBlock, ch2) == 812);
static_assert(sizeof(WaveBlock) == 1600);

// Decodes one 1610-byte sample frame (lead '<' 0x81 at byte 0) in place; reads bytes 2..1607.
void DecodeSampleFrame(const std::uint8_t* frame, SampleBlock& block);

WaveBlock WaveBlockOf(const SampleBlock& block);

std::int32_t CurrentDifference(std::int32_t a, std::int32_t b);
std::int32_t UnbalanceCoefficient(std::int32_t a, std::int32_t b);

} // namespace zel
