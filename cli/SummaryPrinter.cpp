#include "cli/SummaryPrinter.h"

#include "cli/Json.h"

namespace zel::cli {

void PrintSummaries(std::ostream& out, const std::vector<RecordFileSummary>& files, bool json) {
    if (!json) {
        for (const auto& f : files)
            out << f.number << '\t' << f.path << '\t' << f.startTime << '\t' << f.blocks << '\n';
        return;
    }
    out << '[';
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto& f = files[i];
        out << (i ? ", " : "") << "{\"number\": " << f.number
            << ", \"path\": " << JsonString(f.path)
            << ", \"startTime\": " << JsonString(f.startTime) << ", \"blocks\": " << f.blocks
            << '}';
    }
    out << "]\n";
}

} // namespace zel::cli
