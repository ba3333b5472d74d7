#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// The farewell command the program sends when it exits.
class StopCommand : public CliCommand {
public:
    const char* Name() const override { return "stop"; }
    const char* Usage() const override { return "stop"; }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
