#include "records/PointsCsv.h"

namespace zel {

const char* PointsCsv::Header() {
    return "index,time,ch1_A,ch2_A,difference_A,unbalance_pct\n";
}

void PointsCsv::AppendRow(std::string& out, const RecordPoints& points, std::int64_t i) {
    AppendRow(out, points, i, points.At(i));
}

void PointsCsv::AppendRow(std::string& out, const RecordPoints& points, std::int64_t i,
                          TrendPoint p) {
    out += std::to_string(i);
    out += ',';
    out += points.PreciseTimeText(i);
    out += ',';
    out += std::to_string(p.ch1);
    out += ',';
    out += std::to_string(p.ch2);
    out += ',';
    out += std::to_string(CurrentDifference(p.ch1, p.ch2));
    out += ',';
    out += std::to_string(UnbalanceCoefficient(p.ch1, p.ch2));
    out += '\n';
}

} // namespace zel
