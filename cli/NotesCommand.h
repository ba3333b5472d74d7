#pragma once

#include "cli/CliCommand.h"

namespace zel::cli {

// Lists, adds and deletes the notes kept beside a record file (NAME.zmr.notes).
class NotesCommand : public CliCommand {
public:
    const char* Name() const override { return "notes"; }
    const char* Usage() const override {
        return "notes FILE [--json] | notes FILE --add TIME TEXT | notes FILE --delete INDEX";
    }
    int Run(CliContext& context) override;
};

} // namespace zel::cli
