#include "common/LocalTime.h"
#include "device/RecordTransfer.h"
#include "device/StoredRecords.h"
#include "sim/Simulator.h"
#include "sim/StorageBuilder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

namespace {

// Downloads a full storage (64 slots x 255 frames) from the simulator on loopback and writes the
// "T" files, as the transfer window does. Takes minutes: run it on its own with
// --benchmark_filter=FullStorage. Reports the share of the time spent in the 10 ms pauses that
// follow every request.
void BM_TransferFullStorage(benchmark::State& state) {
    std::int64_t start = 0;
    zel::FromLocalDateTime({2019, 1, 1, 0, 0, 0}, start);
    zel::sim::Simulator simulator;
    simulator.SetStorage(zel::sim::BuildStorage({64, 255, start, 31, 86400}));
    simulator.Start();
    const auto dir = std::filesystem::temp_directory_path() / "zel-bench-transfer";
    for (auto _ : state) {
        std::filesystem::remove_all(dir);
        zel::DeviceLink link;
        link.SetEndpoint("127.0.0.1", simulator.Port());
        zel::DeviceStatus status;
        std::atomic<bool> going{true};
        int files = 0;
        zel::TransferEvents events;
        events.fileDone = [&files](const zel::RecordFileSummary&) { ++files; };
        const auto t0 = std::chrono::steady_clock::now();
        const auto outcome =
            zel::RunRecordTransfer(link, status, going, going, events, dir.string());
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        link.Close();
        state.SetIterationTime(seconds);
        if (outcome != zel::TransferOutcome::Completed || files != 64)
            state.SkipWithError("transfer failed");
        const double pauses = 64.0 * 255.0 * 0.010;
        state.counters["seconds"] = seconds;
        state.counters["pause_share"] = pauses / seconds;
    }
    std::filesystem::remove_all(dir);
    simulator.Stop();
}
BENCHMARK(BM_TransferFullStorage)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
