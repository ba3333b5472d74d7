#include "sim/Simulator.h"

#include "common/LocalTime.h"
#include "device/Frame.h"
#include "records/SampleBlock.h"
#include "sim/RequestParser.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zel::sim {

using Clock = std::chrono::steady_clock;

namespace {

// How often a stream held by its frame limit looks whether the limit was raised.
constexpr int kHeldPollMs = 10;

void PutWord(std::vector<std::uint8_t>& frame, std::size_t at, int value) {
    frame[at] = static_cast<std::uint8_t>(value & 0xFF);
    frame[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

} // namespace

struct Simulator::Session {
    int fd = -1;
    RequestParser parser;
    bool streaming = false;
    Clock::time_point nextFrame;
    StreamSource source;
    std::uint32_t frames = 0;
    bool open = true;
    bool dropped = false;
    bool vanished = false;
};

Simulator::Simulator(SimConfig config)
    : config_(config), faultsLeft_(config.faultCount), dropsLeft_(config.drops),
      failingSlotLeft_(config.failingSlotTimes) {}

Simulator::~Simulator() {
    Stop();
}

bool Simulator::Start(std::uint16_t port) {
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0)
        return false;
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        return false;
    port_ = port;
    if (!Listen(listenFd_) || ::listen(listenFd_, 4) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
    return true;
}

// Binds the socket to the simulator's port on loopback; listening is left to the caller.
bool Simulator::Listen(int fd) {
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port_);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
}

void Simulator::RefuseFor(int ms) {
    // A socket bound to the port but not listening answers every connect with a reset, as an
    // instrument does while its server is down; holding the port keeps anyone else off it.
    const int held = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::close(listenFd_);
    listenFd_ = held;
    if (held < 0 || !Listen(held))
        return;
    Sleep(ms);
    ::listen(held, 4);
}

bool Simulator::TakeDrop() {
    std::lock_guard lock(mutex_);
    if (dropsLeft_ == 0)
        return false;
    if (dropsLeft_ > 0)
        --dropsLeft_;
    dropsDone_.fetch_add(1);
    return true;
}

void Simulator::Stop() {
    if (!thread_.joinable())
        return;
    stopping_.store(true);
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(wakePipe_[1], &byte, 1);
    thread_.join();
    for (const int fd : vanished_)
        ::close(fd);
    vanished_.clear();
    ::close(listenFd_);
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    listenFd_ = wakePipe_[0] = wakePipe_[1] = -1;
}

SimConfig Simulator::Config() const {
    std::lock_guard lock(mutex_);
    return config_;
}

void Simulator::SetConfig(const SimConfig& config) {
    std::lock_guard lock(mutex_);
    config_ = config;
    faultsLeft_ = config.faultCount;
    dropsLeft_ = config.drops;
    failingSlotLeft_ = config.failingSlotTimes;
}

void Simulator::Update(const std::function<void(SimConfig&)>& change) {
    std::lock_guard lock(mutex_);
    change(config_);
    faultsLeft_ = config_.faultCount;
    dropsLeft_ = config_.drops;
    failingSlotLeft_ = config_.failingSlotTimes;
}

void Simulator::SetStorage(const InstrumentStorage& storage) {
    std::lock_guard lock(mutex_);
    storage_ = storage;
    config_.recordSlots = storage.recordSlots;
}

InstrumentStorage Simulator::Storage() const {
    std::lock_guard lock(mutex_);
    return storage_;
}

std::vector<std::vector<std::uint8_t>> Simulator::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool Simulator::WaitForRequests(const std::function<bool(const RequestLog&)>& done,
                                std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return requestLogged_.wait_for(lock, limit, [&] { return done(requests_); });
}

bool Simulator::WaitForRequestCount(std::size_t count, std::uint8_t code, int parameter,
                                    std::chrono::milliseconds limit) const {
    return WaitForRequests(
        [&](const RequestLog& log) { return CountRequests(log, code, parameter) >= count; }, limit);
}

std::size_t Simulator::CountRequests(const RequestLog& log, std::uint8_t code, int parameter) {
    return static_cast<std::size_t>(std::count_if(log.begin(), log.end(), [&](const auto& r) {
        return r.size() > 2 && r[1] == code && (parameter < 0 || r[2] == parameter);
    }));
}

std::vector<std::vector<std::uint8_t>> Simulator::GoodFramesSent() const {
    std::lock_guard lock(mutex_);
    return goodFrames_;
}

std::size_t Simulator::GoodFramesSentCount() const {
    std::lock_guard lock(mutex_);
    return goodFrames_.size();
}

std::int64_t Simulator::ClockNow() const {
    std::lock_guard lock(mutex_);
    return NowSeconds() + clockOffset_;
}

bool Simulator::Sleep(int ms) const {
    if (ms <= 0)
        return !stopping_.load();
    pollfd p{wakePipe_[0], POLLIN, 0};
    ::poll(&p, 1, ms);
    return !stopping_.load();
}

void Simulator::Serve() {
    while (!stopping_.load()) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (stopping_.load())
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        connections_.fetch_add(1);
        RunSession(fd);
    }
}

