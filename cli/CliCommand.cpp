#include "cli/CliCommand.h"

#include <algorithm>
#include <cstring>

namespace zel::cli {

bool CliCommand::TakeFlag(std::vector<std::string>& args, const std::string& flag) {
    const auto it = std::find(args.begin(), args.end(), flag);
    if (it == args.end())
        return false;
    args.erase(it);
    return true;
}

bool CliCommand::TakeValue(std::vector<std::string>& args, const std::string& name,
                           std::string& value, bool& present) {
    present = false;
    const auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end())
        return true;
    if (it + 1 == args.end())
        return false;
    value = *(it + 1);
    present = true;
    args.erase(it, it + 2);
    return true;
}

int CliCommand::UsageError(CliContext& context, const std::string& message) const {
    context.err << "zelmarine-cli " << Name() << ": " << message << "\nusage: zelmarine-cli "
                << Usage() << "\n";
    return kExitUsage;
}

int CliCommand::Fail(CliContext& context, const std::string& message) const {
    context.err << message << "\n";
    return kExitFailure;
}

int CliCommand::FailRecordRead(CliContext& context, const std::string& path,
                               const RecordReadFailure& failure) const {
    using Reason = RecordReadFailure::Reason;
    switch (failure.reason) {
    case Reason::NotRecordFile:
        return Fail(context, path + ": not a record file");
    case Reason::NotRegularFile:
        return Fail(context, path + ": not a regular file");
    case Reason::CannotOpen:
    case Reason::ReadError:
    case Reason::None:
        break;
    }
    return Fail(context, path + ": cannot be read: " + std::strerror(failure.systemError));
}

} // namespace zel::cli
