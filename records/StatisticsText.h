#pragma once

#include "records/RecordStatistics.h"

#include <string>

namespace zel {

// How statistics are written for people and scripts alike, so that the viewer, its report and
// the command-line tool show the same digits for the same range.

// "%.2f" (means, RMS values); a value that rounds to zero is "0.00", never "-0.00".
std::string TwoDecimals(double value);
// "%.1f" (durations in seconds, a multiple of 0.5).
std::string OneDecimal(double value);

} // namespace zel
