#pragma once

#include "device/LiveStreamWorker.h"

#include <atomic>
#include <mutex>
#include <string>

namespace zel {

// The part of a live window's sink that records: the run's first block creates a waveform
// record file, every block is appended to it. Runs on the worker thread; the state queries may
// be made from any thread.
//
// After the first failure of a run nothing more is written in that run: a file that skipped
// the blocks it could not take would pass for a whole recording. What was written stays.
class WaveformRecorder {
public:
    WaveformRecorder(std::string prefix, std::uint16_t serial, std::uint16_t version,
                     std::string directory = {});

    // Creates the run's file; false when it could not be created.
    bool BeginRun();
    // Appends one block; false when the file could not be written or an earlier block of the
    // run already failed.
    bool Record(const SampleBlock& block);

    std::string Path() const;
    // The folder the files go to.
    std::string Folder() const;
    bool Failed() const { return failed_.load(); }
    // The system's error number of the run's failure, 0 while there is none.
    int Error() const;

private:
    void Fail(int error);

    std::string prefix_;
    std::uint16_t serial_;
    std::uint16_t version_;
    std::string directory_;
    mutable std::mutex mutex_;
    std::string path_;
    int error_ = 0;
    std::atomic<bool> failed_{false};
};

} // namespace zel
