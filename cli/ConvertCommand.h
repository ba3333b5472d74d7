#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// Converts instrument data files into "U" record files.
class ConvertCommand : public CliCommand {
public:
    const char* Name() const override { return "convert"; }
    const char* Usage() const override { return "convert FILE... [--dir DIR] [--json]"; }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
