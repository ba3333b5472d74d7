#include "sim/Simulator.h"
#include "tests/support/ProgramCopy.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace zel;
namespace fs = std::filesystem;

namespace {

// zelmarine-cli copied into an installation under a temporary folder, run by a user whose home
// folder is there too.
class InstalledCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimConfig config;
        config.frameIntervalMs = 20;
        simulator = std::make_unique<sim::Simulator>(config);
        ASSERT_TRUE(simulator->Start());
        home = dir / "home";
        fs::create_directories(home);
        bin = test::MakeInstallation(dir / "usr");
        cli = test::CopyProgram(ZEL_CLI_PATH, bin);
    }

    std::string Cli(const std::string& args, int& status) {
        return test::RunAndRead(test::UserEnvironment(home) + test::Quoted(cli) + " --port " +
                                    std::to_string(simulator->Port()) + " " + args + " 2>/dev/null",
                                status);
    }

    static void WriteAddress(const std::string& path, const std::string& address) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "[ZELMARINE]\nip=" << address << "\n";
    }

    test::TempDir dir;
    std::unique_ptr<sim::Simulator> simulator;
    std::string home, bin, cli;
};

TEST_F(InstalledCliTest, KeepsItsFilesInTheUsersFoldersCreatedOnFirstUse) {
    int status = 0;
    const std::string help = Cli("--help", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(help.find("settings  " + home + "/.config/Zelmarine/config.ini\n"), std::string::npos)
        << help;
    EXPECT_NE(help.find("records   " + home + "/Documents/Zelmarine/ZMR\n"), std::string::npos);
    EXPECT_NE(help.find("pictures  " + home + "/Documents/Zelmarine/BMP\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(home + "/.config")) << "asking for help creates nothing";
    EXPECT_FALSE(fs::exists(home + "/Documents"));

    // The address comes from the user's config.ini: the simulator is reached only through it.
    WriteAddress(home + "/.config/Zelmarine/config.ini", "127.0.0.1");
    const std::string recorded = Cli("record --blocks 2", status);
    ASSERT_EQ(status, 0) << recorded;
    EXPECT_EQ(recorded.rfind(home + "/Documents/Zelmarine/ZMR/R-191012-", 0), 0u) << recorded;
    EXPECT_TRUE(fs::exists(recorded.substr(0, recorded.find('\t'))));
    EXPECT_FALSE(fs::exists(bin + "/ZMR"));
    EXPECT_FALSE(fs::exists(bin + "/config.ini"));
}

TEST_F(InstalledCliTest, ConfigBesideAWritableExecutableWins) {
    WriteAddress(bin + "/config.ini", "127.0.0.1");
    // Not reachable: the test fails if this one were read.
    WriteAddress(home + "/.config/Zelmarine/config.ini", "127.0.0.2");
    int status = 0;
    const std::string recorded = Cli("record --blocks 2", status);
    ASSERT_EQ(status, 0) << recorded;
    EXPECT_EQ(recorded.rfind(bin + "/ZMR/R-191012-", 0), 0u) << recorded;
    EXPECT_FALSE(fs::exists(home + "/Documents"));
    EXPECT_EQ(simulator->Connections(), 2) << "status, then the live stream";
}

TEST_F(InstalledCliTest, PortableCopyInAFolderItMayNotWriteToUsesTheUsersFolders) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind root";
    const std::string portable = test::CopyProgram(ZEL_CLI_PATH, dir / "portable");
    fs::permissions(dir / "portable", fs::perms::owner_read | fs::perms::owner_exec);
    int status = 0;
    const std::string help =
        test::RunAndRead(test::UserEnvironment(home) + test::Quoted(portable) + " --help", status);
    fs::permissions(dir / "portable", fs::perms::owner_all);
    EXPECT_EQ(status, 0);
    EXPECT_NE(help.find("records   " + home + "/Documents/Zelmarine/ZMR\n"), std::string::npos)
        << help;
}

} // namespace
