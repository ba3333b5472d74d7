#pragma once

#include "records/SampleBlock.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

namespace zel::test {

// A harmonic of the 50 Hz fundamental: weight × sin(order × ωt + phase), the weight relative to
// the fundamental's amplitude.
struct Harmonic {
    int order = 3;
    double weight = 0;
    double phase = 0;
};

// One channel's current: amplitude × (sin(ωt + phase) + the harmonics), ω = 2π × 50 Hz.
struct MainsChannel {
    double amplitude = 0;
    double phase = 0;
    std::vector<Harmonic> harmonics;
};

// A 50 Hz current on both channels, sampled 800 times a second (400 samples per channel per
// 0.5 s block). CH1's amplitude may swell with the time in seconds since the first sample.
struct MainsSignal {
    MainsChannel ch1;
    MainsChannel ch2;
    std::function<double(double seconds)> swell1;
};

// The currents the benchmarks draw and store: CH1 with a 3rd harmonic, CH2 behind it with a 7th.
inline MainsSignal BenchMains(double amplitude1 = 160, double amplitude2 = 95,
                              double phase2 = -0.35) {
    return {{amplitude1, 0, {{3, 0.18, 0.4}}}, {amplitude2, phase2, {{7, 0.1, 0}}}, {}};
}

// Fills the samples of block `index`: the signal runs on from the first block's first sample.
inline void FillMains(const MainsSignal& signal, std::int64_t index, std::int16_t* ch1,
                      std::int16_t* ch2) {
    constexpr double kTwoPi = 2 * std::numbers::pi;
    const auto value = [](const MainsChannel& c, double w, double swell) {
        double wave = std::sin(w + c.phase);
        for (const Harmonic& h : c.harmonics)
            wave += h.weight * std::sin(h.order * w + h.phase);
        return static_cast<std::int16_t>(std::lround(c.amplitude * swell * wave));
    };
    for (int p = 0; p < kSamplesPerChannel; ++p) {
        const double t = static_cast<double>(index * kSamplesPerChannel + p) / 800.0;
        const double w = kTwoPi * 50 * t;
        ch1[p] = value(signal.ch1, w, signal.swell1 ? signal.swell1(t) : 1.0);
        ch2[p] = value(signal.ch2, w, 1.0);
    }
}

// Block `index` of the signal, as a WaveBlock or a SampleBlock (whose currents stay 0).
template <typename Block> Block MainsOf(const MainsSignal& signal, std::int64_t index) {
    Block block;
    FillMains(signal, index, block.ch1, block.ch2);
    return block;
}

} // namespace zel::test
