#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zel::sim {

// Splits the bytes the program sends into whole request frames. Bytes that cannot start a
// known request, and frames whose checksum does not match, are dropped one byte at a time so
// the parser finds the next request.
class RequestParser {
public:
    void Feed(const std::uint8_t* data, std::size_t size);
    std::optional<std::vector<std::uint8_t>> Next();

    static std::size_t RequestLength(std::uint8_t code);

private:
    std::vector<std::uint8_t> pending_;
};

} // namespace zel::sim
