#include "common/FileLocations.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace zel;

namespace {

// A home folder and a program folder side by side in a temporary folder.
class FileLocationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = dir / "home";
        program = dir / "opt/zelmarine/";
        fs::create_directories(home);
        fs::create_directories(program);
        facts.moduleDirectory = program;
        facts.moduleWritable = true;
        facts.home = home;
    }

    // Lays the program out the way an installation does: <prefix>/bin and the desktop entry.
    void Install() {
        program = dir / "usr/bin/";
        fs::create_directories(program);
        fs::create_directories(dir / "usr/share/applications");
        std::ofstream(dir / ("usr/share/applications/" + std::string(kApplicationId) + ".desktop"))
            << "[Desktop Entry]\n";
        facts.moduleDirectory = program;
    }

    void UserDirs(const std::string& text) {
        fs::create_directories(home + "/.config");
        std::ofstream(home + "/.config/user-dirs.dirs") << text;
    }

    test::TempDir dir;
    std::string home, program;
    LocationFacts facts;
};

TEST_F(FileLocationsTest, WritableFolderKeepsEverythingBesideTheExecutable) {
    const FileLocations places = FileLocations::Choose(facts);
    EXPECT_FALSE(places.PerUser());
    EXPECT_EQ(places.ConfigFile(), program + "config.ini");
    EXPECT_EQ(places.RecordDirectory(), program + "ZMR");
    EXPECT_EQ(places.PictureDirectory(), program + "BMP");
    // Nothing is created beside the program just by asking.
    EXPECT_EQ(places.UseRecordDirectory(), program + "ZMR");
    EXPECT_FALSE(fs::exists(program + "ZMR"));
}

TEST_F(FileLocationsTest, UnwritableFolderUsesTheUsersPlacesCreatedOnFirstUse) {
    facts.moduleWritable = false;
    const FileLocations places = FileLocations::Choose(facts);
    EXPECT_TRUE(places.PerUser());
    EXPECT_EQ(places.ConfigFile(), home + "/.config/Zelmarine/config.ini");
    EXPECT_EQ(places.RecordDirectory(), home + "/Documents/Zelmarine/ZMR");
    EXPECT_EQ(places.PictureDirectory(), home + "/Documents/Zelmarine/BMP");
    EXPECT_FALSE(fs::exists(home + "/.config"));
    EXPECT_FALSE(fs::exists(home + "/Documents"));

    EXPECT_EQ(places.UseConfigFile(), places.ConfigFile());
    struct stat st {};
    ASSERT_EQ(::stat((home + "/.config/Zelmarine").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u) << "the settings folder is its owner's alone";
    EXPECT_FALSE(fs::exists(places.ConfigFile())) << "the file itself is left to its writer";

    EXPECT_TRUE(fs::is_directory(places.UseRecordDirectory()));
    EXPECT_TRUE(fs::is_directory(places.UsePictureDirectory()));
}

TEST_F(FileLocationsTest, InstalledCopyUsesTheUsersPlacesEvenWhenItMayWriteItsFolder) {
    Install();
    EXPECT_TRUE(FileLocations::Choose(facts).PerUser());

    // A config.ini already beside a writable executable wins, and the files stay with it.
    std::ofstream(program + "config.ini") << "[ZELMARINE]\nip=10.0.0.5\n";
    const FileLocations places = FileLocations::Choose(facts);
    EXPECT_FALSE(places.PerUser());
    EXPECT_EQ(places.ConfigFile(), program + "config.ini");
    EXPECT_EQ(places.RecordDirectory(), program + "ZMR");

    // Beside an executable that cannot write there it is of no use for records.
    facts.moduleWritable = false;
    EXPECT_TRUE(FileLocations::Choose(facts).PerUser());
}

TEST_F(FileLocationsTest, ConfigurationHomeAndDocumentsFolderFollowTheXdgSettings) {
    facts.moduleWritable = false;
    facts.configHome = dir / "cfg/";
    fs::create_directories(dir / "cfg");
    std::ofstream(dir / "cfg/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                 "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
                                                 "XDG_DOCUMENTS_DIR=\"$HOME/文档\"\n";
    FileLocations places = FileLocations::Choose(facts);
    EXPECT_EQ(places.ConfigFile(), dir / "cfg/Zelmarine/config.ini");
    EXPECT_EQ(places.RecordDirectory(), home + "/文档/Zelmarine/ZMR");

    // A relative XDG_CONFIG_HOME is not a valid setting; the file beside it is not read either.
    facts.configHome = "cfg";
    places = FileLocations::Choose(facts);
    EXPECT_EQ(places.ConfigFile(), home + "/.config/Zelmarine/config.ini");
    EXPECT_EQ(places.RecordDirectory(), home + "/Documents/Zelmarine/ZMR");

    // Without user-dirs.dirs the environment's XDG_DOCUMENTS_DIR counts, if absolute.
    facts.documentsSetting = dir / "Papers";
    EXPECT_EQ(FileLocations::Choose(facts).RecordDirectory(), dir / "Papers/Zelmarine/ZMR");
    facts.documentsSetting = "Papers";
    EXPECT_EQ(FileLocations::Choose(facts).RecordDirectory(), home + "/Documents/Zelmarine/ZMR");
}

TEST_F(FileLocationsTest, UserDirsFileIsReadLikeTheShellReadsIt) {
    facts.moduleWritable = false;
    const auto records = [this] { return FileLocations::Choose(facts).RecordDirectory(); };

    UserDirs("XDG_DOCUMENTS_DIR=\"/srv/data/my \\\"docs\\\"\"\n");
    EXPECT_EQ(records(), "/srv/data/my \"docs\"/Zelmarine/ZMR");

    // The documents folder switched off points at the home folder itself.
    UserDirs("XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
    EXPECT_EQ(records(), home + "/Zelmarine/ZMR");

    // The last valid line wins; values that are neither $HOME-relative nor absolute are ignored.
    UserDirs("XDG_DOCUMENTS_DIR=\"$HOME/One\"\nXDG_DOCUMENTS_DIR=\"$HOME/Two\"\n"
             "XDG_DOCUMENTS_DIR=\"relative\"\nXDG_DOCUMENTS_DIR=$HOME/unquoted\n"
             "XDG_DOCUMENTS_DIR=\"$HOMEWORK\"\n");
    EXPECT_EQ(records(), home + "/Two/Zelmarine/ZMR");
}

TEST_F(FileLocationsTest, NoHomeFolderLeavesTheFilesBesideTheExecutable) {
    facts.moduleWritable = false;
    facts.home.clear();
    EXPECT_EQ(FileLocations::Choose(facts).ConfigFile(), program + "config.ini");
    facts.home = "relative/home";
    EXPECT_EQ(FileLocations::Choose(facts).ConfigFile(), program + "config.ini");
}

} // namespace
