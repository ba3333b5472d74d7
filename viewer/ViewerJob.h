#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace zel {

// Runs the viewer's longer work (statistics over hours of data, writing a report or a CSV
// file) on a thread of its own, one job at a time, so the window keeps answering. The work
// gets a flag that tells it to give up; it returns a value, which a queued call hands to
// `done` on the owner's thread. A cancelled job touches nothing: its result is dropped, and
// `done` never runs. Destroying the job cancels it and waits for the thread, which checks the
// flag every few milliseconds.
class ViewerJob {
public:
    explicit ViewerJob(QObject* owner) : owner_(owner) {}
    ~ViewerJob() { Cancel(); }
    ViewerJob(const ViewerJob&) = delete;
    ViewerJob& operator=(const ViewerJob&) = delete;

    // Window thread only.
    bool Busy() const { return busy_; }

    // Starts work(cancelled) → Result on the job's thread; false while another job runs.
    // Result must be copyable: it crosses to the owner's thread by value.
    template <typename Result>
    bool Start(std::function<Result(const std::atomic<bool>& cancelled)> work,
               std::function<void(Result)> done) {
        if (busy_)
            return false;
        Join();
        busy_ = true;
        auto cancelled = std::make_shared<std::atomic<bool>>(false);
        cancelled_ = cancelled;
        QPointer<QObject> owner(owner_);
        thread_ =
            std::thread([this, owner, cancelled, work = std::move(work), done = std::move(done)] {
                Result result = work(*cancelled);
                if (cancelled->load())
                    return;
                // The owner outlives this thread (its job joins it), so posting to it is safe;
                // the call is dropped if the owner goes before it runs.
                QMetaObject::invokeMethod(
                    owner_,
                    [this, owner, cancelled, done, result] {
                        if (!owner || cancelled->load())
                            return;
                        Join();
                        busy_ = false;
                        done(result);
                    },
                    Qt::QueuedConnection);
            });
        return true;
    }

    // Tells the running job to give up and waits for its thread.
    void Cancel();

private:
    void Join();

    QObject* owner_;
    bool busy_ = false;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::thread thread_;
};

} // namespace zel
