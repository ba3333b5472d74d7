#pragma once

#include "device/DeviceLink.h"
#include "device/WorkerStopper.h"
#include "platform/WifiProbe.h"

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>

namespace zel {

// What one poller cycle hands to the main window. The texts are plain UTF-8 values, so none of
// the poller's implicitly shared Qt strings crosses to the window thread.
struct PollerUpdate {
    int generation = 0;   // which run of the poller sent it; older runs are ignored
    bool hasWifi = false; // the Wi-Fi texts were probed in this cycle
    std::array<std::string, 4> wifi;
    // 1038 connection, 1039 device number, 1041 version, 1040 battery, 1043 state, 1042 clock.
    std::array<std::string, 6> instrument;
    std::string ch1; // readout 1003
    std::string ch2; // readout 1004
    bool connected = false;
    bool syncEnabled = false; // button 1052
};

// The eight instrument texts for a status, or their not-connected defaults for none.
void FillInstrumentTexts(const DeviceStatus* status, PollerUpdate& update);

// The main window's status poller: every 500 ms it probes Wi-Fi until a connected network is
// found, then connects to the instrument, asks for its status and disconnects. It never waits
// for the window: every update goes out through `publish`, which must only queue it.
class StatusPoller {
public:
    // Fills the texts and returns true when the PC is on a Wi-Fi network. A probe that waits on
    // a system service gives up, returning false, once `stop` is requested.
    using WifiProbe = std::function<bool(WifiStatusTexts&, std::stop_token stop)>;
    using Publish = std::function<void(const PollerUpdate&)>;

    StatusPoller(DeviceLink& link, WifiProbe probe, Publish publish);
    ~StatusPoller();

    void Start();
    // Clears the running flag and tells a Wi-Fi probe in progress to give up, waits at most
    // 200 ms, cancels a poller still inside its cycle, and closes the link. Returns true when the
    // poller ended by itself.
    bool Stop();
    bool Running() const { return stopper_.Started(); }
    int Generation() const { return generation_.load(); }

    // The latest poll's result; kept while the poller is stopped.
    bool Connected() const;
    DeviceStatus LastStatus() const;
    void SetLastStatus(const DeviceStatus& status);

private:
    void Run(int generation, std::stop_token stop);
    bool PollInstrument(bool wifiOk, PollerUpdate& update);
    void Send(const PollerUpdate& update);
    bool SleepWhileRunning(std::chrono::milliseconds duration);

    DeviceLink& link_;
    WifiProbe probe_;
    Publish publish_;
    WorkerStopper stopper_;
    std::stop_source stopSource_;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> generation_{0};
    mutable std::mutex mutex_;
    bool connected_ = false;
    DeviceStatus status_;
};

} // namespace zel
