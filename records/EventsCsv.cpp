#include "records/EventsCsv.h"

#include "records/StatisticsText.h"

namespace zel {

const char* EventsCsv::Header() {
    return "limit,first,last,start,end,duration_s,max\n";
}

void EventsCsv::AppendRow(std::string& out, const RecordPoints& points, const LimitEvent& e) {
    out += LimitName(e.limit);
    out += ',';
    out += std::to_string(e.first);
    out += ',';
    out += std::to_string(e.last);
    out += ',';
    out += points.PreciseTimeText(e.first);
    out += ',';
    out += points.PreciseTimeText(e.last);
    out += ',';
    out += OneDecimal(e.DurationSeconds());
    out += ',';
    out += std::to_string(e.max);
    out += '\n';
}

} // namespace zel
