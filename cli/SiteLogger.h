#pragma once

#include "cli/LogLines.h"
#include "cli/ServiceNotifier.h"
#include "device/LiveStreamWorker.h"
#include "records/Events.h"
#include "records/RecordRetention.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace zel::cli {

// What a recording does besides writing its files, so that it can run unattended for weeks:
// it says what happens in lines on standard error (at the journal's levels when that is where
// they go), keeps its folder from filling (RecordRetention), tells systemd when it is ready and
// what it is doing, and pings the watchdog while it gets somewhere.
//
// The recording's worker thread reports the files, blocks and link events; the command's thread
// calls Tick on every pass of its wait. Every line is written outside any lock of the caller.
class SiteLogger {
public:
    struct Settings {
        bool journal = false;
        // The account of the run (its start, every file begun and ended) besides what is always
        // said (drops and resumes, deletions, a disk too full, failures).
        bool verbose = false;
        RecordSeries series; // its folder and device number come with Started
        RecordRetention::Rules rules;
        std::string minFreeText;                 // min-free as the user wrote it, for the messages
        const FreeSpaceSource* space = nullptr;  // null: the folder's file system
        std::function<std::int64_t()> clock;     // null: the PC's clock
        std::chrono::milliseconds stallLimit{0}; // the watchdog's: see WatchdogGate
        std::chrono::milliseconds spaceCheck{600000}; // the free space, every 10 minutes
        // The limits whose events are told as they start and end (with the account of the run).
        EventLimits limits;
    };

    SiteLogger(std::ostream& err, Settings settings);

    LogLines& Log() { return log_; }
    bool Journal() const { return log_.Journal(); }

    // Once the instrument's status is read, before the recording starts.
    void Started(std::uint16_t serial, const std::string& folder);
    // Worker thread.
    // Before a file is begun: room is made; `current` is the file being written, if any.
    void BeforeFileBegun(const std::string& current);
    void FileBegun(const std::string& path);
    // After a file was ended: its line, then the deletion by age.
    void FileEnded(const std::string& path, long long blocks, const std::string& current);
    // A block written: `count` over the run, with its two currents.
    void BlockWritten(const std::string& path, int count, std::int32_t ch1, std::int32_t ch2);
    void LinkChanged(const LinkEvent& event);
    // The recording has ended: an event still open ends with it.
    void Ended();

    // Command thread: the watchdog's ping when due, the free space when it is time.
    void Tick(const std::string& current);
    void Stopping();

private:
    using Clock = std::chrono::steady_clock;
    void OnDeletion(const RecordRetention::Deletion& deletion);
    void OnShortage(const RecordRetention::Shortage& shortage);
    // Under eventsMutex_: the lines of the events that ended since the last call.
    void TellEnds();

    Settings settings_;
    LogLines log_;
    FileSystemFreeSpace fileSystem_;
    std::unique_ptr<RecordRetention> retention_; // from Started on
    ServiceNotifier notifier_;
    WatchdogGate watchdog_;
    std::atomic<int> drops_{0};
    Clock::time_point nextSpaceCheck_;
    std::mutex shortageMutex_;
    Clock::time_point lastShortage_{};
    bool shortageSaid_ = false;
    // Events: the worker thread feeds them, the command thread ends the last one.
    std::mutex eventsMutex_;
    EventFinder events_;
    std::size_t endsTold_ = 0;
};

// "512 B", "4.7 KiB", "2.0 GiB".
std::string SizeText(std::uint64_t bytes);

} // namespace zel::cli
