#pragma once

#include <string>

namespace zel::cli {

// A JSON string literal with the escapes JSON requires; well-formed UTF-8 passes through, any
// other byte above 0x7F becomes U+FFFD.
std::string JsonString(const std::string& text);

} // namespace zel::cli
