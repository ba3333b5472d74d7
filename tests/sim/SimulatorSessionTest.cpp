#include "device/Frame.h"
#include "device/FrameAssembler.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

using namespace zel;

namespace {

int ConnectTo(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::vector<std::uint8_t>& bytes) {
    return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

} // namespace

// A client that sends its stop request and closes at once, leaving streamed frames unread,
// resets the connection while the simulator may be in the middle of sending the next frame.
// The stop was sent before the reset, so the simulator must still have taken it in.
TEST(SimulatorSessionTest, StopSentJustBeforeAResetIsNeverLost) {
    sim::SimConfig config;
    config.frameIntervalMs = 1;
    config.splitFrames = true; // the simulator spends most of its time sending
    sim::Simulator simulator(config);
    ASSERT_TRUE(simulator.Start());
    const auto start = BuildRequest(kCmdStream, {0xA0, 0xA0});
    const auto stop = BuildRequest(kCmdStream, {0xA1, 0xA1});
    constexpr std::size_t kRounds = 40;
    for (std::size_t round = 1; round <= kRounds; ++round) {
        const int fd = ConnectTo(simulator.Port());
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(SendAll(fd, start));
        std::uint8_t some[64];
        ASSERT_GT(::recv(fd, some, sizeof some, 0), 0); // the stream is flowing
        ASSERT_TRUE(SendAll(fd, stop));
        ::close(fd);
        ASSERT_TRUE(simulator.WaitForRequestCount(round, kCmdStream, 0xA1)) << "round " << round;
    }
    EXPECT_EQ(sim::Simulator::CountRequests(simulator.Requests(), kCmdStream, 0xA0), kRounds);
}

namespace {

// Reads exactly n bytes or fails after the socket's timeout.
bool ReceiveExactly(int fd, std::vector<std::uint8_t>& out, std::size_t n) {
    const std::size_t start = out.size();
    out.resize(start + n);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::recv(fd, out.data() + start + got, n - got, 0);
        if (r <= 0)
            return false;
        got += static_cast<std::size_t>(r);
    }
    return true;
}

} // namespace

// The tests of the live windows compare their record files with what the simulator says it
// sent; that record must hold exactly the intact frames, in order, and the frame limit must
// hold the stream until it is raised.
TEST(SimulatorSessionTest, GoodFramesSentAreTheIntactFramesOnTheWire) {
    sim::SimConfig config;
    config.frameIntervalMs = 1;
    config.corruptEvery = 2;
    config.streamFrames = 3;
    config.fixedCh1Current = 157;
    config.fixedCh2Current = 43;
    config.keepGoodFrames = true;
    sim::Simulator simulator(config);
    ASSERT_TRUE(simulator.Start());
    const int fd = ConnectTo(simulator.Port());
    ASSERT_GE(fd, 0);
    const timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ASSERT_TRUE(SendAll(fd, BuildRequest(kCmdStream, {0xA0, 0xA0})));

    std::vector<std::uint8_t> wire;
    ASSERT_TRUE(ReceiveExactly(fd, wire, 3 * kSampleFrameSize));
    EXPECT_EQ(simulator.GoodFramesSentCount(), 2u); // frame 2 was corrupted
    simulator.Update([](sim::SimConfig& c) { c.streamFrames = 4; });
    ASSERT_TRUE(ReceiveExactly(fd, wire, kSampleFrameSize)); // frame 4, corrupted too
    ::close(fd);

    const auto good = simulator.GoodFramesSent();
    ASSERT_EQ(good.size(), 2u);
    const auto frameAt = [&](std::size_t i) {
        return std::vector<std::uint8_t>(wire.begin() + i * kSampleFrameSize,
                                         wire.begin() + (i + 1) * kSampleFrameSize);
    };
    EXPECT_EQ(frameAt(0), good[0]);
    EXPECT_EQ(frameAt(2), good[1]);
    EXPECT_NE(frameAt(1), good[0]);

    // Only the two intact frames decode, and they carry the fixed currents.
    FrameAssembler assembler;
    std::vector<SampleBlock> blocks;
    for (std::size_t at = 0; at < wire.size(); at += FrameAssembler::kReadSize) {
        assembler.Append(wire.data() + at, std::min(FrameAssembler::kReadSize, wire.size() - at));
        SampleBlock block;
        while (assembler.NextBlock(block))
            blocks.push_back(block);
    }
    ASSERT_EQ(blocks.size(), 2u);
    for (const SampleBlock& block : blocks) {
        EXPECT_EQ(block.ch1Current, 157u);
        EXPECT_EQ(block.ch2Current, 43u);
    }
    EXPECT_EQ(blocks[1].headWord, 2u); // the third frame made
}

// A client that keeps its connection open but reads nothing fills the socket's buffers while
// the simulator streams; stopping the simulator must still end its session.
TEST(SimulatorSessionTest, StopEndsASessionWhoseClientReadsNothing) {
    sim::SimConfig config;
    config.frameIntervalMs = 0;
    config.keepGoodFrames = true;
    sim::Simulator simulator(config);
    ASSERT_TRUE(simulator.Start());
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(simulator.Port());
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_TRUE(SendAll(fd, BuildRequest(kCmdStream, {0xA0, 0xA0})));

    // The buffers are full once the count of frames sent stays put.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::size_t sent = 0;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const std::size_t now = simulator.GoodFramesSentCount();
        if (now > 0 && now == sent)
            break;
        sent = now;
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the stream never filled up";
    }

    auto stopped = std::async(std::launch::async, [&] { simulator.Stop(); });
    const bool ended = stopped.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    ::close(fd); // lets a simulator stuck in its send go, so the test ends either way
    stopped.wait();
    EXPECT_TRUE(ended);
}
