#include "platform/WifiProbe.h"
#include "platform/NetworkManagerWifiBackend.h"
#include "platform/SimulatedWifiBackend.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace zel;
using Adapter = SimulatedWifiBackend::Adapter;

namespace {

const WifiStatusTexts kDefaults = {QStringLiteral("连接状态：未连接"), QStringLiteral("SSID："),
                                   QStringLiteral("信号强度："), QStringLiteral("连接类型：")};

WifiNetwork Network(std::vector<std::uint8_t> ssid, int quality, std::uint32_t auth,
                    bool connected) {
    WifiNetwork network;
    network.ssid = std::move(ssid);
    network.signalQuality = quality;
    network.authAlgorithm = auth;
    network.connected = connected;
    return network;
}

std::vector<std::uint8_t> Bytes(const char* text) {
    return std::vector<std::uint8_t>(text, text + std::strlen(text));
}

TEST(WifiProbeTest, OpenNetworkT1At80Percent) {
    SimulatedWifiBackend backend("T1", 80, kWifiAuthOpen);
    WifiStatusTexts texts;
    EXPECT_EQ(ProbeWifiStatus(texts, backend), 0);
    EXPECT_EQ(texts[0], QStringLiteral("连接状态：已连接"));
    EXPECT_EQ(texts[1], QStringLiteral("SSID：T1"));
    EXPECT_EQ(texts[2], QStringLiteral("信号强度：80%"));
    EXPECT_EQ(texts[3], QStringLiteral("连接类型：802.11 Open \n"));
    EXPECT_EQ(backend.OpenCount(), 1);
    EXPECT_EQ(backend.CloseCount(), 1);
}

TEST(WifiProbeTest, SecurityTextForEveryCode) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {1, "802.11 Open \n"},
        {2, "802.11 Shared \n"},
        {3, "WPA (3)\n"},
        {4, "WPA-PSK (4)\n"},
        {5, "WPA-None (5)\n"},
        {6, "RSNA (6)\n"},
        {7, "RSNA with PSK(7)\n"},
        {8, "Other (8)\n"},
        {9, "Other (9)\n"},
        {0, "Other (0)\n"},
        {0x80000001u, "Other (2147483649)\n"},
    };
    for (const auto& [code, text] : cases) {
        SimulatedWifiBackend backend("net", 55, code);
        WifiStatusTexts texts;
        ASSERT_EQ(ProbeWifiStatus(texts, backend), 0) << code;
        EXPECT_EQ(texts[3], QStringLiteral("连接类型：") + QString::fromLatin1(text)) << code;
        EXPECT_EQ(texts[2], QStringLiteral("信号强度：55%"));
    }
}

TEST(WifiProbeTest, SsidBytesShowOneCharacterPerByte) {
    // "中文" in UTF-8 is shown byte by byte, as six characters, and so is a zero byte.
    SimulatedWifiBackend backend;
    backend.SetAdapters(
        {{{"wlan0", true},
          {Network({0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, 0x00, 'x'}, 100, kWifiAuthRsnaPsk, true)},
          false}});
    WifiStatusTexts texts;
    ASSERT_EQ(ProbeWifiStatus(texts, backend), 0);
    const QString expected = QStringLiteral("SSID：") + QString(QChar(0xE4)) + QChar(0xB8) +
                             QChar(0xAD) + QChar(0xE6) + QChar(0x96) + QChar(0x87) + QChar(0) +
                             QChar('x');
    EXPECT_EQ(texts[1], expected);
    EXPECT_EQ(texts[1].size(), 5 + 8);
    EXPECT_EQ(texts[3], QStringLiteral("连接类型：RSNA with PSK(7)\n"));
}

TEST(WifiProbeTest, FirstConnectedNetworkOfTheFirstConnectedInterfaceWins) {
    SimulatedWifiBackend backend;
    backend.SetAdapters({
        {{"wlan-off", false}, {Network(Bytes("ignored"), 90, 1, true)}, false},
        // Connected, but its list has no entry with the connected flag: the search goes on.
        {{"wlan0", true}, {Network(Bytes("near"), 70, 1, false)}, false},
        {{"wlan1", true},
         {Network(Bytes("other"), 20, 1, false), Network(Bytes("Zel-Home"), 64, 4, true),
          Network(Bytes("second"), 99, 1, true)},
         false},
        {{"wlan2", true}, {Network(Bytes("later"), 10, 1, true)}, false},
    });
    WifiStatusTexts texts;
    ASSERT_EQ(ProbeWifiStatus(texts, backend), 0);
    EXPECT_EQ(texts[1], QStringLiteral("SSID：Zel-Home"));
    EXPECT_EQ(texts[2], QStringLiteral("信号强度：64%"));
    EXPECT_EQ(texts[3], QStringLiteral("连接类型：WPA-PSK (4)\n"));
    EXPECT_EQ(backend.ListedInterfaces(), (std::vector<std::string>{"wlan0", "wlan1"}));
}

