#include "cli/RecordOptions.h"

namespace zel::cli {
namespace {

std::string CheckSplit(const std::string& value) {
    return value == "hour" || value == "day" ? std::string() : "takes hour or day";
}

std::string CheckPrefix(const std::string& value) {
    return value.empty() || value.find('/') != std::string::npos ? "bad prefix" : std::string();
}

std::string CheckDays(const std::string& value) {
    long long days = 0;
    // A century is more than any disk keeps; beyond it the age in seconds would not fit.
    return ParsePositive(value, days) && days <= 36500 ? std::string()
                                                       : "needs a whole number of days, 1 or more";
}

std::string CheckSize(const std::string& value) {
    unsigned long long bytes = 0;
    return ParseSize(value, bytes) ? std::string()
                                   : "needs a size such as 2G, 500M or 64K (powers of 1024)";
}

} // namespace

const std::vector<OptionSpec>& RecordOptionTable() {
    static const std::vector<OptionSpec> table = {
        {.name = "seconds", .check = CheckPositiveNumber, .group = "end"},
        {.name = "blocks", .check = CheckPositiveNumber, .group = "end"},
        {.name = "give-up", .check = CheckPositiveNumber},
        {.name = "split", .check = CheckSplit},
        {.name = "prefix", .check = CheckPrefix},
        {.name = "dir", .check = CheckNotEmpty},
        {.name = "json", .takesValue = false},
        {.name = "keep-days", .check = CheckDays},
        {.name = "min-free", .check = CheckSize},
        {.name = "config", .check = CheckNotEmpty, .place = OptionPlace::CommandLine},
        {.name = "host", .check = CheckNotEmpty, .place = OptionPlace::ConfigFile},
        {.name = "port", .check = CheckPort, .place = OptionPlace::ConfigFile},
    };
    return table;
}

} // namespace zel::cli
