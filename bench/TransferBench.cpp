#include "common/LocalTime.h"
#include "device/Frame.h"
#include "device/RecordTransfer.h"
#include "device/StoredRecords.h"
#include "device/WorkerStopper.h"
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

// How long the transfer window's stop takes while the worker waits for a reply that is seconds
// away: the 200 ms the worker is given to end by itself, then aborting the link ends the wait.
void BM_TransferStopWhileTheInstrumentIsSilent(benchmark::State& state) {
    std::int64_t start = 0;
    zel::FromLocalDateTime({2026, 1, 1, 0, 0, 0}, start);
    for (auto _ : state) {
        zel::sim::SimConfig config;
        config.replyDelayMs = 3000;
        zel::sim::Simulator simulator(config);
        simulator.SetStorage(zel::sim::BuildStorage({1, 10, start}));
        simulator.Start();
        zel::DeviceLink link;
        link.SetEndpoint("127.0.0.1", simulator.Port());
        std::atomic<bool> transferring{true};
        zel::WorkerStopper worker(link);
        worker.Start([&] {
            zel::DeviceStatus status;
            zel::RunRecordTransfer(link, status, transferring, transferring, {}, {});
        });
        // The status reply takes its 3 s; the directory request is the one the stop meets.
        simulator.WaitForRequestCount(1, zel::kCmdRecord, 0);
        const auto t0 = std::chrono::steady_clock::now();
        transferring = false;
        const bool endedByItself = worker.Stop();
        link.Close();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (endedByItself)
            state.SkipWithError("the worker was not waiting for a reply");
        simulator.Stop();
    }
}
BENCHMARK(BM_TransferStopWhileTheInstrumentIsSilent)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace
