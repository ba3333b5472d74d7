#include "sim/StreamSource.h"

#include "device/Frame.h"
#include "records/SampleBlock.h"

#include <algorithm>
#include <cmath>

namespace zel::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 400;
// 400 samples cover 0.1 s at 4 kHz: five cycles of 50 Hz.
constexpr double kSampleStep = 2.0 * kPi * 50.0 / 4000.0;

void PutWord(std::vector<std::uint8_t>& f, std::size_t at, std::uint16_t v) {
    f[at] = static_cast<std::uint8_t>(v & 0xFF);
    f[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

} // namespace

StreamSource::StreamSource(std::uint32_t seed) : random_(seed) {}

std::vector<std::uint8_t> StreamSource::NextFrame() {
    std::vector<std::uint8_t> f(kSampleFrameSize - 2, 0);
    f[0] = kReplyLead;
    f[1] = kCmdStream;
    const double t = frames_ * 0.5; // seconds since the stream started
    const double ch1Amps = 150.0 + 25.0 * std::sin(t / 40.0) + 6.0 * std::sin(t / 7.0);
    const double ch2Amps = 118.0 + 18.0 * std::sin(t / 55.0 + 1.0) + 4.0 * std::cos(t / 9.0);
    PutWord(f, 2, static_cast<std::uint16_t>(frames_ & 0xFFFF));
    PutWord(f, 4, static_cast<std::uint16_t>(std::lround(ch1Amps)));
    PutWord(f, 6, static_cast<std::uint16_t>(std::lround(ch2Amps)));

    std::normal_distribution<double> noise(0.0, 18.0);
    for (int k = 0; k < kSamples; ++k) {
        const double x = phase_ + k * kSampleStep;
        const double a1 = 1500.0 * (ch1Amps / 175.0);
        const double a2 = 1450.0 * (ch2Amps / 175.0);
        const double v1 = a1 * std::sin(x) + 0.18 * a1 * std::sin(3 * x + 0.4) +
                          0.07 * a1 * std::sin(5 * x + 1.1) + noise(random_);
        const double v2 = a2 * std::sin(x - 2.0 * kPi / 3.0) +
                          0.12 * a2 * std::sin(3 * (x - 2.0 * kPi / 3.0) + 0.9) +
                          0.05 * a2 * std::sin(7 * x) + noise(random_);
        // The instrument sends readings 16 times the sample value.
        const auto raw1 = static_cast<std::int16_t>(std::clamp(v1, -2047.0, 2047.0) * 16.0);
        const auto raw2 = static_cast<std::int16_t>(std::clamp(v2, -2047.0, 2047.0) * 16.0);
        PutWord(f, 8 + 2 * static_cast<std::size_t>(k), static_cast<std::uint16_t>(raw1));
        PutWord(f, 808 + 2 * static_cast<std::size_t>(k), static_cast<std::uint16_t>(raw2));
    }
    phase_ = std::fmod(phase_ + 0.37, 2.0 * kPi);
    ++frames_;
    AppendCrc(f);
    return f;
}

} // namespace zel::sim
