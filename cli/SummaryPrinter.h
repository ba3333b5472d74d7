#pragma once

#include "records/RecordTypes.h"

#include <ostream>
#include <vector>

namespace zel::cli {

// One line per record file written (number, path, start time, blocks; tab-separated), or one
// JSON array of objects with number, path, startTime and blocks.
void PrintSummaries(std::ostream& out, const std::vector<RecordFileSummary>& files, bool json);

} // namespace zel::cli
