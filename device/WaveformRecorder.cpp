#include "device/WaveformRecorder.h"

#include "records/RecordFile.h"

#include <cerrno>

namespace zel {

WaveformRecorder::WaveformRecorder(std::string prefix, std::uint16_t serial, std::uint16_t version,
                                   std::string directory)
    : prefix_(std::move(prefix)), serial_(serial), version_(version),
      directory_(std::move(directory)) {}

bool WaveformRecorder::BeginRun() {
    {
        std::lock_guard lock(mutex_);
        files_.clear();
    }
    return Begin();
}

bool WaveformRecorder::BeginStretch() {
    return !failed_.load() && Begin();
}

bool WaveformRecorder::Begin() {
    std::string path = CreateWaveformRecord(prefix_, serial_, version_, directory_);
    const int error = path.empty() ? errno : 0;
    RecordWriteMark mark = path.empty() ? RecordWriteMark() : RecordWriteMark(path);
    std::lock_guard lock(mutex_);
    path_ = std::move(path);
    mark_ = std::move(mark);
    error_ = error;
    failed_.store(path_.empty());
    if (!path_.empty())
        files_.push_back({path_, 0});
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
    std::lock_guard lock(mutex_);
    if (!files_.empty())
        ++files_.back().blocks;
    return true;
}

void WaveformRecorder::Fail(int error) {
    std::lock_guard lock(mutex_);
    mark_ = RecordWriteMark(); // nothing more is written to it
    error_ = error;
    failed_.store(true);
}

std::string WaveformRecorder::Path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::vector<WaveformRecorder::File> WaveformRecorder::Files() const {
    std::lock_guard lock(mutex_);
    return files_;
}

std::string WaveformRecorder::Folder() const {
    return directory_.empty() ? RecordDirectory() : directory_;
}

int WaveformRecorder::Error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

} // namespace zel
