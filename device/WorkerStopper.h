#pragma once

#include "device/DeviceLink.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace zel {

// A thread that uses the device link and is stopped the way every such worker is: its owner
// clears `running`, waits at most 200 ms, and otherwise cancels it by aborting the link from
// the owner's thread (a blocked connect or receive returns at once), then joins. A cancelled
// worker is fenced off: the body is told through `cancelled` and must touch nothing more.
class WorkerStopper {
public:
    explicit WorkerStopper(DeviceLink& link) : link_(link) {}
    ~WorkerStopper();
    WorkerStopper(const WorkerStopper&) = delete;
    WorkerStopper& operator=(const WorkerStopper&) = delete;

    // Starts body on a new thread with running set. onCancel is called (on the owner's thread)
    // when the worker has to be cancelled, before the link is aborted.
    void Start(std::function<void()> body, std::function<void()> onCancel = {});

    // Returns true when the worker ended by itself within `wait`, false when it was cancelled.
    // Afterwards the link is usable again by the owner (it is not closed here).
    bool Stop(std::chrono::milliseconds wait = std::chrono::milliseconds(200));

    bool Started() const { return thread_.joinable(); }
    bool Finished() const { return finished_.load(); }
    const std::atomic<bool>& Running() const { return running_; }

private:
    DeviceLink& link_;
    std::atomic<bool> running_{false};
    std::atomic<bool> finished_{false};
    std::function<void()> onCancel_;
    std::mutex mutex_;
    std::condition_variable ended_;
    std::thread thread_;
};

} // namespace zel
