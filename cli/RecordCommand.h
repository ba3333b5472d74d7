#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// Records the live stream into waveform record files, as the live recording window does: a
// lost link is reconnected, and every stretch between drops goes to a file of its own. Without
// an end it runs until SIGTERM or SIGINT, as the unattended site logger (a systemd service with
// its options in a configuration file): its folder is kept from filling, and it says what it
// does, to the journal when that is its standard error.
class RecordCommand : public CliCommand {
public:
    const char* Name() const override { return "record"; }
    const char* Usage() const override {
        return "record [--seconds S | --blocks N] [--give-up S] [--split hour|day] [--prefix R] "
               "[--dir DIR] [--json] [--keep-days N] [--min-free SIZE] [--config FILE]";
    }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
