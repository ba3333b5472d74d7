#pragma once

#include "records/RecordPoints.h"

#include <string>

namespace zel {

// Trend points as CSV, one row per point: its index in the record, its local time with the
// tenths, both currents, their CurrentDifference and UnbalanceCoefficient. The command-line
// export and the viewer's export write the same columns.
class PointsCsv {
public:
    static const char* Header(); // with its line end
    static void AppendRow(std::string& out, const RecordPoints& points, std::int64_t i);
    // The same for point i's values read already.
    static void AppendRow(std::string& out, const RecordPoints& points, std::int64_t i,
                          TrendPoint p);
};

} // namespace zel
