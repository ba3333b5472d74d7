#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zel::cli {

// zelmarine-cli [--host ADDR] [--port N] COMMAND [ARGS]; returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace zel::cli
