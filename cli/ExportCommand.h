#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// Writes a record file's trend points (or, with --samples, a waveform record's samples) as CSV.
class ExportCommand : public CliCommand {
public:
    const char* Name() const override { return "export"; }
    const char* Usage() const override { return "export FILE [-o OUT] [--samples]"; }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
