#include "records/RecordCurrents.h"

#include <algorithm>
#include <vector>

namespace zel {

namespace {

// About half a mebibyte of blocks per read: few system calls, and the buffer stays in cache.
constexpr std::int64_t kBlocksPerRead = 320;

} // namespace

std::shared_ptr<const RecordCurrents>
RecordCurrents::Scan(std::shared_ptr<const RecordReader> file) {
    std::shared_ptr<RecordCurrents> currents(new RecordCurrents(std::move(file)));
    currents->thread_ = std::thread([raw = currents.get()] { raw->Run(0); });
    return currents;
}

std::shared_ptr<const RecordCurrents>
RecordCurrents::Rescan(std::shared_ptr<const RecordReader> file, const RecordCurrents& earlier) {
    std::shared_ptr<RecordCurrents> currents(new RecordCurrents(std::move(file)));
    const std::int64_t kept = std::min(earlier.Scanned(), currents->count_);
    std::copy_n(earlier.points_.get(), kept, currents->points_.get());
    currents->scanned_.store(kept, std::memory_order_release);
    currents->thread_ = std::thread([raw = currents.get(), kept] { raw->Run(kept); });
    return currents;
}

RecordCurrents::RecordCurrents(std::shared_ptr<const RecordReader> file)
    : file_(std::move(file)), count_(file_->Blocks()),
      points_(new TrendPoint[static_cast<std::size_t>(count_)]) {}

RecordCurrents::~RecordCurrents() {
    stop_.store(true);
    if (thread_.joinable())
        thread_.join();
}

void RecordCurrents::WaitForScan() const {
    std::unique_lock guard(mutex_);
    done_.wait(guard, [this] { return finished_; });
}

void RecordCurrents::Run(std::int64_t from) {
    std::vector<SampleBlock> buffer(static_cast<std::size_t>(kBlocksPerRead));
    std::int64_t i = from;
    while (i < count_ && !stop_.load(std::memory_order_relaxed)) {
        const std::int64_t want = std::min(kBlocksPerRead, count_ - i);
        const std::int64_t got = file_->ReadBlocks(i, want, buffer.data());
        // A file cut short since it was opened ends the scan; the rest reads as zero.
        const std::int64_t n = std::max<std::int64_t>(got, 0);
        for (std::int64_t k = 0; k < n; ++k)
            points_[static_cast<std::size_t>(i + k)] = {
                static_cast<std::int32_t>(buffer[static_cast<std::size_t>(k)].ch1Current),
                static_cast<std::int32_t>(buffer[static_cast<std::size_t>(k)].ch2Current)};
        if (n < want) {
            std::fill(points_.get() + i + n, points_.get() + count_, TrendPoint{});
            i = count_;
        } else {
            i += n;
        }
        scanned_.store(i, std::memory_order_release);
    }
    std::lock_guard guard(mutex_);
    finished_ = true;
    done_.notify_all();
}

} // namespace zel
