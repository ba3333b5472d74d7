#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace zel::sim {

// Generates the instrument's live sample frames: 50 Hz waveforms with some harmonics and noise
// on both channels, and slowly drifting channel currents that differ enough for a visible
// unbalance.
class StreamSource {
public:
    explicit StreamSource(std::uint32_t seed = 1);

    // The next 1610-byte frame, lead '<' 0x81 and checksum included.
    std::vector<std::uint8_t> NextFrame();
    std::uint32_t FramesMade() const { return frames_; }

private:
    std::uint32_t frames_ = 0;
    double phase_ = 0.0;
    std::mt19937 random_;
};

} // namespace zel::sim
