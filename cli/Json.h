#pragma once

#include <string>

namespace zel::cli {

// A JSON string literal with the escapes JSON requires; UTF-8 passes through.
std::string JsonString(const std::string& text);

} // namespace zel::cli
