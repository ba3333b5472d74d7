#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// Lists the instrument data files under the given folders, or on the removable drives.
class ScanCommand : public CliCommand {
public:
    const char* Name() const override { return "scan"; }
    const char* Usage() const override { return "scan [ROOT...]"; }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
