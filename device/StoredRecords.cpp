#include "device/StoredRecords.h"

#include <algorithm>

namespace zel {

using namespace stored_timing;

StoredDirectory ReadRecordDirectory(DeviceLink& link, int recordSlots,
                                    const std::atomic<bool>& keepGoing,
                                    const std::function<void(int)>& onRange,
                                    const std::function<void(int)>& onSlot) {
    StoredDirectory directory;
    const int skip = recordSlots & 0x7F;
    const int n = (recordSlots & 0x80) ? 64 : skip;
    if (onRange)
        onRange(n);
    if (n <= 0)
        return directory;

    int slot = 0;
    int failures = 0;
    while (keepGoing.load()) {
        if (failures > kMaxFailures)
            return {};
        if (slot == skip) {
            ++slot;
        } else {
            RecordInfo info;
            if (link.ReadRecordInfo(slot, info)) {
                info.slot = slot;
                if (info.frameCount > 0) {
                    directory.entries.push_back(info);
                    directory.total += info.frameCount;
                }
                failures = 0;
                ++slot;
            } else {
                ++failures;
            }
        }
        if (onSlot)
            onSlot(slot);
        if (slot >= n)
            break;
    }
    return directory;
}

bool DownloadRecordFrames(DeviceLink& link, const std::vector<RecordInfo>& directory, int total,
                          const std::atomic<bool>& keepGoing,
                          const std::function<void(int, int)>& onFrame,
                          std::vector<TrendFrame>& frames) {
    frames.clear();
    frames.reserve(static_cast<std::size_t>(std::max(total, 0)));
    int done = 0;
    int failures = 0;
    for (const RecordInfo& entry : directory) {
        for (int j = 0; j < entry.frameCount && keepGoing.load();) {
            if (failures > kMaxFailures)
                return false;
            TrendFrame frame;
            if (link.ReadRecordFrame(entry.slot, j + 1, frame)) {
                frames.push_back(frame);
                if (onFrame)
                    onFrame(done, total);
                ++done;
                ++j;
                failures = 0;
            } else {
                ++failures;
            }
            link.Wait(kPauseAfterAttempt);
        }
        if (!keepGoing.load())
            break;
    }
    std::stable_sort(frames.begin(), frames.end(),
                     [](const TrendFrame& a, const TrendFrame& b) { return a.time < b.time; });
    return true;
}

} // namespace zel
