#pragma once

#include "device/DeviceLink.h"
#include "device/FrameAssembler.h"
#include "records/SampleBlock.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

namespace zel {

// What a window gives the live stream. Every call runs on the worker thread.
class LiveStreamSink {
public:
    virtual ~LiveStreamSink() = default;
    virtual void onFirstBlock() = 0;
    // count: blocks delivered in this run including this one.
    virtual void onBlock(const SampleBlock& block, int count) = 0;
    // The connection could not be opened; nothing was sent. The window shows the message.
    virtual void onConnectFailed() = 0;
};

struct LiveStreamParams {
    std::chrono::milliseconds pause{5};
    bool testPerFrame = true; // also test `running` before each frame
};

// A 32-bit millisecond tick count; tests move it by hand.
using TickSource = std::function<std::uint32_t()>;
std::uint32_t SteadyTicks();

namespace stream_timing {
using namespace std::chrono_literals;
constexpr auto kReadTimeout = 1000ms;
constexpr auto kStartPause = 100ms;
constexpr auto kStopTimeout = 3000ms;
constexpr std::uint32_t kKeepAliveMs = 60000;
} // namespace stream_timing

// The body of one live stream run: connect, start the stream, reassemble, check and decode
// frames and hand them to the sink until `running` is cleared, then send the stop request.
class LiveStreamWorker {
public:
    LiveStreamWorker(DeviceLink& link, const std::atomic<bool>& running, LiveStreamParams params,
                     LiveStreamSink& sink, TickSource ticks = SteadyTicks);

    void Run();

    // From another thread: the worker delivers nothing more and sends nothing more.
    void Cancel() { cancelled_.store(true); }
    bool Cancelled() const { return cancelled_.load(); }

private:
    bool KeepRunning() const { return running_.load() && !cancelled_.load(); }
    void Send(std::uint8_t a, std::uint8_t b);
    void ExtractFrames();

    DeviceLink& link_;
    const std::atomic<bool>& running_;
    LiveStreamParams params_;
    LiveStreamSink& sink_;
    TickSource ticks_;
    std::atomic<bool> cancelled_{false};

    FrameAssembler assembler_;
    std::uint8_t readBuffer_[FrameAssembler::kReadSize];
    std::uint32_t lastStart_ = 0;
    bool firstBlock_ = true;
    int count_ = 0;
    SampleBlock block_;
};

} // namespace zel
