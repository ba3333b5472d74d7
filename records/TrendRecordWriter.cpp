#include "records/TrendRecordWriter.h"

#include "common/LocalTime.h"
#include "records/RecordFile.h"

#include <cerrno>
#include <cstdio>

namespace zel {

namespace {

// The file being filled and what its summary will say.
struct OpenRecording {
    RecordFileSummary summary;
    bool open = false;
};

void Report(OpenRecording& current, const RecordFileDone& onFileDone) {
    if (current.open && current.summary.blocks > 0 && onFileDone)
        onFileDone(current.summary);
    current.open = false;
}

} // namespace

bool WriteTrendRecords(const std::string& prefix, std::uint16_t deviceNumber,
                       std::uint16_t deviceVersion, const std::vector<TrendFrame>& frames,
                       const std::atomic<bool>& keepGoing, const RecordFileDone& onFileDone,
                       const std::string& directory) {
    OpenRecording current;
    int fileNumber = 0;
    std::int64_t previousTime = 0;
    for (const TrendFrame& frame : frames) {
        if (!keepGoing.load())
            break;
        // Any gap below the threshold, negative ones included, stays in the same recording.
        if (current.open && frame.time - previousTime >= kRecordingGapSeconds)
            Report(current, onFileDone);
        if (!current.open) {
            const std::string path =
                CreateTrendRecord(prefix, deviceNumber, deviceVersion, frame.time, directory);
            if (path.empty())
                return false;
            current.summary = {++fileNumber, path, FormatLocalTime(frame.time, "%Y-%m-%d %H:%M:%S"),
                               0};
            current.open = true;
        }
        if (!AppendRecordBlock(current.summary.path, frame.block)) {
            const int error = errno;         // the caller tells the user why
            if (current.summary.blocks == 0) // nothing made it in: leave no empty file behind
                std::remove(current.summary.path.c_str());
            Report(current, onFileDone);
            errno = error;
            return false;
        }
        ++current.summary.blocks;
        previousTime = frame.time;
    }
    Report(current, onFileDone);
    return true;
}

} // namespace zel
