#include "device/WaveformRecorder.h"

#include "records/RecordFile.h"

namespace zel {

WaveformRecorder::WaveformRecorder(std::string prefix, std::uint16_t serial, std::uint16_t version,
                                   std::string directory)
    : prefix_(std::move(prefix)), serial_(serial), version_(version),
      directory_(std::move(directory)) {}

bool WaveformRecorder::BeginRun() {
    std::string path = CreateWaveformRecord(prefix_, serial_, version_, directory_);
    const bool ok = !path.empty();
    failed_.store(!ok);
    std::lock_guard lock(mutex_);
    path_ = std::move(path);
    return ok;
}

bool WaveformRecorder::Record(const SampleBlock& block) {
    const std::string path = Path();
    if (path.empty() || !AppendRecordBlock(path, block)) {
        failed_.store(true);
        return false;
    }
    return true;
}

std::string WaveformRecorder::Path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

} // namespace zel
