#include "device/LiveStreamWorker.h"

#include "common/LocalTime.h"
#include "device/Frame.h"

#include <algorithm>
#include <cerrno>
#include <thread>

namespace zel {

using namespace stream_timing;

std::uint32_t SteadyTicks() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

LiveStreamWorker::LiveStreamWorker(DeviceLink& link, const std::atomic<bool>& running,
                                   LiveStreamParams params, LiveStreamSink& sink, TickSource ticks)
    : link_(link), running_(running), params_(params), sink_(sink), ticks_(std::move(ticks)) {}

void LiveStreamWorker::Send(std::uint8_t a, std::uint8_t b) {
    if (!cancelled_.load())
        link_.SendRequest(kCmdStream, {a, b});
}

void LiveStreamWorker::StartStream() {
    lastStart_ = ticks_();
    link_.SetReceiveTimeout(kReadTimeout);
    Send(0xA0, 0xA0);
    PauseWhileRunning(kStartPause);
    assembler_.Clear();
    lastIntact_ = Clock::now();
}

void LiveStreamWorker::Run() {
    if (!link_.Connect()) {
        if (!cancelled_.load())
            sink_.onConnectFailed();
        return;
    }
    StartStream();
    firstBlock_ = true;
    count_ = 0;

    while (KeepRunning()) {
        // In the last second before the silence limit the read waits only as long as is left,
        // so that a vanished link is noticed on time, not up to a read timeout late.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            params_.silenceLimit - (Clock::now() - lastIntact_));
        const bool shortRead = left < kReadTimeout;
        if (shortRead)
            link_.SetReceiveTimeout(std::max(left, std::chrono::milliseconds(10)));
        const long n = link_.ReceiveSome(readBuffer_, sizeof readBuffer_);
        // A timeout is no news; an end of stream or any other error means the connection is
        // gone, and reads on it would return at once from now on.
        const bool broken = n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
        // Keep-alive: unsigned difference, so the tick counter's wrap-around is harmless.
        const std::uint32_t now = ticks_();
        if (!broken && static_cast<std::uint32_t>(now - lastStart_) >= kKeepAliveMs) {
            link_.SetReceiveTimeout(kReadTimeout);
            Send(0xA0, 0xA0);
            lastStart_ = now;
        }
        if (shortRead)
            link_.SetReceiveTimeout(kReadTimeout);
        if (n > 0)
            assembler_.Append(readBuffer_, static_cast<std::size_t>(n));
        ExtractFrames();
        if (!KeepRunning())
            break;
        if (broken || Clock::now() - lastIntact_ >= params_.silenceLimit) {
            LinkLost();
            if (!Reconnect())
                break;
            continue;
        }
        std::this_thread::sleep_for(params_.pause);
    }

    if (cancelled_.load() || !link_.IsOpen())
        return;
    link_.SetReceiveTimeout(kStopTimeout);
    Send(0xA1, 0xA1);
}

void LiveStreamWorker::ExtractFrames() {
    while (assembler_.Length() >= kSampleFrameSize) {
        if (params_.testPerFrame && !running_.load())
            return;
        if (!assembler_.NextBlock(block_))
            return;
        if (cancelled_.load())
            return;
        Deliver();
    }
}

void LiveStreamWorker::Deliver() {
    lastIntact_ = Clock::now();
    if (down_) {
        down_ = false;
        Report(LinkEvent::Kind::Resumed);
        attempt_ = 0;
    }
    if (firstBlock_) {
        sink_.onFirstBlock();
        firstBlock_ = false;
        newStretch_ = false;
    } else if (newStretch_) {
        sink_.onNextStretch();
        newStretch_ = false;
    }
    sink_.onBlock(block_, ++count_);
}

void LiveStreamWorker::LinkLost() {
    link_.Close();
    assembler_.Clear();
    // A connection that opened but brought no frame is a failed attempt, not another loss.
    if (down_)
        return;
    down_ = true;
    newStretch_ = true;
    ++drops_;
    attempt_ = 0;
    lostAt_ = NowSeconds();
    Report(LinkEvent::Kind::Lost);
}

bool LiveStreamWorker::Reconnect() {
    while (KeepRunning()) {
        ++attempt_;
        if (!PauseWhileRunning(params_.retryUnit * RetryUnits(attempt_)))
            return false;
        Report(LinkEvent::Kind::Retrying);
        if (link_.Connect()) {
            if (!KeepRunning())
                return false;
            StartStream();
            return KeepRunning();
        }
    }
    return false;
}

bool LiveStreamWorker::PauseWhileRunning(std::chrono::milliseconds duration) const {
    // Sliced, so that a cleared `running` ends the run well within the window's stop wait.
    const auto until = Clock::now() + duration;
    while (KeepRunning()) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero())
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(10)));
    }
    return false;
}

void LiveStreamWorker::Report(LinkEvent::Kind kind) {
    if (cancelled_.load())
        return;
    LinkEvent event;
    event.kind = kind;
    event.lostAt = lostAt_;
    event.at = NowSeconds();
    event.attempt = attempt_;
    event.drops = drops_;
    sink_.onLinkEvent(event);
}

} // namespace zel
