#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace zel::cli {

// What a recording tells systemd when it runs as a service of Type=notify: that it is ready
// (once its first block is written), what it is doing, that it is stopping, and the watchdog's
// pings. Outside a service (no NOTIFY_SOCKET) every call does nothing.
class ServiceNotifier {
public:
    ServiceNotifier();

    // The watchdog's period as the service manager set it; zero without a watchdog.
    std::chrono::microseconds WatchdogPeriod() const { return watchdog_; }
    void Ready(const std::string& status);
    void Status(const std::string& status);
    void Stopping();
    void PingWatchdog();

private:
    void Send(const std::string& state);
    std::chrono::microseconds watchdog_{0};
    std::atomic<bool> ready_{false};
};

// Decides when the watchdog is pinged: at half its period, and only while the recording gets
// somewhere. A block written or a reconnect attempt counts as getting somewhere; a recording
// that had neither for `stallLimit` has hung, and the pings stop so that systemd restarts it.
// Progress may be reported from any thread; Due is asked by one.
class WatchdogGate {
public:
    using Clock = std::chrono::steady_clock;
    WatchdogGate(std::chrono::microseconds period, std::chrono::milliseconds stallLimit,
                 Clock::time_point start);

    void Progress(Clock::time_point now);
    // True when a ping is due now; the caller sends it.
    bool Due(Clock::time_point now);

private:
    const std::chrono::microseconds interval_;
    const std::chrono::milliseconds stallLimit_;
    std::atomic<Clock::rep> lastProgress_;
    Clock::time_point lastPing_;
};

} // namespace zel::cli
