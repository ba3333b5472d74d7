#pragma once

#include "device/LiveStreamWorker.h"

#include <atomic>
#include <mutex>
#include <string>

namespace zel {

// The part of a live window's sink that records: the run's first block creates a waveform
// record file, every block is appended to it. Runs on the worker thread.
class WaveformRecorder {
public:
    WaveformRecorder(std::string prefix, std::uint16_t serial, std::uint16_t version,
                     std::string directory = {});

    // Creates the run's file; false when it could not be created.
    bool BeginRun();
    // Appends one block; false when the file could not be written.
    bool Record(const SampleBlock& block);

    std::string Path() const;
    bool Failed() const { return failed_.load(); }

private:
    std::string prefix_;
    std::uint16_t serial_;
    std::uint16_t version_;
    std::string directory_;
    mutable std::mutex mutex_;
    std::string path_;
    std::atomic<bool> failed_{false};
};

} // namespace zel