void Simulator::RunSession(int fd) {
    Session session;
    session.fd = fd;
    RunSessionLoop(session);
    if (session.vanished) {
        vanished_.push_back(fd);
    } else {
        if (!stopping_.load())
            ReadRemainder(session);
        ::close(fd);
    }
    const int refuse = Config().refuseMs;
    if (session.dropped && refuse > 0 && !stopping_.load())
        RefuseFor(refuse);
}

// A client may send its last request (a stop, say) and close at once. When the connection ends
// while a frame is being sent, that request is still waiting in the socket: take it in like the
// instrument would, without replying.
void Simulator::ReadRemainder(Session& session) {
    session.open = false;
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(session.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        session.parser.Feed(buffer, static_cast<std::size_t>(n));
    }
    while (auto request = session.parser.Next())
        HandleRequest(session, *request);
}

void Simulator::RunSessionLoop(Session& session) {
    const int fd = session.fd;
    while (session.open && !stopping_.load()) {
        int timeout = -1;
        const bool held = session.streaming && StreamHeld(session);
        if (held) {
            timeout = kHeldPollMs;
            session.nextFrame = Clock::now(); // resume at once, not with a burst of catching up
        } else if (session.streaming) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                session.nextFrame - Clock::now());
            timeout = static_cast<int>(std::max<long long>(0, left.count()));
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        const int r = ::poll(fds, 2, timeout);
        if (r < 0 && errno != EINTR)
            return;
        if (stopping_.load())
            return;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            std::uint8_t buffer[4096];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            session.parser.Feed(buffer, static_cast<std::size_t>(n));
            while (auto request = session.parser.Next())
                HandleRequest(session, *request);
        }
        if (session.open && session.streaming && !StreamHeld(session) &&
            Clock::now() >= session.nextFrame) {
            if (!SendStreamFrame(session))
                return;
        }
    }
}

std::vector<std::uint8_t> Simulator::StatusReply() const {
    std::vector<std::uint8_t> r(kStatusReplySize - 2, 0);
    r[0] = kReplyLead;
    r[1] = kCmdStatus;
    for (int i = 2; i < 10; ++i)
        r[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0x10 + i); // not interpreted
    const auto clock = ToLocalDateTime(NowSeconds() + clockOffset_);
    r[10] = config_.serial & 0xFF;
    r[11] = config_.serial >> 8;
    r[12] = config_.version & 0xFF;
    r[13] = config_.version >> 8;
    r[14] = config_.battery;
    r[15] = config_.recordSlots;
    r[16] = static_cast<std::uint8_t>(clock.year - 2000);
    r[17] = static_cast<std::uint8_t>(clock.month);
    r[18] = static_cast<std::uint8_t>(clock.day);
    r[19] = static_cast<std::uint8_t>(clock.hour);
    r[20] = static_cast<std::uint8_t>(clock.minute);
    r[21] = static_cast<std::uint8_t>(clock.second);
    r[22] = config_.state;
    r[23] = config_.ch1Current & 0xFF;
    r[24] = config_.ch1Current >> 8;
    r[25] = config_.ch2Current & 0xFF;
    r[26] = config_.ch2Current >> 8;
    AppendCrc(r);
    return r;
}

