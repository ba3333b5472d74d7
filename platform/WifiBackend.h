#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// Authentication algorithm codes of the 802.11 standard as the Windows Wi-Fi API numbers them;
// the probe shows them in its security text.
enum WifiAuthAlgorithm : std::uint32_t {
    kWifiAuthOpen = 1,
    kWifiAuthSharedKey = 2,
    kWifiAuthWpa = 3,
    kWifiAuthWpaPsk = 4,
    kWifiAuthWpaNone = 5,
    kWifiAuthRsna = 6,
    kWifiAuthRsnaPsk = 7,
    kWifiAuthWpa3Enterprise192 = 8,
    kWifiAuthWpa3Sae = 9,
    kWifiAuthOwe = 10,
    kWifiAuthWpa3Enterprise = 11,
};

struct WifiInterface {
    std::string id;
    bool connected = false;
};

struct WifiNetwork {
    std::vector<std::uint8_t> ssid; // 0 to 32 bytes, not necessarily text
    int signalQuality = 0;          // 0 to 100
    std::uint32_t authAlgorithm = kWifiAuthOpen;
    bool connected = false; // the network the interface is associated with
};

// The system's Wi-Fi service as the probe sees it: a session, the wireless interfaces, and the
// networks one interface has in range. Every call returns false on failure.
class WifiBackend {
public:
    virtual ~WifiBackend() = default;

    virtual bool Open() = 0;
    virtual bool EnumInterfaces(std::vector<WifiInterface>& interfaces) = 0;
    virtual bool GetAvailableNetworks(const WifiInterface& interface,
                                      std::vector<WifiNetwork>& networks) = 0;
    virtual void Close() = 0;
};

} // namespace zel
