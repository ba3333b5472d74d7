#include "records/SampleBlock.h"

#include <cstdlib>
#include <cstring>

namespace zel {
namespace {

std::uint32_t Word(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
}

// Raw readings are divided by 16, truncating toward zero: -1 gives 0 and -17 gives -1.
std::int16_t Sample(const std::uint8_t* p) {
    const auto raw = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
    return static_cast<std::int16_t>(raw / 16);
}

} // namespace

void DecodeSampleFrame(const std::uint8_t* frame, SampleBlock& block) {
    block.headWord = Word(frame + 2);
    block.ch1Current = Word(frame + 4);
    block.ch2Current = Word(frame + 6);
    for (int k = 0; k < kSamplesPerChannel; ++k) {
        block.ch1[k] = Sample(frame + 8 + 2 * k);
        block.ch2[k] = Sample(frame + 808 + 2 * k);
    }
}

WaveBlock WaveBlockOf(const SampleBlock& block) {
    WaveBlock wave;
    std::memcpy(wave.ch1, block.ch1, sizeof wave.ch1);
    std::memcpy(wave.ch2, block.ch2, sizeof wave.ch2);
    return wave;
}

std::int32_t CurrentDifference(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(a) - b);
}

std::int32_t UnbalanceCoefficient(std::int32_t a, std::int32_t b) {
    if (a == 0 && b == 0)
        return 0;
    // Quotient first, then times 100, both in double: (157, 43) gives 56, not 57.
    const std::int64_t d = std::llabs(static_cast<std::int64_t>(a) - b);
    const std::int64_t s =
        std::llabs(static_cast<std::int64_t>(a)) + std::llabs(static_cast<std::int64_t>(b));
    const double q = static_cast<double>(d) / static_cast<double>(s);
    const double p = q * 100.0;
    return static_cast<std::int32_t>(p);
}

} // namespace zel
