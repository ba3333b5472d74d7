#include "device/TcpSocket.h"
#include "device/DeviceLink.h"
#include "device/Frame.h"
#include "device/WorkerStopper.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <thread>
#include <vector>

using namespace zel;
using namespace std::chrono_literals;

namespace {

// A loopback peer that accepts one connection and reads only when told to. Its receive buffer
// is small, so a sender that it ignores soon has to wait.
class SilentPeer {
public:
    SilentPeer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int small = 4096;
        ::setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&addr), len), 0);
        EXPECT_EQ(::listen(listener_, 4), 0);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
    }
    ~SilentPeer() {
        Drop();
        ::close(listener_);
    }

    std::uint16_t Port() const { return port_; }
    bool Accept() {
        peer_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        return peer_ >= 0;
    }
    // Reads until the other end closes the connection, for up to `wait`; returns the bytes read.
    std::vector<std::uint8_t> ReadUntilClosed(std::chrono::milliseconds wait) {
        std::vector<std::uint8_t> bytes;
        timeval tv{0, 50 * 1000};
        ::setsockopt(peer_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        const auto until = std::chrono::steady_clock::now() + wait;
        std::vector<std::uint8_t> buffer(1 << 16);
        while (std::chrono::steady_clock::now() < until) {
            const ssize_t n = ::recv(peer_, buffer.data(), buffer.size(), 0);
            if (n > 0)
                bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + n);
            else if (n == 0)
                break;
        }
        return bytes;
    }
    // Waits until bytes have arrived, without taking them.
    bool WaitForBytes() {
        pollfd p{peer_, POLLIN, 0};
        return ::poll(&p, 1, 30000) == 1;
    }
    // Closes the accepted connection: a sender still blocked on it fails at once.
    void Drop() {
        if (peer_ >= 0)
            ::close(peer_);
        peer_ = -1;
    }

private:
    int listener_ = -1;
    int peer_ = -1;
    std::uint16_t port_ = 0;
};

bool Connect(TcpSocket& socket, std::uint16_t port) {
    const std::atomic<bool> never{false};
    return socket.Create() && socket.SetNonBlocking(true) &&
           socket.ConnectWithin("127.0.0.1", port, 2s, never) && socket.SetNonBlocking(false);
}

// Whether the receiving side of a connected descriptor has been shut down: a read without
// waiting then reports the end instead of "nothing yet".
bool ReceiveShutDown(int fd) {
    char byte;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

TEST(TcpSocket, AnInterruptNeverShutsDownADescriptorNumberCloseHasPassedOn) {
    // One thread interrupts as fast as it can while the owner closes the socket and at once
    // opens a connected pair, which usually gets the number just released. Were the number
    // read and then shut down without holding off Close, the pair would be hit now and then.
    TcpSocket socket;
    std::atomic<bool> done{false};
    std::vector<std::thread> interrupters;
    for (int t = 0; t < 2; ++t) {
        interrupters.emplace_back([&] {
            while (!done.load())
                socket.Interrupt();
        });
    }
    int hits = 0;
    // A bound on the work, not a timing check: the lock makes each round slower, so rounds
    // are counted and time is capped, whichever ends first.
    const auto until = std::chrono::steady_clock::now() + 3s;
    for (int i = 0; i < 50000 && hits == 0 && std::chrono::steady_clock::now() < until; ++i) {
        ASSERT_TRUE(socket.Create());
        socket.Close();
        int pair[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        std::this_thread::yield();
        hits += ReceiveShutDown(pair[0]) ? 1 : 0;
        ::close(pair[0]);
        ::close(pair[1]);
    }
    done.store(true);
    for (auto& t : interrupters)
        t.join();
    EXPECT_EQ(hits, 0);
}

TEST(TcpSocket, SendToAPeerThatStopsReadingGivesUpAfterItsTimeout) {
    SilentPeer peer;
    TcpSocket socket;
    ASSERT_TRUE(Connect(socket, peer.Port()));
    ASSERT_TRUE(peer.Accept());
    std::vector<std::uint8_t> big(64 << 20, 0x5A);
    auto send =
        std::async(std::launch::async, [&] { return socket.Send(big.data(), big.size(), 300ms); });
    const bool ended = send.wait_for(30s) == std::future_status::ready;
    if (!ended)
        peer.Drop(); // lets the send fail so that the test can end
    EXPECT_TRUE(ended) << "the send waited for ever";
    EXPECT_FALSE(send.get());
}

TEST(TcpSocket, InterruptEndsABlockedSendAndLeavesTheSendingSideOpen) {
    SilentPeer peer;
    TcpSocket socket;
    ASSERT_TRUE(Connect(socket, peer.Port()));
    ASSERT_TRUE(peer.Accept());
    std::vector<std::uint8_t> big(64 << 20, 0x5A);
    // A timeout far longer than the test: only the interrupt can end this send, which cannot
    // be over once the first bytes have arrived.
    auto send = std::async(std::launch::async, [&] {
        return socket.Send(big.data(), big.size(), std::chrono::hours(1));
    });
    ASSERT_TRUE(peer.WaitForBytes());
    socket.Interrupt();
    const bool ended = send.wait_for(30s) == std::future_status::ready;
    if (!ended)
        peer.Drop();
    EXPECT_TRUE(ended) << "the interrupt did not end the send";
    EXPECT_FALSE(send.get());

    // Refused until cleared; then the connection still sends, once the peer reads again.
    const std::uint8_t stop[] = {1, 2, 3};
    EXPECT_FALSE(socket.Send(stop, sizeof stop, 1s));
    socket.ClearInterrupt();
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        sent.store(socket.Send(stop, sizeof stop, 20s));
        socket.Close();
    });
    const auto received = peer.ReadUntilClosed(60s);
    sender.join();
    EXPECT_TRUE(sent.load());
    ASSERT_GE(received.size(), 3u);
    EXPECT_TRUE(std::equal(stop, stop + 3, received.end() - 3));
}

TEST(TcpSocket, StoppingAWorkerStuckInASendReturnsAndTheStopRequestStillGoesOut) {
    SilentPeer peer;
    DeviceLink link;
    link.SetEndpoint("127.0.0.1", peer.Port());
    ASSERT_TRUE(link.Connect());
    ASSERT_TRUE(peer.Accept());
    WorkerStopper stopper(link);
    std::atomic<int> sends{0};
    // Requests until the peer's buffers are full; then one send waits for room.
    stopper.Start([&] {
        while (link.SendRequest(kCmdStream, {0xA0, 0xA0}))
            ++sends;
    });
    while (sends.load() == 0)
        std::this_thread::yield();
    auto stop = std::async(std::launch::async, [&] { return stopper.Stop(); });
    const bool ended = stop.wait_for(30s) == std::future_status::ready;
    if (!ended)
        peer.Drop();
    ASSERT_TRUE(ended) << "the owner's join waited for ever";
    EXPECT_FALSE(stop.get()) << "the worker was cancelled, it did not end by itself";

    // The owner sends the stop request on the same connection, as a live window does.
    std::atomic<bool> sent{false};
    std::thread owner([&] {
        sent.store(link.SendRequest(kCmdStream, {0xA1, 0xA1}));
        link.Close();
    });
    const auto tail = peer.ReadUntilClosed(60s);
    owner.join();
    EXPECT_TRUE(sent.load());
    const auto request = BuildRequest(kCmdStream, {0xA1, 0xA1});
    ASSERT_GE(tail.size(), request.size());
    EXPECT_TRUE(std::equal(request.begin(), request.end(), tail.end() - request.size()));
}

} // namespace
