#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// The events of a record file: runs of points over the limits given, or over those kept in
// config.ini when none is given. One event a line (limit, first and last index, start, end,
// duration, maximum, tab-separated), or one JSON object {"events": [...]}, in time order.
class EventsCommand : public CliCommand {
public:
    const char* Name() const override { return "events"; }
    const char* Usage() const override {
        return "events FILE [--ch1-above A] [--ch2-above A] [--difference-above A] "
               "[--unbalance-above P] [--min-points N] [--from TIME] [--to TIME] [--json]";
    }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
