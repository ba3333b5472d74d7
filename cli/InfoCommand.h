#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// Describes a record file: kind, device, version, start time, data count.
class InfoCommand : public CliCommand {
public:
    const char* Name() const override { return "info"; }
    const char* Usage() const override { return "info FILE [--json]"; }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
