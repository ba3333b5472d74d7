#include "cli/ExportCommand.h"

#include "records/PointsCsv.h"
#include "records/RecordFile.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace zel::cli {
namespace {

// Blocks of a waveform record read at a time: the export holds no more of the file than this.
constexpr std::int64_t kBlocksPerRead = 320;

// Hands the blocks of a waveform record opened in place to `each` in order; false when the
// file can no longer be read to its end (cut short while it is exported).
template <typename Each> bool ForEachBlock(const RecordReader& file, Each each) {
    std::vector<SampleBlock> buffer(static_cast<std::size_t>(kBlocksPerRead));
    for (std::int64_t first = 0; first < file.Blocks(); first += kBlocksPerRead) {
        const std::int64_t want = std::min(kBlocksPerRead, file.Blocks() - first);
        if (file.ReadBlocks(first, want, buffer.data()) != want)
            return false;
        for (std::int64_t k = 0; k < want; ++k)
            each(first + k, buffer[static_cast<std::size_t>(k)]);
    }
    return true;
}

void Flush(std::ostream& out, std::string& rows) {
    if (rows.size() >= 1 << 16) {
        out << rows;
        rows.clear();
    }
}

bool WritePoints(std::ostream& out, const RecordImage& image) {
    out << PointsCsv::Header();
    const RecordPoints points(image);
    std::string rows;
    bool whole = true;
    if (image.file) {
        whole = ForEachBlock(*image.file, [&](std::int64_t i, const SampleBlock& block) {
            PointsCsv::AppendRow(rows, points, i,
                                 {static_cast<std::int32_t>(block.ch1Current),
                                  static_cast<std::int32_t>(block.ch2Current)});
            Flush(out, rows);
        });
    } else {
        for (std::int64_t i = 0; i < points.Count(); ++i) {
            PointsCsv::AppendRow(rows, points, i);
            Flush(out, rows);
        }
    }
    out << rows;
    return whole;
}

bool WriteSamples(std::ostream& out, const RecordImage& data) {
    out << "block,sample,ch1,ch2\n";
    std::string rows;
    const auto write = [&](std::int64_t b, const SampleBlock& block) {
        const std::string index = std::to_string(b) + ',';
        for (int k = 0; k < kSamplesPerChannel; ++k) {
            rows += index;
            rows += std::to_string(k);
            rows += ',';
            rows += std::to_string(block.ch1[k]);
            rows += ',';
            rows += std::to_string(block.ch2[k]);
            rows += '\n';
        }
        Flush(out, rows);
    };
    bool whole = true;
    if (data.file)
        whole = ForEachBlock(*data.file, write);
    else
        for (std::size_t b = 0; b < data.waveBlocks.size(); ++b)
            write(static_cast<std::int64_t>(b), data.waveBlocks[b]);
    out << rows;
    return whole;
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
    // A waveform record is read a chunk at a time while it is written out.
    const auto data = OpenRecordImage(c.args[0], &failure);
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
    const bool whole = samples ? WriteSamples(out, *data) : WritePoints(out, *data);
    out.flush();
    if (!whole)
        return Fail(c, c.args[0] + ": the file was cut short while it was read");
    if (!out)
        return Fail(c, (haveOutput ? output : std::string("stdout")) + ": write failed");
    return kExitOk;
}

} // namespace zel::cli
