#include "device/WorkerStopper.h"

namespace zel {

WorkerStopper::~WorkerStopper() {
    Stop();
}

void WorkerStopper::Start(std::function<void()> body, std::function<void()> onCancel) {
    Stop();
    running_.store(true);
    finished_.store(false);
    onCancel_ = std::move(onCancel);
    thread_ = std::thread([this, body = std::move(body)] {
        body();
        {
            std::lock_guard lock(mutex_);
            finished_.store(true);
        }
        ended_.notify_all();
    });
}

bool WorkerStopper::Stop(std::chrono::milliseconds wait) {
    if (!thread_.joinable())
        return true;
    running_.store(false);
    bool ended = false;
    {
        std::unique_lock lock(mutex_);
        ended = ended_.wait_for(lock, wait, [this] { return finished_.load(); });
    }
    if (!ended) {
        if (onCancel_)
            onCancel_();
        link_.Abort();
    }
    thread_.join();
    link_.Rearm();
    return ended;
}

} // namespace zel
