#include "cli/ExportCommand.h"

#include "records/PointsCsv.h"
#include "records/RecordFile.h"

#include <fstream>

namespace zel::cli {
namespace {

void WritePoints(std::ostream& out, const RecordImage& image) {
    out << PointsCsv::Header();
    const RecordPoints points(image);
    std::string rows;
    for (std::int64_t i = 0; i < points.Count(); ++i) {
        PointsCsv::AppendRow(rows, points, i);
        if (rows.size() >= 1 << 16) {
            out << rows;
            rows.clear();
        }
    }
    out << rows;
}

void WriteSamples(std::ostream& out, const RecordImage& data) {
    out << "block,sample,ch1,ch2\n";
    for (std::size_t b = 0; b < data.waveBlocks.size(); ++b) {
        for (int k = 0; k < kSamplesPerChannel; ++k)
            out << b << ',' << k << ',' << data.waveBlocks[b].ch1[k] << ','
                << data.waveBlocks[b].ch2[k] << '\n';
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
    RecordReadFailure failure;
    const auto data = ReadRecordImage(c.args[0], &failure);
    if (!data)
        return FailRecordRead(c, c.args[0], failure);
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
