#include "platform/WifiProbe.h"

#include "platform/NetworkManagerWifiBackend.h"

#include <QCoreApplication>

namespace zel {

namespace {

void SetDefaults(WifiStatusTexts& texts) {
    texts[0] = QCoreApplication::translate("zel::WifiProbe", "连接状态：未连接");
    texts[1] = QCoreApplication::translate("zel::WifiProbe", "SSID：");
    texts[2] = QCoreApplication::translate("zel::WifiProbe", "信号强度：");
    texts[3] = QCoreApplication::translate("zel::WifiProbe", "连接类型：");
}

// Shows the network: every SSID byte becomes one character with that code, with no attempt at
// decoding, because an SSID is a byte string and need not be text at all.
void ShowNetwork(WifiStatusTexts& texts, const WifiNetwork& network) {
    texts[0] = QCoreApplication::translate("zel::WifiProbe", "连接状态：已连接");
    texts[2] =
        QCoreApplication::translate("zel::WifiProbe", "信号强度：%1%").arg(network.signalQuality);
    texts[3] += WifiSecurityText(network.authAlgorithm);
    const std::size_t length = std::min<std::size_t>(network.ssid.size(), 32);
    for (std::size_t i = 0; i < length; ++i)
        texts[1] += QChar(static_cast<char16_t>(network.ssid[i]));
}

} // namespace

QString WifiSecurityText(std::uint32_t code) {
    switch (code) {
    case kWifiAuthOpen:
        return QStringLiteral("802.11 Open \n");
    case kWifiAuthSharedKey:
        return QStringLiteral("802.11 Shared \n");
    case kWifiAuthWpa:
        return QStringLiteral("WPA (%1)\n").arg(code);
    case kWifiAuthWpaPsk:
        return QStringLiteral("WPA-PSK (%1)\n").arg(code);
    case kWifiAuthWpaNone:
        return QStringLiteral("WPA-None (%1)\n").arg(code);
    case kWifiAuthRsna:
        return QStringLiteral("RSNA (%1)\n").arg(code);
    case kWifiAuthRsnaPsk:
        return QStringLiteral("RSNA with PSK(%1)\n").arg(code);
    default:
        return QStringLiteral("Other (%1)\n").arg(code);
    }
}

int ProbeWifiStatus(WifiStatusTexts& texts, WifiBackend& backend) {
    SetDefaults(texts);
    if (!backend.Open())
        return 1;
    std::vector<WifiInterface> interfaces;
    if (!backend.EnumInterfaces(interfaces)) {
        backend.Close();
        return 1;
    }
    for (const WifiInterface& interface : interfaces) {
        if (!interface.connected)
            continue;
        std::vector<WifiNetwork> networks;
        if (!backend.GetAvailableNetworks(interface, networks)) {
            backend.Close();
            return 1;
        }
        for (const WifiNetwork& network : networks) {
            if (network.connected) {
                ShowNetwork(texts, network);
                backend.Close();
                return 0;
            }
        }
    }
    backend.Close();
    return 1;
}

int ProbeWifiStatus(WifiStatusTexts& texts, std::stop_token stop) {
    const auto backend = CreateSystemWifiBackend(std::move(stop));
    return ProbeWifiStatus(texts, *backend);
}

std::unique_ptr<WifiBackend> CreateSystemWifiBackend(std::stop_token stop) {
    return std::make_unique<NetworkManagerWifiBackend>(QString(), std::move(stop));
}

} // namespace zel
