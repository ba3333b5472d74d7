#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// Saves the blocks of a record taken between two local times as a new record, with the notes
// that lie among them.
class CutCommand : public CliCommand {
public:
    const char* Name() const override { return "cut"; }
    const char* Usage() const override { return "cut FILE --from TIME --to TIME [-o OUT]"; }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
