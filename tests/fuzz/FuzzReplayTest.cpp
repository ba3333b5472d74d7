// Runs every committed seed and every kept crash input of the fuzz targets through the same
// entry points the fuzzing programs call, so the normal and sanitizer builds check them too.

#include "fuzz/FuzzTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zel::fuzz {
// The test listing names a target by its name, not by its bytes.
void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}
} // namespace zel::fuzz

using namespace zel::fuzz;

namespace {

void ThrowOnFailure(const std::string& message) {
    throw std::runtime_error(message);
}

std::vector<std::uint8_t> Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> InputsOf(const std::string& target, const char* kind) {
    std::vector<fs::path> inputs;
    const fs::path folder = fs::path(ZEL_FUZZ_DIR) / kind / target;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

class FuzzReplayTest : public testing::TestWithParam<FuzzTarget> {
protected:
    void SetUp() override { SetCheckFailureHandler(ThrowOnFailure); }
    void TearDown() override { SetCheckFailureHandler(nullptr); }

    void Replay(const char* kind) {
        for (const fs::path& input : InputsOf(GetParam().name, kind)) {
            const std::vector<std::uint8_t> bytes = Contents(input);
            try {
                GetParam().run(bytes.data(), bytes.size());
            } catch (const std::exception& e) {
                ADD_FAILURE() << input.string() << ": " << e.what();
            }
        }
    }
};

TEST_P(FuzzReplayTest, SeedsAndKeptCrashInputsPassTheirChecks) {
    ASSERT_FALSE(InputsOf(GetParam().name, "corpus").empty()) << "no seeds for the target";
    Replay("corpus");
    Replay("regressions");
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, testing::ValuesIn(AllFuzzTargets()),
                         [](const testing::TestParamInfo<FuzzTarget>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
