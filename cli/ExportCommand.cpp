#include "cli/ExportCommand.h"

#include "common/LocalTime.h"
#include "records/RecordFile.h"

#include <fstream>

namespace zel::cli {
namespace {

// "YYYY-MM-DD HH:MM:SS.f": points are half a second apart.
std::string PointTime(std::int64_t start, std::size_t index) {
    const std::int64_t seconds = start + static_cast<std::int64_t>(index / 2);
    return FormatLocalTime(seconds, "%Y-%m-%d %H:%M:%S") + (index % 2 ? ".5" : ".0");
}

void WritePoints(std::ostream& out, const RecordFileData& data) {
    out << "index,time,ch1_A,ch2_A,difference_A,unbalance_pct\n";
    std::vector<TrendPoint> points = data.points;
    if (data.header.kind != 0) {
        points.reserve(data.blocks.size());
        for (const auto& b : data.blocks)
            points.push_back(
                {static_cast<std::int32_t>(b.ch1Current), static_cast<std::int32_t>(b.ch2Current)});
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto& p = points[i];
        out << i << ',' << PointTime(data.header.startTime, i) << ',' << p.ch1 << ',' << p.ch2
            << ',' << CurrentDifference(p.ch1, p.ch2) << ',' << UnbalanceCoefficient(p.ch1, p.ch2)
            << '\n';
    }
}

void WriteSamples(std::ostream& out, const RecordFileData& data) {
    out << "block,sample,ch1,ch2\n";
    for (std::size_t b = 0; b < data.blocks.size(); ++b) {
        for (int k = 0; k < kSamplesPerChannel; ++k)
            out << b << ',' << k << ',' << data.blocks[b].ch1[k] << ',' << data.blocks[b].ch2[k]
                << '\n';
    }
}

} // namespace

int ExportCommand::Run(CliContext& c) {
    const bool samples = TakeFlag(c.args, "--samples");
    std::string output;
    bool haveOutput = false;
    if (!TakeValue(c.args, "-o", output, haveOutput))
        return UsageError(c, "-o needs a file");
    if (c.args.size() != 1)
        return UsageError(c, "give one record file");
    const auto data = ReadRecordFile(c.args[0]);
    if (!data)
        return Fail(c, c.args[0] + ": not a record file");
    if (samples && data->header.kind == 0)
        return Fail(c, c.args[0] + ": a trend record has no samples");

    std::ofstream file;
    if (haveOutput) {
        file.open(output, std::ios::binary | std::ios::trunc);
        if (!file)
            return Fail(c, output + ": cannot be written");
    }
    std::ostream& out = haveOutput ? static_cast<std::ostream&>(file) : c.out;
    if (samples)
        WriteSamples(out, *data);
    else
        WritePoints(out, *data);
    out.flush();
    if (!out)
        return Fail(c, (haveOutput ? output : std::string("stdout")) + ": write failed");
    return kExitOk;
}

} // namespace zel::cli
