#include "cli/ServiceNotifier.h"

#include <systemd/sd-daemon.h>

namespace zel::cli {

ServiceNotifier::ServiceNotifier() {
    std::uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0)
        watchdog_ = std::chrono::microseconds(usec);
}

void ServiceNotifier::Send(const std::string& state) {
    // Without a service manager listening this returns 0 at once; a failure changes nothing
    // about the recording.
    sd_notify(0, state.c_str());
}

void ServiceNotifier::Ready(const std::string& status) {
    if (!ready_.exchange(true))
        Send("READY=1\nSTATUS=" + status);
}

void ServiceNotifier::Status(const std::string& status) {
    Send("STATUS=" + status);
}

void ServiceNotifier::Stopping() {
    Send("STOPPING=1");
}

void ServiceNotifier::PingWatchdog() {
    if (watchdog_.count() > 0)
        Send("WATCHDOG=1");
}

WatchdogGate::WatchdogGate(std::chrono::microseconds period, std::chrono::milliseconds stallLimit,
                           Clock::time_point start)
    : interval_(period / 2), stallLimit_(stallLimit),
      lastProgress_(start.time_since_epoch().count()), lastPing_(start - period) {}

void WatchdogGate::Progress(Clock::time_point now) {
    lastProgress_.store(now.time_since_epoch().count());
}

bool WatchdogGate::Due(Clock::time_point now) {
    if (interval_.count() <= 0 || now - lastPing_ < interval_)
        return false;
    const Clock::time_point progress{Clock::duration(lastProgress_.load())};
    if (now - progress > stallLimit_)
        return false;
    lastPing_ = now;
    return true;
}

} // namespace zel::cli
