// Linked into every test program: the environment every test runs in, set before main so it
// holds however the program is started (by ctest, by hand, or under a debugger).
#include <cstdlib>

namespace {

struct TestEnvironment {
    TestEnvironment() {
        // Only the faces the setup installs, whatever else the machine has.
        ::setenv("FONTCONFIG_FILE", ZEL_FONTCONFIG_FILE, 1);
        // No display needed; a test program run on a desktop may still choose its own.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
};

const TestEnvironment environment;

} // namespace
