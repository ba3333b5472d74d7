#pragma once

#include <atomic>

namespace zel::cli {

// While one of these lives, Ctrl-C (SIGINT) and SIGTERM clear `keepGoing` instead of ending the
// process, so a command can stop its work cleanly and keep what it has.
class ScopedInterrupt {
public:
    explicit ScopedInterrupt(std::atomic<bool>& keepGoing);
    ~ScopedInterrupt();
    ScopedInterrupt(const ScopedInterrupt&) = delete;
    ScopedInterrupt& operator=(const ScopedInterrupt&) = delete;
};

} // namespace zel::cli
