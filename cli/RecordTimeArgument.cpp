#include "cli/RecordTimeArgument.h"

#include "common/LocalTime.h"

namespace zel::cli {

std::optional<std::int64_t> PointIndexAt(const std::string& text, std::int64_t startTime) {
    std::string whole = text;
    int half = 0;
    if (whole.size() > 2 && whole.compare(whole.size() - 2, 2, ".5") == 0) {
        whole.resize(whole.size() - 2);
        half = 1;
    } else if (whole.size() > 2 && whole.compare(whole.size() - 2, 2, ".0") == 0) {
        whole.resize(whole.size() - 2);
    }
    std::int64_t t = 0;
    if (!ParseLocalTime(whole, false, t))
        return std::nullopt;
    // Far outside any record; keeps the doubling inside 64 bits.
    constexpr std::int64_t kLimit = std::int64_t{1} << 60;
    const std::int64_t offset = t - startTime;
    if (offset > kLimit || offset < -kLimit)
        return std::nullopt;
    return 2 * offset + half;
}

} // namespace zel::cli
