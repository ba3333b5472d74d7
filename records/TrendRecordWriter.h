#pragma once

#include "records/RecordTypes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zel {

// Frames further apart than this belong to different recordings and go to different files.
constexpr std::int64_t kRecordingGapSeconds = 32;

using RecordFileDone = std::function<void(const RecordFileSummary&)>;

// Writes time-ordered frames into trend record files, starting a new file wherever two frames are
// kRecordingGapSeconds or more apart, and reports each file through onFileDone, numbered from 1.
// keepGoing is read before each frame; clearing it stops the writing. A file is created only when
// a frame goes into it. Returns false when a file could not be created or written, with errno
// telling why; the files finished so far, and the one that failed with the blocks it got, have
// been reported.
bool WriteTrendRecords(const std::string& prefix, std::uint16_t deviceNumber,
                       std::uint16_t deviceVersion, const std::vector<TrendFrame>& frames,
                       const std::atomic<bool>& keepGoing, const RecordFileDone& onFileDone,
                       const std::string& directory = {});

} // namespace zel
