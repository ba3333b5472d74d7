#pragma once

#include "platform/WifiBackend.h"

#include <mutex>

namespace zel {

// A Wi-Fi service that reports the interfaces and networks it is given, for the demo and the
// tests. Each operation can be made to fail. Safe to change from one thread while another
// probes.
class SimulatedWifiBackend : public WifiBackend {
public:
    struct Adapter {
        WifiInterface interface;
        std::vector<WifiNetwork> networks;
        bool listFails = false;
    };

    SimulatedWifiBackend() = default;
    // One connected interface associated with this network.
    SimulatedWifiBackend(const std::string& ssid, int signalQuality, std::uint32_t authAlgorithm);

    void SetAdapters(std::vector<Adapter> adapters);
    void SetOpenFails(bool fails);
    void SetEnumFails(bool fails);

    // How often Open() and Close() were called, to check that every session is closed.
    int OpenCount() const;
    int CloseCount() const;
    // Interfaces whose network list was asked for, in order.
    std::vector<std::string> ListedInterfaces() const;

    bool Open() override;
    bool EnumInterfaces(std::vector<WifiInterface>& interfaces) override;
    bool GetAvailableNetworks(const WifiInterface& interface,
                              std::vector<WifiNetwork>& networks) override;
    void Close() override;

private:
    mutable std::mutex mutex_;
    std::vector<Adapter> adapters_;
    bool openFails_ = false;
    bool enumFails_ = false;
    int opens_ = 0;
    int closes_ = 0;
    std::vector<std::string> listed_;
};

} // namespace zel
