#include "platform/SimulatedWifiBackend.h"

namespace zel {

SimulatedWifiBackend::SimulatedWifiBackend(const std::string& ssid, int signalQuality,
                                           std::uint32_t authAlgorithm) {
    WifiNetwork network;
    network.ssid.assign(ssid.begin(), ssid.end());
    network.signalQuality = signalQuality;
    network.authAlgorithm = authAlgorithm;
    network.connected = true;
    adapters_.push_back({WifiInterface{"wlan0", true}, {network}, false});
}

void SimulatedWifiBackend::SetAdapters(std::vector<Adapter> adapters) {
    std::lock_guard lock(mutex_);
    adapters_ = std::move(adapters);
}

void SimulatedWifiBackend::SetOpenFails(bool fails) {
    std::lock_guard lock(mutex_);
    openFails_ = fails;
}

void SimulatedWifiBackend::SetEnumFails(bool fails) {
    std::lock_guard lock(mutex_);
    enumFails_ = fails;
}

int SimulatedWifiBackend::OpenCount() const {
    std::lock_guard lock(mutex_);
    return opens_;
}

int SimulatedWifiBackend::CloseCount() const {
    std::lock_guard lock(mutex_);
    return closes_;
}

std::vector<std::string> SimulatedWifiBackend::ListedInterfaces() const {
    std::lock_guard lock(mutex_);
    return listed_;
}

bool SimulatedWifiBackend::Open() {
    std::lock_guard lock(mutex_);
    if (openFails_)
        return false;
    ++opens_;
    return true;
}

bool SimulatedWifiBackend::EnumInterfaces(std::vector<WifiInterface>& interfaces) {
    std::lock_guard lock(mutex_);
    if (enumFails_)
        return false;
    interfaces.clear();
    for (const Adapter& adapter : adapters_)
        interfaces.push_back(adapter.interface);
    return true;
}

bool SimulatedWifiBackend::GetAvailableNetworks(const WifiInterface& interface,
                                                std::vector<WifiNetwork>& networks) {
    std::lock_guard lock(mutex_);
    listed_.push_back(interface.id);
    for (const Adapter& adapter : adapters_) {
        if (adapter.interface.id != interface.id)
            continue;
        if (adapter.listFails)
            return false;
        networks = adapter.networks;
        return true;
    }
    return false;
}

void SimulatedWifiBackend::Close() {
    std::lock_guard lock(mutex_);
    ++closes_;
}

} // namespace zel
