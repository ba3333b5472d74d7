#include "device/LiveRun.h"

#include "device/Frame.h"

namespace zel {

LiveRun::LiveRun(DeviceLink& link, LiveStreamParams params, LiveStreamSink& sink, TickSource ticks)
    : link_(link), params_(params), sink_(sink), ticks_(std::move(ticks)), stopper_(link) {}

LiveRun::~LiveRun() {
    if (stopper_.Started())
        Stop(false);
}

void LiveRun::Start() {
    if (stopper_.Started())
        Stop(false);
    worker_ = std::make_unique<LiveStreamWorker>(link_, stopper_.Running(), params_, sink_, ticks_);
    LiveStreamWorker* worker = worker_.get();
    stopper_.Start([worker] { worker->Run(); }, [worker] { worker->Cancel(); });
}

bool LiveRun::Stop(bool drain) {
    const bool started = stopper_.Started();
    const bool ended = stopper_.Stop();
    if (started) {
        // The instrument may get the stop request twice: once from a worker that ended by
        // itself, once here.
        link_.SetReceiveTimeout(stream_timing::kStopTimeout);
        link_.SendRequest(kCmdStream, {0xA1, 0xA1});
        if (drain)
            link_.Drain();
    }
    link_.Close();
    worker_.reset();
    return ended;
}

} // namespace zel
