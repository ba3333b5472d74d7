#include "FakeNetworkManager.h"

#include "app/StatusPoller.h"
#include "platform/NetworkManagerWifiBackend.h"
#include "platform/WifiProbe.h"

#include <QStandardPaths>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace zel;
using AP = FakeNetworkManager::AccessPoint;
using Device = FakeNetworkManager::Device;

namespace {

constexpr uint kPrivacy = NetworkManagerWifiBackend::kApPrivacy;
constexpr uint kRsnPsk = 0x8 | 0x80 | NetworkManagerWifiBackend::kKeyMgmtPsk;

class NetworkManagerBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(nm.Start(registerService)) << "cannot start a private bus";
    }

    // Probes on a worker thread, as the main window's poller does, while this thread serves
    // the stand-in's calls.
    int Probe(WifiStatusTexts& texts) {
        std::atomic<int> result{-1};
        std::thread poller([&] {
            NetworkManagerWifiBackend backend(nm.Address());
            result = ProbeWifiStatus(texts, backend);
        });
        const bool done = QTest::qWaitFor([&] { return result != -1; }, 10000);
        poller.join();
        EXPECT_TRUE(done);
        return result;
    }

    bool registerService = true;
    FakeNetworkManager nm;
};

TEST_F(NetworkManagerBackendTest, OpenNetworkT1At80Percent) {
    nm.accessPoints = {AP{"T1", 80, 0, 0, 0}};
    nm.devices = {Device{2, 100, 0}};
    WifiStatusTexts texts;
    ASSERT_EQ(Probe(texts), 0);
    EXPECT_EQ(texts[0], QStringLiteral("连接状态：已连接"));
    EXPECT_EQ(texts[1], QStringLiteral("SSID：T1"));
    EXPECT_EQ(texts[2], QStringLiteral("信号强度：80%"));
    EXPECT_EQ(texts[3], QStringLiteral("连接类型：802.11 Open \n"));
}

TEST_F(NetworkManagerBackendTest, SecondWifiDeviceAndWpa2PersonalWithByteSsid) {
    nm.accessPoints = {AP{"unused", 10, 0, 0, 0}, AP{"Zel\xC3\xA9", 67, kPrivacy, 0, kRsnPsk}};
    nm.devices = {
        Device{1, 100, -1}, // wired, activated: not a wireless interface
        Device{2, 30, 0},   // Wi-Fi, disconnected
        Device{2, 100, -1}, // Wi-Fi, activated, but without an access point
        Device{2, 100, 1},
    };
    WifiStatusTexts texts;
    ASSERT_EQ(Probe(texts), 0);
    EXPECT_EQ(texts[1], QStringLiteral("SSID：Zel") + QChar(0xC3) + QChar(0xA9));
    EXPECT_EQ(texts[2], QStringLiteral("信号强度：67%"));
    EXPECT_EQ(texts[3], QStringLiteral("连接类型：RSNA with PSK(7)\n"));
}

TEST_F(NetworkManagerBackendTest, NoWirelessConnectionGivesTheDefaults) {
    nm.accessPoints = {AP{"T1", 80, 0, 0, 0}};
    nm.devices = {Device{1, 100, -1}, Device{2, 20, 0}};
    WifiStatusTexts texts;
    EXPECT_EQ(Probe(texts), 1);
    EXPECT_EQ(texts[0], QStringLiteral("连接状态：未连接"));
    EXPECT_EQ(texts[1], QStringLiteral("SSID："));
}

// Stopping the status poller while its probe waits on a NetworkManager that does not answer:
// the probe gives up at the stop, so the poller ends within the stop's 200 ms wait instead of
// being cancelled and joined only after the calls time out.
TEST_F(NetworkManagerBackendTest, StopEndsAProbeWaitingOnAStalledNetworkManager) {
    nm.accessPoints = {AP{"T1", 80, 0, 0, 0}};
    nm.devices = {Device{2, 100, 0}, Device{2, 100, 0}};
    nm.stall = true;
    DeviceLink link; // not contacted: no Wi-Fi is found
    std::atomic<int> updates{0};
    StatusPoller poller(
        link,
        [this](WifiStatusTexts& texts, std::stop_token stop) {
            NetworkManagerWifiBackend backend(nm.Address(), std::move(stop));
            return ProbeWifiStatus(texts, backend) == 0;
        },
        [&updates](const PollerUpdate&) { ++updates; });
    poller.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return nm.unanswered.load() > 0; }, 5000));
    EXPECT_TRUE(poller.Stop());
    // Only the defaults shown when the poller started: the probe cut short published nothing.
    EXPECT_EQ(updates.load(), 1);
    EXPECT_FALSE(poller.Connected());
}

class BusWithoutNetworkManagerTest : public NetworkManagerBackendTest {
protected:
    BusWithoutNetworkManagerTest() { registerService = false; }
};

TEST_F(BusWithoutNetworkManagerTest, FailsQuietly) {
    WifiStatusTexts texts;
    EXPECT_EQ(Probe(texts), 1);
    EXPECT_EQ(texts[0], QStringLiteral("连接状态：未连接"));
}

} // namespace
