#include "device/LiveStreamWorker.h"

#include "device/Frame.h"

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

void LiveStreamWorker::Run() {
    if (!link_.Connect()) {
        if (!cancelled_.load())
            sink_.onConnectFailed();
        return;
    }
    lastStart_ = ticks_();
    link_.SetReceiveTimeout(kReadTimeout);
    Send(0xA0, 0xA0);
    std::this_thread::sleep_for(kStartPause);
    firstBlock_ = true;
    count_ = 0;
    assembler_.Clear();

    while (KeepRunning()) {
        const long n = link_.ReceiveSome(readBuffer_, sizeof readBuffer_);
        // Keep-alive: unsigned difference, so the tick counter's wrap-around is harmless.
        const std::uint32_t now = ticks_();
        if (static_cast<std::uint32_t>(now - lastStart_) >= kKeepAliveMs) {
            link_.SetReceiveTimeout(kReadTimeout);
            Send(0xA0, 0xA0);
            lastStart_ = now;
        }
        if (n > 0)
            assembler_.Append(readBuffer_, static_cast<std::size_t>(n));
        ExtractFrames();
        std::this_thread::sleep_for(params_.pause);
    }

    if (cancelled_.load())
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
        if (firstBlock_) {
            sink_.onFirstBlock();
            firstBlock_ = false;
        }
        sink_.onBlock(block_, ++count_);
    }
}

} // namespace zel
