#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

class ClearCommand : public CliCommand {
public:
    const char* Name() const override { return "clear"; }
    const char* Usage() const override { return "clear"; }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
