#pragma once

#include "device/LiveStreamWorker.h"
#include "device/WorkerStopper.h"

#include <memory>

namespace zel {

// One window's live stream runs: starts a LiveStreamWorker on its own thread and stops it the
// way the live windows do (stop rule of WorkerStopper, then the stop request from the window,
// an optional drain, and the close of the link).
class LiveRun {
public:
    LiveRun(DeviceLink& link, LiveStreamParams params, LiveStreamSink& sink,
            TickSource ticks = SteadyTicks);
    ~LiveRun();

    void Start();
    // Returns true when the worker ended by itself, false when it had to be cancelled. The
    // stop request is sent when a worker had been started; the link is always closed.
    bool Stop(bool drain);
    bool Started() const { return stopper_.Started(); }
    bool Finished() const { return stopper_.Finished(); }

private:
    DeviceLink& link_;
    LiveStreamParams params_;
    LiveStreamSink& sink_;
    TickSource ticks_;
    WorkerStopper stopper_;
    std::unique_ptr<LiveStreamWorker> worker_;
};

} // namespace zel
