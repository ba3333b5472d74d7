#include "device/WaveformRecorder.h"

#include "records/RecordFile.h"

#include <cerrno>

namespace zel {

WaveformRecorder::WaveformRecorder(std::string prefix, std::uint16_t serial, std::uint16_t version,
                                   std::string directory)
    : prefix_(std::move(prefix)), serial_(serial), version_(version),
      directory_(std::move(directory)) {}

bool WaveformRecorder::BeginRun() {
    std::string path = CreateWaveformRecord(prefix_, serial_, version_, directory_);
    const int error = path.empty() ? errno : 0;
    std::lock_guard lock(mutex_);
    path_ = std::move(path);
    error_ = error;
    failed_.store(path_.empty());
    return !path_.empty();
}

bool WaveformRecorder::Record(const SampleBlock& block) {
    if (failed_.load())
        return false;
    const std::string path = Path();
    if (path.empty()) {
        Fail(ENOENT); // no run was begun
        return false;
    }
    if (!AppendRecordBlock(path, block)) {
        Fail(errno);
        return false;
    }
    return true;
}

void WaveformRecorder::Fail(int error) {
    std::lock_guard lock(mutex_);
    error_ = error;
    failed_.store(true);
}

std::string WaveformRecorder::Path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::string WaveformRecorder::Folder() const {
    return directory_.empty() ? RecordDirectory() : directory_;
}

int WaveformRecorder::Error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

} // namespace zel
