#include "device/DeviceLink.h"
#include "common/LocalTime.h"
#include "device/Frame.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace zel;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A listener that never accepts and whose backlog is full: further SYNs are dropped, so a
// connection to it is neither established nor refused.
class SilentListener {
public:
    SilentListener() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listener_, 0);
        socklen_t len = sizeof addr;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        for (int i = 0; i < 4; ++i) {
            const int c = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(c, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
            fillers_.push_back(c);
        }
        std::this_thread::sleep_for(100ms);
    }
    ~SilentListener() {
        for (int c : fillers_)
            ::close(c);
        ::close(listener_);
    }
    std::uint16_t Port() const { return port_; }

private:
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::vector<int> fillers_;
};

class DeviceLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimConfig config;
        config.serial = 10;
        config.version = 1001;
        config.battery = 64;
        config.recordSlots = 0x85;
        config.state = 2;
        config.ch1Current = 65535;
        config.ch2Current = 12;
        simulator = std::make_unique<sim::Simulator>(config);
        ASSERT_TRUE(simulator->Start());
        link.SetEndpoint("127.0.0.1", simulator->Port());
    }
    void TearDown() override {
        link.Close();
        simulator->Stop();
    }

    std::unique_ptr<sim::Simulator> simulator;
    DeviceLink link;
};

TEST_F(DeviceLinkTest, QueryStatusDecodesTheInstrumentStatus) {
    ASSERT_TRUE(link.Connect());
    DeviceStatus s;
    ASSERT_TRUE(link.QueryStatus(s));
    EXPECT_EQ(s.serial, 10);
    EXPECT_EQ(s.version, 1001);
    EXPECT_EQ(s.battery, 64);
    EXPECT_EQ(s.recordSlots, 133);
    EXPECT_EQ(s.state, 2);
    EXPECT_EQ(s.ch1Current, 65535);
    EXPECT_EQ(s.ch2Current, 12);
    link.Close();
    link.Close(); // closing twice is harmless
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(DeviceLinkTest, SyncClockSendsTheClockAndTheInstrumentFollowsIt) {
    ASSERT_TRUE(link.Connect());
    const std::uint8_t clock[6] = {13, 7, 5, 14, 3, 9};
    DeviceStatus s;
    ASSERT_TRUE(link.SyncClock(s, clock));
    EXPECT_EQ(s.year, 13);
    EXPECT_EQ(s.month, 7);
    EXPECT_EQ(s.day, 5);
    EXPECT_EQ(s.hour, 14);
    EXPECT_EQ(s.minute, 3);
    EXPECT_LE(s.second, 10);
    const auto requests = simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], BuildRequest(kCmdSetClock, {0x0D, 0x07, 0x05, 0x0E, 0x03, 0x09}));
}

TEST_F(DeviceLinkTest, ClearAndStopAreAcknowledged) {
    ASSERT_TRUE(link.Connect());
    EXPECT_TRUE(link.ClearStorage());
    EXPECT_TRUE(link.SendStop());
    DeviceStatus s;
    ASSERT_TRUE(link.QueryStatus(s));
    EXPECT_EQ(s.recordSlots, 0); // the clear emptied the storage
    const auto requests = simulator->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], BuildRequest(kCmdClear, {0x12, 0x34}));
    EXPECT_EQ(requests[1], BuildRequest(kCmdStop, {0x56, 0x78}));
}

TEST_F(DeviceLinkTest, ReplyInPiecesIsStillAccepted) {
    simulator->Update([](sim::SimConfig& c) {
        c.fault = sim::ReplyFault::Pieces;
        c.piecePauseMs = 60;
    });
    ASSERT_TRUE(link.Connect());
    DeviceStatus s;
    EXPECT_TRUE(link.QueryStatus(s));
    EXPECT_TRUE(link.ClearStorage());
    EXPECT_EQ(s.serial, 10);
}

TEST_F(DeviceLinkTest, FaultyRepliesFailEveryCommandAndLeaveStatusUntouched) {
    for (const auto fault : {sim::ReplyFault::BadChecksum, sim::ReplyFault::WrongCode,
                             sim::ReplyFault::Short, sim::ReplyFault::NoReply}) {
        SCOPED_TRACE(sim::ReplyFaultName(fault));
        simulator->Update([fault](sim::SimConfig& c) { c.fault = fault; });
        ASSERT_TRUE(link.Connect());
        DeviceStatus s;
        s.serial = 4242;
        const auto start = Clock::now();
        EXPECT_FALSE(link.QueryStatus(s));
        EXPECT_EQ(s.serial, 4242);
        const std::uint8_t clock[6] = {20, 1, 1, 0, 0, 0};
        EXPECT_FALSE(link.SyncClock(s, clock));
        EXPECT_EQ(s.serial, 4242);
        EXPECT_FALSE(link.ClearStorage());
        EXPECT_FALSE(link.SendStop());
        // Each failing exchange waits at most the 3 s receive timeout.
        EXPECT_LT(SecondsSince(start), 4 * 3.5);
        link.Close();
    }
}

