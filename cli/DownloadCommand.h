#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// The whole record transfer as the transfer window runs it, writing "T" record files.
class DownloadCommand : public CliCommand {
public:
    const char* Name() const override { return "download"; }
    const char* Usage() const override { return "download [--dir DIR] [--json]"; }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
