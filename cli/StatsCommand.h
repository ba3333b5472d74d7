#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// Statistics of a record file, whole or between two local times: per channel the extremes with
// their times, mean and RMS; the current difference and unbalance; for a waveform record also
// the samples' extremes and RMS. Text lines "name<TAB>value", or one JSON object.
class StatsCommand : public CliCommand {
public:
    const char* Name() const override { return "stats"; }
    const char* Usage() const override {
        return "stats FILE [--from \"YYYY-mm-dd HH:MM:SS\"] [--to \"YYYY-mm-dd HH:MM:SS\"] "
               "[--json]";
    }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
