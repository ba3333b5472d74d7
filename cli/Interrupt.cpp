#include "cli/Interrupt.h"

#include <csignal>

namespace zel::cli {
namespace {

std::atomic<std::atomic<bool>*> g_flag{nullptr};
static_assert(std::atomic<std::atomic<bool>*>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

struct sigaction g_oldInt;
struct sigaction g_oldTerm;

void OnSignal(int) {
    if (auto* flag = g_flag.load())
        flag->store(false);
}

} // namespace

ScopedInterrupt::ScopedInterrupt(std::atomic<bool>& keepGoing) {
    g_flag.store(&keepGoing);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_oldInt);
    sigaction(SIGTERM, &action, &g_oldTerm);
}

ScopedInterrupt::~ScopedInterrupt() {
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGTERM, &g_oldTerm, nullptr);
    g_flag.store(nullptr);
}

} // namespace zel::cli
