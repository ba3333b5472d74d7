#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace zel {

// Runs the viewer's longer work (statistics over hours of data, writing a report or a CSV
// file, reading a record to compare) on a thread of its own, one job at a time, so the window
// keeps answering. The work gets a flag that tells it to give up; it returns a value, which a
// queued call hands to `done` on the owner's thread. A cancelled job touches nothing: its
// result is dropped, at once if it is already on its way, and `done` never runs. Destroying
// the job cancels it and waits for the thread, which checks the flag every few milliseconds.
class ViewerJob {
public:
    explicit ViewerJob(QObject* owner) : owner_(owner) {}
    ~ViewerJob() { Cancel(); }
    ViewerJob(const ViewerJob&) = delete;
    ViewerJob& operator=(const ViewerJob&) = delete;

    // Window thread only.
    bool Busy() const { return busy_; }

    // Starts work(cancelled) → Result on the job's thread; false while another job runs.
    template <typename Result>
    bool Start(std::function<Result(const std::atomic<bool>& cancelled)> work,
               std::function<void(Result)> done) {
        if (busy_)
            return false;
        Join();
        busy_ = true;
        auto cancelled = std::make_shared<std::atomic<bool>>(false);
        auto slot = std::make_shared<Slot<Result>>();
        cancelled_ = cancelled;
        drop_ = [slot] { slot->Take(); };
        QPointer<QObject> owner(owner_);
        thread_ = std::thread(
            [this, owner, cancelled, slot, work = std::move(work), done = std::move(done)] {
                if (!slot->Put(work(*cancelled), *cancelled))
                    return;
                // The owner outlives this thread (its job joins it), so posting to it is safe;
                // the call is dropped if the owner goes before it runs.
                QMetaObject::invokeMethod(
                    owner_,
                    [this, owner, cancelled, slot, done] {
                        if (!owner || cancelled->load())
                            return;
                        auto result = slot->Take();
                        Join();
                        busy_ = false;
                        if (result)
                            done(std::move(*result));
                    },
                    Qt::QueuedConnection);
            });
        return true;
    }

    // Tells the running job to give up and waits for its thread.
    void Cancel();

private:
    // A result on its way from the job's thread to the owner's: a cancel takes it out, so what
    // it holds (an open file, memory) goes with the cancel, not when the queued call runs.
    template <typename Result> class Slot {
    public:
        // False, keeping nothing, when the job has been cancelled.
        bool Put(Result result, const std::atomic<bool>& cancelled) {
            std::lock_guard guard(mutex_);
            if (cancelled.load())
                return false;
            value_.emplace(std::move(result));
            return true;
        }
        std::optional<Result> Take() {
            std::lock_guard guard(mutex_);
            std::optional<Result> taken = std::move(value_);
            value_.reset();
            return taken;
        }

    private:
        std::mutex mutex_;
        std::optional<Result> value_;
    };

    void Join();

    QObject* owner_;
    bool busy_ = false;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::function<void()> drop_;
    std::thread thread_;
};

} // namespace zel
