#pragma once

#include "device/LiveStreamWorker.h"
#include "records/RecordWriteMark.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace zel {

// The part of a live window's sink that records: the run's first block creates a waveform
// record file, every block is appended to it. Runs on the worker thread; the state queries may
// be made from any thread.
//
// A run that loses its link goes on in a new file after the gap: a waveform record has no time
// per block, so blocks after a gap must not join the file before it. The run's files are kept
// in order with their block counts.
//
// After the first failure of a run nothing more is written in that run: a file that skipped
// the blocks it could not take would pass for a whole recording. What was written stays.
//
// The file being written carries the writer's mark (RecordWriteMark) until the next file is
// begun or the recorder ends, so that a viewer can follow it while it grows.
class WaveformRecorder {
public:
    WaveformRecorder(std::string prefix, std::uint16_t serial, std::uint16_t version,
                     std::string directory = {});

    struct File {
        std::string path;
        long long blocks = 0;
    };

    // Creates the run's file; false when it could not be created.
    bool BeginRun();
    // Starts the run's next file, for the blocks after a gap; false when it could not be created
    // or the run has already failed.
    bool BeginStretch();
    // Appends one block; false when the file could not be written or an earlier block of the
    // run already failed.
    bool Record(const SampleBlock& block);

    // The file being written.
    std::string Path() const;
    // Every file of the run so far, in the order they were begun.
    std::vector<File> Files() const;
    // The folder the files go to.
    std::string Folder() const;
    bool Failed() const { return failed_.load(); }
    // The system's error number of the run's failure, 0 while there is none.
    int Error() const;

private:
    void Fail(int error);
    bool Begin();

    std::string prefix_;
    std::uint16_t serial_;
    std::uint16_t version_;
    std::string directory_;
    mutable std::mutex mutex_;
    std::string path_;
    RecordWriteMark mark_;
    std::vector<File> files_;
    int error_ = 0;
    std::atomic<bool> failed_{false};
};

} // namespace zel
