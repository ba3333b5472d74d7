#pragma once

#include "device/DeviceLink.h"
#include "device/FrameAssembler.h"
#include "records/SampleBlock.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

namespace zel {

// What happened to the link during a run. Handed to the sink by value; the sink passes it on
// to its window as it is.
struct LinkEvent {
    enum class Kind {
        Lost,     // the instrument closed the connection or sent no intact frame for too long
        Retrying, // a reconnect attempt is being made
        Resumed,  // the first intact frame after a loss has arrived
    };
    Kind kind = Kind::Lost;
    std::int64_t lostAt = 0; // when the present or last loss was noticed (seconds since 1970)
    std::int64_t at = 0;     // when this event happened
    int attempt = 0;         // reconnect attempts made since the loss, this one included
    int drops = 0;           // losses in this run so far, this one included
};

// What a window gives the live stream. Every call runs on the worker thread.
class LiveStreamSink {
public:
    virtual ~LiveStreamSink() = default;
    virtual void onFirstBlock() = 0;
    // Just before the first block after a loss, when the run had delivered blocks before it:
    // the blocks from here on follow a gap.
    virtual void onNextStretch() {}
    // count: blocks delivered in this run including this one, over all its stretches.
    virtual void onBlock(const SampleBlock& block, int count) = 0;
    // The connection could not be opened; nothing was sent. The window shows the message.
    virtual void onConnectFailed() = 0;
    virtual void onLinkEvent(const LinkEvent&) {}
};

struct LiveStreamParams {
    std::chrono::milliseconds pause{5};
    bool testPerFrame = true; // also test `running` before each frame
    // The first reconnect waits are this unit times 1, 2, 4 and 8, every later one 10 units.
    std::chrono::milliseconds retryUnit{1000};
    // No intact frame for this long counts as a lost link.
    std::chrono::milliseconds silenceLimit{5000};
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
// The pause before reconnect attempt `attempt` (1 for the first), in retry units.
constexpr int RetryUnits(int attempt) {
    return attempt <= 4 ? 1 << (attempt - 1) : 10;
}
// The longest pause between two reconnect attempts: after it, a run that is still trying makes
// its next attempt.
inline std::chrono::milliseconds LongestRetryWait(const LiveStreamParams& params) {
    return params.retryUnit * RetryUnits(5);
}
// The longest a run goes without an intact frame or a reconnect attempt while it works: an
// attempt that connects at the last moment to an instrument that stays mute for the silence
// limit, then the longest pause before the next attempt.
inline std::chrono::milliseconds LongestQuietSpell(const LiveStreamParams& params) {
    return link_timing::kConnectWait + link_timing::kPauseAfterConnect + kStartPause +
           params.silenceLimit + LongestRetryWait(params);
}
} // namespace stream_timing

// The body of one live stream run: connect, start the stream, reassemble, check and decode
// frames and hand them to the sink until `running` is cleared, then send the stop request.
// A link the instrument closes, or that brings no intact frame within the silence limit, is
// closed and connected anew to the same address, with growing pauses between the attempts,
// for as long as the run lasts. Every pause is cut short when `running` is cleared.
class LiveStreamWorker {
public:
    LiveStreamWorker(DeviceLink& link, const std::atomic<bool>& running, LiveStreamParams params,
                     LiveStreamSink& sink, TickSource ticks = SteadyTicks);

    void Run();

    // From another thread: the worker delivers nothing more and sends nothing more.
    void Cancel() { cancelled_.store(true); }
    bool Cancelled() const { return cancelled_.load(); }

private:
    using Clock = std::chrono::steady_clock;

    bool KeepRunning() const { return running_.load() && !cancelled_.load(); }
    void Send(std::uint8_t a, std::uint8_t b);
    void StartStream();
    void ExtractFrames();
    void Deliver();
    // The link is gone: closes it and, unless an outage is already going on, reports the loss.
    void LinkLost();
    // Waits and connects until a connection is open and the stream started on it; false when
    // the run ended meanwhile.
    bool Reconnect();
    bool PauseWhileRunning(std::chrono::milliseconds duration) const;
    void Report(LinkEvent::Kind kind);

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
    Clock::time_point lastIntact_;
    bool down_ = false;       // between a loss and the next intact frame
    bool newStretch_ = false; // the next block follows a gap
    int drops_ = 0;
    int attempt_ = 0;
    std::int64_t lostAt_ = 0;
};

} // namespace zel
