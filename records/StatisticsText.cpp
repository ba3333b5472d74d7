#include "records/StatisticsText.h"

#include <cstdio>

namespace zel {

namespace {

std::string Fixed(double value, const char* format, const char* negativeZero) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    std::string result = text;
    // A small negative mean would otherwise print as "-0.00".
    if (result == negativeZero)
        result.erase(0, 1);
    return result;
}

} // namespace

std::string TwoDecimals(double value) {
    return Fixed(value, "%.2f", "-0.00");
}

std::string OneDecimal(double value) {
    return Fixed(value, "%.1f", "-0.0");
}

} // namespace zel
