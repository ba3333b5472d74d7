#pragma once

#include "cli/OptionTable.h"

#include <vector>

namespace zel::cli {

// The options of zelmarine-cli record, and so the keys of its configuration file (--config):
// an option added here is taken from the file as well, with the same check of its value. An
// option that a parser of its own reads from arguments (one shared with another command) needs
// only its name here: GivenOptions::Arguments hands it over from either place, and
// GivenOptions::Attribute names the file's line in that parser's refusal.
const std::vector<OptionSpec>& RecordOptionTable();

// The group of a configuration file that record reads.
inline constexpr const char* kRecordConfigGroup = "logger";

} // namespace zel::cli
