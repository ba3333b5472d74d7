#include "common/Version.h"
#include "sim/Simulator.h"
#include "sim/SimulatorOptions.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) {
    g_stop = 1;
}
} // namespace

int main(int argc, char** argv) {
    zel::sim::SimulatorOptions options;
    std::string error;
    if (!zel::sim::ParseSimulatorOptions({argv + 1, argv + argc}, options, error)) {
        std::fprintf(stderr, "zelmarine-sim: %s\n%s", error.c_str(),
                     zel::sim::SimulatorUsage().c_str());
        return 2;
    }
    if (options.showHelp) {
        std::printf("zelmarine-sim: the instrument simulator on 127.0.0.1.\n%s",
                    zel::sim::SimulatorUsage().c_str());
        return 0;
    }
    if (options.showVersion) {
        std::printf("zelmarine-sim %s\n", zel::kProgramVersion);
        return 0;
    }
    const zel::InstrumentStorage storage = zel::sim::BuildStorage(options.storage);
    if (!options.writeTchPath.empty()) {
        if (!zel::WriteInstrumentFile(options.writeTchPath, storage, options.tchHeader)) {
            std::fprintf(stderr, "zelmarine-sim: cannot write %s\n", options.writeTchPath.c_str());
            return 1;
        }
        std::printf("%s\n", options.writeTchPath.c_str());
        return 0;
    }
    zel::sim::Simulator simulator(options.config);
    if (options.storage.slotCount > 0 || options.storage.ring >= 0)
        simulator.SetStorage(storage);
    if (!simulator.Start(options.port)) {
        std::fprintf(stderr, "zelmarine-sim: cannot listen on 127.0.0.1:%u\n",
                     unsigned(options.port));
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("zelmarine-sim listening on 127.0.0.1:%u\n", unsigned(simulator.Port()));
    std::fflush(stdout);
    while (!g_stop)
        ::pause();
    simulator.Stop();
    return 0;
}
