#include "sim/Simulator.h"
#include "tests/support/ProgramCopy.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace zel;
namespace fs = std::filesystem;

namespace {

// The program finds config.ini beside its executable also when the folder's name is not ASCII.
TEST(ConfigBesideExecutableTest, AddressIsReadFromAFolderWithChineseName) {
    sim::Simulator simulator;
    ASSERT_TRUE(simulator.Start());
    test::TempDir dir;
    const fs::path folder = fs::path(dir.path()) / "测量 数据";
    fs::create_directories(folder);
    const fs::path cli = folder / "zelmarine-cli";
    fs::copy_file(ZEL_CLI_PATH, cli);
    std::ofstream(folder / "config.ini") << "[ZELMARINE]\r\nip=127.0.0.1\r\n";

    int status = 0;
    const std::string output = test::RunAndRead(
        "'" + cli.string() + "' --port " + std::to_string(simulator.Port()) + " status --json",
        status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("\"deviceNumber\": 191012"), std::string::npos) << output;

    // Without the file the default address is used; that one must not be reached from here,
    // so only check that an over-long value is refused without a connection attempt.
    std::ofstream(folder / "config.ini") << "[ZELMARINE]\nip=127.000.000.001.extra\n";
    test::RunAndRead("'" + cli.string() + "' --port " + std::to_string(simulator.Port()) +
                         " status 2>/dev/null",
                     status);
    EXPECT_NE(status, 0);
    EXPECT_EQ(simulator.Connections(), 1);
}

} // namespace
