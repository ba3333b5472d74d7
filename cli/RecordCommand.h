#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// Records the live stream into waveform record files, as the live recording window does: a
// lost link is reconnected, and every stretch between drops goes to a file of its own.
class RecordCommand : public CliCommand {
public:
    const char* Name() const override { return "record"; }
    const char* Usage() const override {
        return "record (--seconds S | --blocks N) [--give-up S] [--split hour|day] [--prefix R] "
               "[--dir DIR] [--json]";
    }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
