#pragma once

#include "records/InstrumentFile.h"
#include "sim/SimConfig.h"
#include "sim/StorageBuilder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel::sim {

struct SimulatorOptions {
    std::uint16_t port = 8080;
    SimConfig config;
    StorageLayout storage;
    // When set, the storage is written as an instrument data file instead of being served.
    std::string writeTchPath;
    InstrumentFileHeader tchHeader;
    bool showHelp = false;
    bool showVersion = false;
};

// Parses the simulator's command line; on a bad option returns false with a message in error.
bool ParseSimulatorOptions(const std::vector<std::string>& args, SimulatorOptions& options,
                           std::string& error);

std::string SimulatorUsage();

} // namespace zel::sim