TEST_F(DeviceLinkTest, FaultThatHitsOnlyTheFirstReplyLetsTheNextOneThrough) {
    simulator->Update([](sim::SimConfig& c) {
        c.fault = sim::ReplyFault::BadChecksum;
        c.faultCount = 1;
    });
    ASSERT_TRUE(link.Connect());
    DeviceStatus s;
    EXPECT_FALSE(link.QueryStatus(s));
    EXPECT_TRUE(link.QueryStatus(s));
}

TEST_F(DeviceLinkTest, ServesConnectionsOneAfterAnother) {
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(link.Connect());
        DeviceStatus s;
        EXPECT_TRUE(link.QueryStatus(s));
        link.Close();
    }
    EXPECT_EQ(simulator->Connections(), 3);
}

TEST_F(DeviceLinkTest, DrainWithNothingPendingTakesAboutHalfASecond) {
    ASSERT_TRUE(link.Connect());
    const auto start = Clock::now();
    EXPECT_TRUE(link.Drain());
    const double took = SecondsSince(start);
    EXPECT_GT(took, 0.4);
    EXPECT_LT(took, 1.5);
    // The receive timeout is back at 3 s: a silent reply now takes about that long to fail.
    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::NoReply; });
    DeviceStatus s;
    const auto again = Clock::now();
    EXPECT_FALSE(link.QueryStatus(s));
    EXPECT_GT(SecondsSince(again), 2.5);
}

TEST_F(DeviceLinkTest, DrainEndsAgainstAPeerThatNeverStopsSending) {
    simulator->Update([](sim::SimConfig& c) {
        c.ignoreStreamStop = true;
        c.frameIntervalMs = 5;
    });
    ASSERT_TRUE(link.Connect());
    ASSERT_TRUE(link.SendRequest(kCmdStream, {0xA0, 0xA0}));
    ASSERT_TRUE(link.SendRequest(kCmdStream, {0xA1, 0xA1}));
    std::this_thread::sleep_for(100ms);
    const auto start = Clock::now();
    EXPECT_TRUE(link.Drain());
    const double took = SecondsSince(start);
    EXPECT_GT(took, 1.5);
    EXPECT_LT(took, 3.5);
    EXPECT_GT(simulator->FramesStreamed(), 100u);
}

TEST(DeviceLinkConnectTest, RefusedConnectionFailsAfterThePause) {
    // Find a port with no listener: bind one, note it, close it.
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(probe);

    DeviceLink link;
    link.SetEndpoint("127.0.0.1", ntohs(addr.sin_port));
    const auto start = Clock::now();
    EXPECT_FALSE(link.Connect());
    const double took = SecondsSince(start);
    EXPECT_GT(took, 0.15);
    EXPECT_LT(took, 1.5);
    EXPECT_FALSE(link.IsOpen());
}

TEST(DeviceLinkConnectTest, SilentPeerFailsAfterAboutTwoPointTwoSeconds) {
    SilentListener peer;
    DeviceLink link;
    link.SetEndpoint("127.0.0.1", peer.Port());
    const auto start = Clock::now();
    EXPECT_FALSE(link.Connect());
    const double took = SecondsSince(start);
    EXPECT_GT(took, 2.0);
    EXPECT_LT(took, 4.0);
    EXPECT_FALSE(link.IsOpen());
}

TEST(DeviceLinkConnectTest, UnusableAddressFailsWithoutHanging) {
    for (const char* host : {"not-an-address", "192.168.1.1.5", "256.1.1.1"}) {
        DeviceLink link;
        link.SetEndpoint(host, 8080);
        const auto start = Clock::now();
        EXPECT_FALSE(link.Connect()) << host;
        EXPECT_LT(SecondsSince(start), 1.0);
    }
}

TEST(DeviceLinkConnectTest, AbortEndsAPendingConnectAtOnce) {
    SilentListener peer;
    DeviceLink link;
    link.SetEndpoint("127.0.0.1", peer.Port());
    std::atomic<bool> result{true};
    const auto start = Clock::now();
    std::thread user([&] { result = link.Connect(); });
    std::this_thread::sleep_for(300ms);
    link.Abort();
    user.join();
    EXPECT_FALSE(result.load());
    EXPECT_LT(SecondsSince(start), 1.0);
    link.Close();
    link.Rearm();
    EXPECT_FALSE(link.Aborted());
}

} // namespace
