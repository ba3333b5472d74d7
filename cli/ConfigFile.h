#pragma once

#include "cli/OptionTable.h"

#include <string>
#include <vector>

namespace zel::cli {

// A command's options from an INI file with one group, such as the site logger's
//
//   # comment
//   [logger]
//   host = 192.168.1.1
//   dir = /var/lib/zelmarine
//   keep-days = 30
//   json = yes
//
// Every key is the long option of the command's option table without the dashes; a flag takes
// yes/no, true/false, on/off or 1/0. A value runs to the end of its line, blanks around it
// dropped: it is never quoted and never carries a comment. Lines that begin with '#' or ';'
// are comments. Anything else is refused with the file, its line and the reason: a key that
// is no option of the table, one given twice, a refused value, a line outside the group.
struct ConfigEntry {
    std::string key;
    std::string value;
    int line = 0;
};

// Reads the lines of the group; false with `error` ("FILE:LINE: reason", or "FILE: reason")
// for a file that cannot be read or breaks the form above.
bool ReadConfigGroup(const std::string& path, const std::string& group,
                     std::vector<ConfigEntry>& entries, std::string& error);
// The same from text already read.
bool ParseConfigGroup(const std::string& text, const std::string& path, const std::string& group,
                      std::vector<ConfigEntry>& entries, std::string& error);

// Adds the file's options to those of the command line, which win: an option, or one of its
// group, given on the command line hides the file's. Each value is checked as on the command
// line; false with `error` naming the file, the line, the key and the reason.
bool ApplyConfigEntries(const std::vector<OptionSpec>& table,
                        const std::vector<ConfigEntry>& entries, const std::string& path,
                        GivenOptions& given, std::string& error);

} // namespace zel::cli
