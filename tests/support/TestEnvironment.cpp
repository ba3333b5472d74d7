// Linked into every test program: the environment every test runs in, set before main so it
// holds however the program is started (by ctest, by hand, or under a debugger).
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

struct TestEnvironment {
    TestEnvironment() {
        // Only the faces the setup installs, whatever else the machine has.
        ::setenv("FONTCONFIG_FILE", ZEL_FONTCONFIG_FILE, 1);
        // No display needed; a test program run on a desktop may still choose its own.
#ifdef ZEL_QPA_PLATFORM
        // This program's own offscreen screen, also where the run asks for the plain offscreen
        // platform.
        const char* asked = std::getenv("QT_QPA_PLATFORM");
        if (!asked || std::string(asked) == "offscreen")
            ::setenv("QT_QPA_PLATFORM", ZEL_QPA_PLATFORM, 1);
#else
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
        // Without a session's runtime folder Qt makes /tmp/runtime-<user> and leaves it; the
        // test program brings its own and takes it away again.
        if (!std::getenv("XDG_RUNTIME_DIR")) {
            std::error_code error;
            std::string pattern =
                (std::filesystem::temp_directory_path(error) / "zel-runtime-XXXXXX").string();
            if (!error && ::mkdtemp(pattern.data())) {
                runtimeDir = pattern;
                ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
            }
        }
    }
    ~TestEnvironment() {
        if (!runtimeDir.empty()) {
            std::error_code error;
            std::filesystem::remove_all(runtimeDir, error);
        }
    }
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    std::string runtimeDir;
};

const TestEnvironment environment;

} // namespace
