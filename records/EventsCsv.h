#pragma once

#include "records/Events.h"

#include <string>

namespace zel {

// Events as CSV, one row an event: the limit's name, the first and last point index, the start
// and end time with the tenths (as the points' CSV gives them), the duration in seconds and the
// maximum.
class EventsCsv {
public:
    static const char* Header(); // with its line end
    static void AppendRow(std::string& out, const RecordPoints& points, const LimitEvent& event);
};

} // namespace zel
