#pragma once

#include <optional>
#include <ostream>

namespace zel {

// Answers --help and --version before anything of Qt starts, so both work without a display.
// Returns the exit status when one of them was asked for, nothing otherwise.
std::optional<int> AnswerInfoOptions(int argc, char** argv, std::ostream& out);

} // namespace zel