TEST(WifiProbeTest, FailuresGiveResultOneWithTheDefaultTexts) {
    struct Case {
        const char* name;
        std::function<void(SimulatedWifiBackend&)> setUp;
        int sessionsClosed;
    };
    const Case cases[] = {
        {"no session", [](SimulatedWifiBackend& b) { b.SetOpenFails(true); }, 0},
        {"no interface list", [](SimulatedWifiBackend& b) { b.SetEnumFails(true); }, 1},
        {"no interfaces", [](SimulatedWifiBackend& b) { b.SetAdapters({}); }, 1},
        {"nothing connected",
         [](SimulatedWifiBackend& b) {
             b.SetAdapters({{{"wlan0", true}, {Network(Bytes("a"), 50, 1, false)}, false},
                            {{"wlan1", false}, {Network(Bytes("b"), 50, 1, true)}, false}});
         },
         1},
        // A failing list ends the probe at once, even with a good interface after it.
        {"network list fails",
         [](SimulatedWifiBackend& b) {
             b.SetAdapters({{{"wlan0", true}, {}, true},
                            {{"wlan1", true}, {Network(Bytes("b"), 50, 1, true)}, false}});
         },
         1},
    };
    for (const Case& c : cases) {
        SimulatedWifiBackend backend("T1", 80, kWifiAuthOpen);
        c.setUp(backend);
        WifiStatusTexts texts = {QStringLiteral("stale"), QStringLiteral("stale"),
                                 QStringLiteral("stale"), QStringLiteral("stale")};
        EXPECT_EQ(ProbeWifiStatus(texts, backend), 1) << c.name;
        EXPECT_EQ(texts, kDefaults) << c.name;
        EXPECT_EQ(backend.CloseCount(), c.sessionsClosed) << c.name;
        EXPECT_EQ(backend.OpenCount(), c.sessionsClosed) << c.name;
    }
}

TEST(WifiProbeTest, ProbesKeepNoStateBetweenCalls) {
    SimulatedWifiBackend backend("T1", 80, kWifiAuthOpen);
    WifiStatusTexts texts;
    ASSERT_EQ(ProbeWifiStatus(texts, backend), 0);
    ASSERT_EQ(ProbeWifiStatus(texts, backend), 0);
    EXPECT_EQ(texts[1], QStringLiteral("SSID：T1")); // not "SSID：T1T1"
    EXPECT_EQ(texts[3], QStringLiteral("连接类型：802.11 Open \n"));
    backend.SetAdapters({});
    EXPECT_EQ(ProbeWifiStatus(texts, backend), 1);
    EXPECT_EQ(texts, kDefaults);
}

TEST(NetworkManagerWifiBackendTest, AccessPointFlagsMapOntoAuthenticationCodes) {
    using B = NetworkManagerWifiBackend;
    constexpr std::uint32_t ccmp = 0x8 | 0x80; // pairwise and group CCMP
    constexpr std::uint32_t tkip = 0x4 | 0x40;
    struct Case {
        const char* name;
        std::uint32_t ap, wpa, rsn, code;
    };
    const Case cases[] = {
        {"open", 0, 0, 0, 1},
        {"WEP", B::kApPrivacy, 0, 0, 2},
        {"WPA-Enterprise", B::kApPrivacy, tkip | B::kKeyMgmt8021x, 0, 3},
        {"WPA-PSK", B::kApPrivacy, tkip | B::kKeyMgmtPsk, 0, 4},
        {"WPA2-Enterprise", B::kApPrivacy, 0, ccmp | B::kKeyMgmt8021x, 6},
        {"WPA2-PSK", B::kApPrivacy, 0, ccmp | B::kKeyMgmtPsk, 7},
        {"WPA/WPA2 mixed", B::kApPrivacy, tkip | B::kKeyMgmtPsk, ccmp | B::kKeyMgmtPsk, 7},
        {"WPA2/WPA3 transition", B::kApPrivacy, 0, ccmp | B::kKeyMgmtPsk | B::kKeyMgmtSae, 7},
        {"WPA3-SAE", B::kApPrivacy, 0, ccmp | B::kKeyMgmtSae, 9},
        {"WPA3-Enterprise 192", B::kApPrivacy, 0, B::kKeyMgmtSuiteB192, 8},
        {"OWE", B::kApPrivacy, 0, ccmp | B::kKeyMgmtOwe, 10},
        {"unknown key management", B::kApPrivacy, 0, ccmp, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(B::AuthAlgorithmFromFlags(c.ap, c.wpa, c.rsn), c.code) << c.name;
}

TEST(NetworkManagerWifiBackendTest, NoBusMeansNotConnectedAtOnce) {
    NetworkManagerWifiBackend backend(QStringLiteral("unix:path=/nonexistent/zel-no-bus"));
    WifiStatusTexts texts;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ProbeWifiStatus(texts, backend), 1);
    EXPECT_EQ(texts, kDefaults);
    EXPECT_LT(clock.elapsed(), 2000);
    // The backend can be used again; each probe is its own session.
    EXPECT_EQ(ProbeWifiStatus(texts, backend), 1);
}

} // namespace
