#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

class StatusCommand : public CliCommand {
public:
    const char* Name() const override { return "status"; }
    const char* Usage() const override { return "status [--json]"; }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
