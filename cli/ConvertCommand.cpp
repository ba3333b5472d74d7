#include "cli/ConvertCommand.h"

#include "cli/SummaryPrinter.h"
#include "records/InstrumentFile.h"

#include <cstring>

namespace zel::cli {
namespace {

// What went wrong, or nothing when the file was converted.
std::string Problem(const ConvertResult& result) {
    const std::string reason = result.systemError ? std::strerror(result.systemError) : "";
    switch (result.status) {
    case ConvertStatus::Converted:
        return {};
    case ConvertStatus::CannotOpen:
        return "cannot be read: " + reason;
    case ConvertStatus::NotRegularFile:
        return "not a regular file";
    case ConvertStatus::TooShort:
        return "is too short for an instrument data file";
    case ConvertStatus::WriteFailed:
        return "could not be written into record files: " + reason;
    case ConvertStatus::NotInstrumentFile:
        return "not an instrument data file (its header checksum does not match)";
    }
    return "failed";
}

} // namespace

int ConvertCommand::Run(CliContext& c) {
    const bool json = TakeFlag(c.args, "--json");
    std::string directory;
    bool haveDirectory = false;
    if (!TakeValue(c.args, "--dir", directory, haveDirectory))
        return UsageError(c, "--dir needs a folder");
    if (c.args.empty())
        return UsageError(c, "no file given");
    std::vector<RecordFileSummary> files;
    int failed = 0;
    for (const auto& path : c.args) {
        // Numbers run on across files, so every row of the output names one file.
        const int offset = static_cast<int>(files.size());
        // Only files the search would list: any other file of 4 MiB or more, /dev/zero's
        // like, reads as a storage holding nothing and would "convert" without a word.
        ConvertResult result = CheckInstrumentFile(path);
        if (result.status == ConvertStatus::Converted) {
            result = ConvertInstrumentFile(
                path,
                [&files, offset](const RecordFileSummary& s) {
                    files.push_back(s);
                    files.back().number += offset;
                },
                directory);
        }
        if (const std::string problem = Problem(result); !problem.empty()) {
            c.err << path << ": " << problem << "\n";
            ++failed;
        }
    }
    PrintSummaries(c.out, files, json);
    return failed ? kExitFailure : kExitOk;
}

} // namespace zel::cli