void Simulator::HandleRequest(Session& session, const std::vector<std::uint8_t>& request) {
    std::vector<std::uint8_t> reply;
    ReplyFault forced = ReplyFault::None;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        requestLogged_.notify_all();
        const std::uint8_t code = request[1];
        if (code == kCmdStatus) {
            reply = StatusReply();
        } else if (code == kCmdSetClock) {
            LocalDateTime set{2000 + request[2], request[3], request[4],
                              request[5],        request[6], request[7]};
            std::int64_t t = 0;
            if (FromLocalDateTime(set, t))
                clockOffset_ = t - NowSeconds();
            reply = StatusReply();
        } else if (code == kCmdClear || code == kCmdStop) {
            if (code == kCmdClear) {
                config_.recordSlots = 0;
                storage_ = InstrumentStorage();
            }
            reply = {kReplyLead, code, request[2], request[3]};
            AppendCrc(reply);
        } else if (code == kCmdStream) {
            if (request[2] == 0xA0 && request[3] == 0xA0) {
                if (!session.streaming) {
                    session.streaming = true;
                    session.nextFrame = Clock::now();
                }
            } else if (request[2] == 0xA1 && request[3] == 0xA1 && !config_.ignoreStreamStop) {
                session.streaming = false;
            }
            return; // the stream requests have no reply
        } else if (code == kCmdRecord) {
            reply = RecordReply(request, forced);
        } else {
            return;
        }
    }
    if (session.open)
        session.open = SendReply(session, std::move(reply), forced);
}

std::vector<std::uint8_t> Simulator::RecordReply(const std::vector<std::uint8_t>& request,
                                                 ReplyFault& fault) {
    const int frame = request[2];
    const int slot = request[3];
    StoredBlockBytes content;
    content.fill(0xFF);
    if (slot < kStorageSlots)
        content = frame == 0 ? storage_.InfoBlock(slot) : storage_.DataBlock(slot, frame);
    ++recordReplies_;
    if (frame > 0) {
        ++dataReplies_;
        if (config_.invalidDateEvery > 0 && dataReplies_ % config_.invalidDateEvery == 0)
            content[1] = 0; // month 0
    }
    if (config_.recordFaultEvery > 0 && recordReplies_ % config_.recordFaultEvery == 0)
        fault = config_.recordFault;
    if (slot == config_.failingSlot && failingSlotLeft_ > 0) {
        --failingSlotLeft_;
        fault = ReplyFault::BadChecksum;
    }
    std::vector<std::uint8_t> reply(4 + content.size());
    reply[0] = kReplyLead;
    reply[1] = kCmdRecord;
    reply[2] = request[2];
    reply[3] = request[3];
    std::copy(content.begin(), content.end(), reply.begin() + 4);
    AppendCrc(reply);
    return reply;
}

