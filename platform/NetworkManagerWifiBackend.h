#pragma once

#include "platform/WifiBackend.h"

#include <QString>
#include <QVariantList>

#include <memory>
#include <stop_token>

class QDBusMessage;

namespace zel {

class PrivateBusConnection;

// Wi-Fi facts from NetworkManager over D-Bus: its Wi-Fi devices (connected when activated) and,
// for a device, the access point it is associated with. Every call has a short timeout, so a
// missing bus or a NetworkManager that does not answer makes the probe fail quickly and
// quietly. A stop request ends a call at once, and every later one fails without being made.
class NetworkManagerWifiBackend : public WifiBackend {
public:
    static constexpr int kCallTimeoutMs = 500;
    // How long past its timeout a call is waited for before it is given up here.
    static constexpr int kCallGraceMs = 100;

    // Flags of NetworkManager's access-point properties.
    static constexpr std::uint32_t kApPrivacy = 0x1;
    static constexpr std::uint32_t kKeyMgmtPsk = 0x100;
    static constexpr std::uint32_t kKeyMgmt8021x = 0x200;
    static constexpr std::uint32_t kKeyMgmtSae = 0x400;
    static constexpr std::uint32_t kKeyMgmtOwe = 0x800;
    static constexpr std::uint32_t kKeyMgmtOweTm = 0x1000;
    static constexpr std::uint32_t kKeyMgmtSuiteB192 = 0x2000;

    // The system bus, or another one given by its address (tests run their own bus).
    explicit NetworkManagerWifiBackend(const QString& busAddress = {}, std::stop_token stop = {});
    ~NetworkManagerWifiBackend() override;

    bool Open() override;
    bool EnumInterfaces(std::vector<WifiInterface>& interfaces) override;
    bool GetAvailableNetworks(const WifiInterface& interface,
                              std::vector<WifiNetwork>& networks) override;
    void Close() override;

    // The authentication algorithm code (1 open, 2 WEP, 3 WPA-Enterprise, 4 WPA-PSK,
    // 6 WPA2-Enterprise, 7 WPA2-PSK, 8 to 11 for the WPA3 kinds and OWE, 0 for anything
    // unknown) of an access point with these flags.
    static std::uint32_t AuthAlgorithmFromFlags(std::uint32_t apFlags, std::uint32_t wpaFlags,
                                                std::uint32_t rsnFlags);

private:
    bool Call(const QString& path, const QString& interface, const QString& method,
              const QVariantList& arguments, QDBusMessage& reply) const;
    bool GetProperty(const QString& path, const QString& interface, const QString& name,
                     QVariant& value) const;

    QString busAddress_;
    std::stop_token stop_;
    std::unique_ptr<PrivateBusConnection> connection_;
    bool open_ = false;
};

} // namespace zel
