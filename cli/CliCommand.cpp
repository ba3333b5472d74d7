#include "cli/CliCommand.h"

#include <algorithm>

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

} // namespace zel::cli
