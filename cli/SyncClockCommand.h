#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

class SyncClockCommand : public CliCommand {
public:
    const char* Name() const override { return "sync-clock"; }
    const char* Usage() const override { return "sync-clock [--json]"; }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
