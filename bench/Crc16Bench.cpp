#include "common/Crc16.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_Crc16SampleFrame(benchmark::State& state) {
    std::vector<std::uint8_t> frame(1610);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(i * 31 + 7);
    for (auto _ : state)
        benchmark::DoNotOptimize(zel::Crc16(frame.data(), static_cast<int>(frame.size())));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(frame.size()));
}
BENCHMARK(BM_Crc16SampleFrame);

} // namespace