bool Simulator::WriteAll(Session& session, const std::uint8_t* data, std::size_t size) {
    // A client that stops reading fills the socket's buffers; the send then waits for room
    // together with the wake pipe, so that Stop() still ends the session.
    while (size > 0) {
        const ssize_t n = ::send(session.fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd fds[2] = {{session.fd, POLLOUT, 0}, {wakePipe_[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR)
                return false;
            if (stopping_.load())
                return false;
            continue;
        }
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Simulator::SendReply(Session& session, std::vector<std::uint8_t> reply, ReplyFault forced) {
    ReplyFault fault = forced;
    int delay = 0;
    int piecePause = 0;
    {
        std::lock_guard lock(mutex_);
        if (fault == ReplyFault::None && faultsLeft_ != 0) {
            fault = config_.fault;
            if (faultsLeft_ > 0 && fault != ReplyFault::None)
                --faultsLeft_;
        }
        delay = config_.replyDelayMs;
        piecePause = config_.piecePauseMs;
    }
    if (!Sleep(delay))
        return false;
    switch (fault) {
    case ReplyFault::None:
        break;
    case ReplyFault::NoReply:
        return true;
    case ReplyFault::BadChecksum:
        reply.back() ^= 0x5A;
        break;
    case ReplyFault::WrongCode:
        reply[1] ^= 0x01;
        break;
    case ReplyFault::Short:
        reply.resize(reply.size() / 2);
        break;
    case ReplyFault::Pieces: {
        // Three pieces: lead byte, a middle part, the rest.
        const std::size_t cuts[] = {1, reply.size() / 2, reply.size()};
        std::size_t at = 0;
        for (const std::size_t cut : cuts) {
            if (at > 0 && !Sleep(piecePause))
                return false;
            if (!WriteAll(session, reply.data() + at, cut - at))
                return false;
            at = cut;
        }
        return true;
    }
    }
    return WriteAll(session, reply.data(), reply.size());
}

bool Simulator::WriteFrame(Session& session, const std::vector<std::uint8_t>& frame, bool split) {
    if (!split)
        return WriteAll(session, frame.data(), frame.size());
    const std::size_t cuts[] = {1, 2, 700, frame.size() - 1, frame.size()};
    std::size_t at = 0;
    for (const std::size_t cut : cuts) {
        if (!WriteAll(session, frame.data() + at, cut - at))
            return false;
        at = cut;
        if (!Sleep(2))
            return false;
    }
    return true;
}

bool Simulator::StreamHeld(const Session& session) const {
    const int limit = Config().streamFrames;
    return limit >= 0 && session.frames >= static_cast<std::uint32_t>(limit);
}

bool Simulator::SendStreamFrame(Session& session) {
    SimConfig c = Config();
    std::vector<std::uint8_t> frame = session.source.NextFrame();
    if (c.fixedCh1Current >= 0 || c.fixedCh2Current >= 0) {
        frame.resize(kSampleFrameSize - 2);
        if (c.fixedCh1Current >= 0)
            PutWord(frame, 4, c.fixedCh1Current);
        if (c.fixedCh2Current >= 0)
            PutWord(frame, 6, c.fixedCh2Current);
        AppendCrc(frame);
    }
    const std::uint32_t index = ++session.frames;
    if (c.junkEvery > 0 && index % static_cast<std::uint32_t>(c.junkEvery) == 0) {
        // Junk that even holds a lead byte pair, as a stray status reply would.
        static const std::uint8_t junk[] = {0x00, 0x3C, 0x11, 0x3C, 0xA0, 0xFF, 0x3C};
        if (!WriteAll(session, junk, sizeof junk))
            return false;
    }
    const bool corrupt =
        c.corruptEvery > 0 && index % static_cast<std::uint32_t>(c.corruptEvery) == 0;
    if (corrupt)
        frame[100 + index % 1400] ^= 0x40;
    // A frame counts as sent from the moment its writing starts, so a client that has read it
    // always finds it in the record; a write that fails takes it off again.
    const bool keep = c.keepGoodFrames && !corrupt;
    if (keep) {
        std::lock_guard lock(mutex_);
        goodFrames_.push_back(frame);
    }
    if (!WriteFrame(session, frame, c.splitFrames)) {
        if (keep) {
            std::lock_guard lock(mutex_);
            goodFrames_.pop_back();
        }
        return false;
    }
    framesStreamed_.fetch_add(1);
    if (c.dropAfterFrames > 0 && index >= static_cast<std::uint32_t>(c.dropAfterFrames) &&
        TakeDrop()) {
        session.dropped = true;
        session.vanished = c.dropHow == DropHow::Vanish;
        return false;
    }
    int wait = c.frameIntervalMs;
    if (c.stallEvery > 0 && index % static_cast<std::uint32_t>(c.stallEvery) == 0)
        wait += c.stallMs;
    session.nextFrame += std::chrono::milliseconds(wait);
    if (session.nextFrame < Clock::now() - std::chrono::seconds(1))
        session.nextFrame = Clock::now();
    return true;
}

} // namespace zel::sim
