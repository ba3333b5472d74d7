#pragma once

#include "records/InstrumentStorage.h"
#include "sim/SimConfig.h"
#include "sim/StreamSource.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zel::sim {

// A stand-in for the instrument: a TCP server on 127.0.0.1 that answers the instrument's
// protocol. Like the instrument it serves one connection at a time, one after another.
class Simulator {
public:
    explicit Simulator(SimConfig config = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Listens on 127.0.0.1:port (0 picks a free port) and starts serving.
    bool Start(std::uint16_t port = 0);
    void Stop();
    std::uint16_t Port() const { return port_; }

    SimConfig Config() const;
    void SetConfig(const SimConfig& config);
    void Update(const std::function<void(SimConfig&)>& change);

    // The 64-slot storage served to stored-record requests; its recordSlots byte becomes the
    // status reply's. The clear command empties it.
    void SetStorage(const InstrumentStorage& storage);
    InstrumentStorage Storage() const;

    // Every request frame received, checksum included, in arrival order.
    std::vector<std::vector<std::uint8_t>> Requests() const;

    // Waits until the request log satisfies the condition, or the time is up. A client that has
    // just closed its connection cannot know whether the simulator has read its last request
    // yet; this is how a test waits for that.
    using RequestLog = std::vector<std::vector<std::uint8_t>>;
    bool WaitForRequests(const std::function<bool(const RequestLog&)>& done,
                         std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
    // Waits until at least `count` requests with this command code (and, when given, this
    // first parameter byte) have arrived.
    bool WaitForRequestCount(std::size_t count, std::uint8_t code, int parameter = -1,
                             std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
    static std::size_t CountRequests(const RequestLog& log, std::uint8_t code, int parameter = -1);
    int Connections() const { return connections_.load(); }
    // Stream connections dropped so far (closed or vanished).
    int Drops() const { return dropsDone_.load(); }
    std::uint32_t FramesStreamed() const { return framesStreamed_.load(); }
    // With keepGoodFrames: every intact frame sent so far, over all connections.
    std::vector<std::vector<std::uint8_t>> GoodFramesSent() const;
    std::size_t GoodFramesSentCount() const;

    // The instrument's clock: the PC's time until a clock sync moves it.
    std::int64_t ClockNow() const;

private:
    struct Session;

    void Serve();
    void RunSession(int fd);
    void RunSessionLoop(Session& session);
    void ReadRemainder(Session& session);
    void HandleRequest(Session& session, const std::vector<std::uint8_t>& request);
    bool SendReply(Session& session, std::vector<std::uint8_t> reply,
                   ReplyFault forced = ReplyFault::None);
    bool SendStreamFrame(Session& session);
    bool WriteFrame(Session& session, const std::vector<std::uint8_t>& frame, bool split);
    bool StreamHeld(const Session& session) const;
    bool WriteAll(Session& session, const std::uint8_t* data, std::size_t size);
    std::vector<std::uint8_t> StatusReply() const;
    std::vector<std::uint8_t> RecordReply(const std::vector<std::uint8_t>& request,
                                          ReplyFault& fault);
    bool Sleep(int ms) const;
    // Whether this stream's connection is to be dropped now; counts the drop.
    bool TakeDrop();
    // Holds the port without listening for `ms` (connections are refused), then listens again.
    void RefuseFor(int ms);
    bool Listen(int fd);

    mutable std::mutex mutex_;
    mutable std::condition_variable requestLogged_;
    SimConfig config_;
    int faultsLeft_ = -1;
    int dropsLeft_ = -1;
    std::int64_t clockOffset_ = 0;
    std::vector<std::vector<std::uint8_t>> requests_;
    std::vector<std::vector<std::uint8_t>> goodFrames_;
    InstrumentStorage storage_;
    int recordReplies_ = 0;
    int dataReplies_ = 0;
    int failingSlotLeft_ = 0;

    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::atomic<std::uint32_t> framesStreamed_{0};
    std::atomic<int> dropsDone_{0};
    // Connections that vanished: kept open and never touched again until Stop.
    std::vector<int> vanished_;
    std::thread thread_;
};

} // namespace zel::sim
