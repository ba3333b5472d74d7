#pragma once

#include "records/RecordPoints.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zel::cli {

// A local time "YYYY-mm-dd HH:MM:SS", optionally with ".5" for the half second, as the index of
// the trend point taken then (counted from the record's start, which may be negative or beyond
// the record). Nothing for other text or a time the clocks skip.
std::optional<std::int64_t> PointIndexAt(const std::string& text, std::int64_t startTime);

} // namespace zel::cli
