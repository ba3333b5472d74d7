#include "device/Frame.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
