#pragma once

#include "cli/OptionTable.h"

#include <vector>

namespace zel::cli {

// The options of zelmarine-cli record, and so the keys of its configuration file (--config):
// an option added here is taken from the file as well, with the same check of its value.
const std::vector<OptionSpec>& RecordOptionTable();

// The group of a configuration file that record reads.
inline constexpr const char* kRecordConfigGroup = "logger";

} // namespace zel::cli
