#include "viewer/RecordFollower.h"

#include "device/LiveStreamWorker.h"
#include "records/RecordRetention.h"
#include "records/RecordWriteMark.h"

#include <sys/stat.h>

#include <filesystem>

namespace zel {
namespace {

// A file that has gone this long without a new block may be complete: the folder is looked
// at for a later file of its series, at most this often.
constexpr std::chrono::seconds kSiblingCheck{1};

std::int64_t WholeBlocks(const RecordImage& record, std::int64_t size) {
    const auto blockSize =
        static_cast<std::int64_t>(record.IsTrend() ? kTrendBlockSize : kWaveformBlockSize);
    const std::int64_t body = size - static_cast<std::int64_t>(kRecordHeaderSize);
    return body > 0 ? body / blockSize : 0;
}

std::int64_t BlocksShown(const RecordImage& record) {
    return record.IsTrend() ? static_cast<std::int64_t>(record.trendBlocks.size())
                            : record.WaveBlockCount();
}

} // namespace

RecordFollower::Timing::Timing() : quietLimit(stream_timing::LongestRetryWait({})) {}

RecordFollower::RecordFollower(OnGrown onGrown, OnEnded onEnded, Timing timing)
    : onGrown_(std::move(onGrown)), onEnded_(std::move(onEnded)), timing_(timing) {
    timer_.setInterval(static_cast<int>(timing_.period.count()));
    connect(&timer_, &QTimer::timeout, this, &RecordFollower::Tick);
}

bool RecordFollower::Follow(std::shared_ptr<const RecordImage> record, const QString& path) {
    Stop();
    struct stat info {};
    path_ = QFile::encodeName(path).toStdString();
    if (!record || ::stat(path_.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // How long ago the file last changed, by the wall clock that stamped it.
    const auto modified = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(info.st_mtim.tv_sec) +
            std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
    const auto age = std::max(std::chrono::system_clock::now() - modified,
                              std::chrono::system_clock::duration::zero());
    if (age >= timing_.quietLimit || LaterFileBeside())
        return false;
    marked_ = IsRecordBeingWritten(path_);
    growing_ = marked_;
    record_ = std::move(record);
    device_ = info.st_dev;
    inode_ = info.st_ino;
    size_ = static_cast<std::int64_t>(info.st_size);
    blocks_ = BlocksShown(*record_);
    lastChange_ = Clock::now() - std::chrono::duration_cast<Clock::duration>(age);
    lastSiblingCheck_ = Clock::now();
    timer_.start();
    return growing_;
}

void RecordFollower::Stop() {
    timer_.stop();
    record_.reset();
    growing_ = false;
}

void RecordFollower::End() {
    auto record = std::move(record_);
    const bool grew = growing_;
    Stop();
    if (grew && onEnded_)
        onEnded_(std::move(record));
}

bool RecordFollower::LaterFileBeside() const {
    const std::filesystem::path self(path_);
    const auto name = ParseRecordName(self.filename().string());
    if (!name)
        return false;
    std::error_code error;
    const std::filesystem::path folder =
        self.has_parent_path() ? self.parent_path() : std::filesystem::path(".");
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const auto other = ParseRecordName(it->path().filename().string());
        if (other && other->Follows(*name))
            return true;
    }
    return false;
}

std::optional<RecordImage> RecordFollower::Reopen() const {
    auto image = OpenRecordImage(path_);
    if (!image || image->IsTrend() != record_->IsTrend())
        return std::nullopt;
    if (image->file) {
        image->currents = record_->currents
                              ? RecordCurrents::Rescan(image->file, *record_->currents)
                              : RecordCurrents::Scan(image->file);
    }
    return image;
}

void RecordFollower::Tick() {
    struct stat info {};
    // Replaced, removed or cut short: what is shown stays, but it is no longer this file.
    if (::stat(path_.c_str(), &info) != 0 || info.st_dev != device_ || info.st_ino != inode_ ||
        info.st_size < size_) {
        End();
        return;
    }
    const Clock::time_point now = Clock::now();
    if (info.st_size != size_) {
        size_ = static_cast<std::int64_t>(info.st_size);
        lastChange_ = now;
    }
    if (WholeBlocks(*record_, size_) > blocks_) {
        auto image = Reopen();
        if (image && BlocksShown(*image) > blocks_) {
            record_ = std::make_shared<const RecordImage>(std::move(*image));
            blocks_ = BlocksShown(*record_);
            growing_ = true;
            onGrown_(record_);
        }
        return;
    }
    if (now - lastChange_ >= timing_.quietLimit) {
        End();
        return;
    }
    if (marked_) {
        // The writer's mark tells for certain; without it the folder tells.
        if (!IsRecordBeingWritten(path_))
            End();
        return;
    }
    if (now - lastChange_ >= kSiblingCheck && now - lastSiblingCheck_ >= kSiblingCheck) {
        lastSiblingCheck_ = now;
        if (LaterFileBeside())
            End();
    }
}

} // namespace zel
