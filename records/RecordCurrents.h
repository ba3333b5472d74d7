#pragma once

#include "records/RecordReader.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace zel {

// The CH1 and CH2 currents of every block of a waveform record opened in place (8 bytes a
// block), gathered by a scan of the file on a thread of its own. A viewer can show the start
// of a record of days at once while the scan reads the rest; a point the scan has not reached
// yet is read from the file on its own. Safe to read from any thread.
class RecordCurrents {
public:
    // Starts the scan of the reader's blocks.
    static std::shared_ptr<const RecordCurrents> Scan(std::shared_ptr<const RecordReader> file);
    // The scan of a record that has grown since `earlier` was started on it (`file` opened
    // anew): what `earlier` has gathered so far is taken over, only the rest is read.
    static std::shared_ptr<const RecordCurrents> Rescan(std::shared_ptr<const RecordReader> file,
                                                        const RecordCurrents& earlier);
    // Stops the scan and waits for it.
    ~RecordCurrents();
    RecordCurrents(const RecordCurrents&) = delete;
    RecordCurrents& operator=(const RecordCurrents&) = delete;

    std::int64_t Count() const { return count_; }
    TrendPoint At(std::int64_t i) const {
        if (i < scanned_.load(std::memory_order_acquire))
            return points_[static_cast<std::size_t>(i)];
        return file_->ReadCurrents(i);
    }
    // Blocks behind the scan so far.
    std::int64_t Scanned() const { return scanned_.load(std::memory_order_acquire); }
    // Waits until the scan has ended.
    void WaitForScan() const;

private:
    explicit RecordCurrents(std::shared_ptr<const RecordReader> file);
    void Run(std::int64_t from);

    std::shared_ptr<const RecordReader> file_;
    std::int64_t count_ = 0;
    std::unique_ptr<TrendPoint[]> points_;
    // points_[0 … scanned_ − 1] are final; the scan writes only beyond.
    std::atomic<std::int64_t> scanned_{0};
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace zel
