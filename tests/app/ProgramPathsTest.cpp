#include "common/Version.h"
#include "tests/support/ProgramCopy.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace zel;
namespace fs = std::filesystem;

namespace {

// The "Files:" part of a program's --help: where it keeps config.ini, records and pictures.
std::string FilesOf(const std::string& program, const std::string& environment) {
    int status = 0;
    const std::string help =
        test::RunAndRead(environment + test::Quoted(program) + " --help", status);
    EXPECT_EQ(status, 0) << program;
    const auto files = help.find("Files:\n");
    return files == std::string::npos ? std::string() : help.substr(files);
}

TEST(ProgramPathsTest, ProgramAndCliChooseTheSamePlaces) {
    test::TempDir dir;
    const std::string home = dir / "home";
    fs::create_directories(home + "/.config");
    std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/文档\"\n";
    // No display: --help is answered before the window system is needed.
    const std::string environment =
        test::UserEnvironment(home, "-u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ");

    const std::string bin = test::MakeInstallation(dir / "usr");
    const std::string installed = FilesOf(test::CopyProgram(ZEL_APP_PATH, bin), environment);
    EXPECT_EQ(installed, "Files:\n  settings  " + home + "/.config/Zelmarine/config.ini\n" +
                             "  records   " + home + "/文档/Zelmarine/ZMR\n" + "  pictures  " +
                             home + "/文档/Zelmarine/BMP\n");
    EXPECT_EQ(FilesOf(test::CopyProgram(ZEL_CLI_PATH, bin), environment), installed);

    const std::string portable = dir / "便携";
    const std::string beside = FilesOf(test::CopyProgram(ZEL_APP_PATH, portable), environment);
    EXPECT_EQ(beside, "Files:\n  settings  " + portable + "/config.ini\n  records   " + portable +
                          "/ZMR\n  pictures  " + portable + "/BMP\n");
    EXPECT_EQ(FilesOf(test::CopyProgram(ZEL_CLI_PATH, portable), environment), beside);
}

TEST(ProgramPathsTest, VersionIsAnsweredWithoutADisplay) {
    int status = 0;
    const std::string version =
        test::RunAndRead("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " +
                             test::Quoted(ZEL_APP_PATH) + " --demo --version",
                         status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(version, "zelmarine " + std::string(kProgramVersion) + "\n");
}

} // namespace
