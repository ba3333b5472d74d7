#include "device/FrameAssembler.h"
#include "sim/StreamSource.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

// A live stream of 2,000 frames with 1 % corrupted frames and some junk between frames, fed in
// reads of the worker's size.
std::vector<std::uint8_t> NoisyStream() {
    zel::sim::StreamSource source(5);
    std::mt19937 random(9);
    std::vector<std::uint8_t> stream;
    for (int i = 0; i < 2000; ++i) {
        auto frame = source.NextFrame();
        if (random() % 100 == 0)
            frame[10 + random() % 1500] ^= 0x20;
        if (random() % 20 == 0) {
            for (int j = 0; j < 17; ++j)
                stream.push_back(static_cast<std::uint8_t>(j % 3 == 0 ? 0x3C : random()));
        }
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

void BM_FrameAssemblerNoisyStream(benchmark::State& state) {
    const auto stream = NoisyStream();
    std::size_t blocks = 0;
    for (auto _ : state) {
        zel::FrameAssembler assembler;
        zel::SampleBlock block;
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t n = std::min(zel::FrameAssembler::kReadSize, stream.size() - at);
            assembler.Append(stream.data() + at, n);
            at += n;
            while (assembler.NextBlock(block))
                ++blocks;
        }
        benchmark::DoNotOptimize(blocks);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_FrameAssemblerNoisyStream)->Unit(benchmark::kMillisecond);

} // namespace
