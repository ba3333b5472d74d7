#pragma once

#include "cli/CliCommand.h"

#include <chrono>

namespace zel::cli {

// Records the live stream into a waveform record file, as the live recording window does.
class RecordCommand : public CliCommand {
public:
    const char* Name() const override { return "record"; }
    const char* Usage() const override {
        return "record (--seconds S | --blocks N) [--prefix R] [--dir DIR]";
    }
    int Run(CliContext& context) override;

    // How long the instrument may send nothing before a recording ends as failed.
    static const std::chrono::milliseconds kSilenceLimit;
};

} // namespace zel::cli
