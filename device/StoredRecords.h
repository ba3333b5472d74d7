#pragma once

#include "device/DeviceLink.h"
#include "records/RecordTypes.h"

#include <atomic>
#include <functional>
#include <vector>

namespace zel {

// One used slot of the instrument's storage.
struct RecordInfo {
    std::int32_t slot = 0;
    std::int32_t frameCount = 0;
};

struct StoredDirectory {
    std::vector<RecordInfo> entries; // in slot order
    int total = 0;                   // data frames in all entries; 0 means failure or no data
};

namespace stored_timing {
using namespace std::chrono_literals;
constexpr auto kPauseAfterAttempt = 10ms;
constexpr int kMaxFailures = 20; // the 21st consecutive failure gives up
} // namespace stored_timing

// Walks the slots that recordSlots names and asks each for its information block. Failed
// requests are repeated; 21 failures in a row (counted across slots) give total 0.
// onRange(n) is called once with the number of slots to visit, onSlot(position) after each
// attempt. keepGoing is read before each request.
StoredDirectory ReadRecordDirectory(DeviceLink& link, int recordSlots,
                                    const std::atomic<bool>& keepGoing,
                                    const std::function<void(int)>& onRange,
                                    const std::function<void(int)>& onSlot);

// Downloads every data frame the directory lists, repeating failed requests and pausing 10 ms
// after every attempt; 21 failures in a row give false. onFrame(done, total) follows each frame
// received, done counting the frames before it. The frames come back sorted by time (stable,
// so frames with equal times keep download order). A cleared keepGoing ends the download early
// with true and the frames received so far.
bool DownloadRecordFrames(DeviceLink& link, const std::vector<RecordInfo>& directory, int total,
                          const std::atomic<bool>& keepGoing,
                          const std::function<void(int, int)>& onFrame,
                          std::vector<TrendFrame>& frames);

} // namespace zel
