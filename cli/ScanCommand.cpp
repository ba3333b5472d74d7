#include "cli/ScanCommand.h"

#include "platform/RemovableDrives.h"
#include "records/InstrumentFileScan.h"

namespace zel::cli {

int ScanCommand::Run(CliContext& c) {
    for (const auto& arg : c.args) {
        if (arg.rfind("--", 0) == 0)
            return UsageError(c, "unknown option " + arg);
    }
    const auto entries =
        c.args.empty() ? ScanInstrumentFiles(RemovableDriveRoots()) : ScanInstrumentFiles(c.args);
    for (const auto& e : entries)
        c.out << e.path << '\t' << e.transferTime << '\t' << e.deviceNumber << '\n';
    return kExitOk;
}

} // namespace zel::cli
