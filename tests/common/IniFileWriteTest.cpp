#include "common/IniFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace zel;

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

ino_t Inode(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_ino;
}

TEST(IniFileWriteTest, EveryLineKeepsItsOwnEndingAndNewLinesTakeTheFilesOne) {
    test::TempDir dir;
    const std::string path = dir / "config.ini";

    Put(path, "; mine\n[ZELMARINE]\nip=1.2.3.4\n");
    ASSERT_TRUE(IniFile::Write(path, "ZELMARINE", "ip", "10.0.0.5"));
    EXPECT_EQ(Contents(path), "; mine\n[ZELMARINE]\nip=10.0.0.5\n");
    ASSERT_TRUE(IniFile::Write(path, "Other", "key", "v"));
    EXPECT_EQ(Contents(path), "; mine\n[ZELMARINE]\nip=10.0.0.5\n\n[Other]\nkey=v\n");

    Put(path, "[ZELMARINE]\r\nport=1\r\n");
    ASSERT_TRUE(IniFile::Write(path, "zelmarine", "IP", "10.0.0.6"));
    EXPECT_EQ(Contents(path), "[ZELMARINE]\r\nport=1\r\nIP=10.0.0.6\r\n");

    // A file edited on both systems: each line as it was, new ones like the first.
    Put(path, "[A]\r\nx=1\n[ZELMARINE]\r\nip=1.1.1.1\n");
    ASSERT_TRUE(IniFile::Write(path, "ZELMARINE", "ip", "2.2.2.2"));
    ASSERT_TRUE(IniFile::Write(path, "A", "y", "2"));
    EXPECT_EQ(Contents(path), "[A]\r\nx=1\ny=2\r\n[ZELMARINE]\r\nip=2.2.2.2\n");

    // A last line without an ending keeps none, unless a line now follows it.
    Put(path, "[ZELMARINE]\nip=1.1.1.1");
    ASSERT_TRUE(IniFile::Write(path, "ZELMARINE", "ip", "3.3.3.3"));
    EXPECT_EQ(Contents(path), "[ZELMARINE]\nip=3.3.3.3");
    ASSERT_TRUE(IniFile::Write(path, "ZELMARINE", "extra", "1"));
    EXPECT_EQ(Contents(path), "[ZELMARINE]\nip=3.3.3.3\nextra=1\n");

    // A last line ended by a lone carriage return gets a whole ending once a line follows it,
    // or the new line would run into it and not read back.
    Put(path, "[ZELMARINE]\r\nport=1\r");
    ASSERT_TRUE(IniFile::Write(path, "ZELMARINE", "ip", "5.5.5.5"));
    EXPECT_EQ(Contents(path), "[ZELMARINE]\r\nport=1\r\nip=5.5.5.5\r\n");
    EXPECT_EQ(IniFile::Read(path, "ZELMARINE", "ip"), "5.5.5.5");
    EXPECT_EQ(IniFile::Read(path, "ZELMARINE", "port"), "1");

    fs::remove(path);
    ASSERT_TRUE(IniFile::Write(path, "ZELMARINE", "ip", "4.4.4.4"));
    EXPECT_EQ(Contents(path), "[ZELMARINE]\nip=4.4.4.4\n");
}

TEST(IniFileWriteTest, ReplacesAtomicallyWhereTheFolderAllowsAndKeepsThePermissions) {
    test::TempDir dir;
    const std::string path = dir / "config.ini";
    Put(path, "[ZELMARINE]\nip=1.1.1.1\n");
    ::chmod(path.c_str(), 0600);
    const ino_t before = Inode(path);
    ASSERT_TRUE(IniFile::Write(path, "ZELMARINE", "ip", "10.0.0.5"));
    EXPECT_NE(Inode(path), before) << "a new file was renamed over the old one";
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(IniFile::ReadOr(path, "ZELMARINE", "ip", ""), "10.0.0.5");
}

TEST(IniFileWriteTest, WritesInPlaceWhenNoFileCanBeRenamedOverIt) {
    test::TempDir dir;
    const std::string path = dir / "config.ini";
    Put(path, "[ZELMARINE]\nip=192.168.100.100\nkeep=1\n");
    const ino_t before = Inode(path);
    // Something that is not a file sits where the temporary file would go.
    fs::create_directory(path + ".tmp");
    ASSERT_TRUE(IniFile::Write(path, "ZELMARINE", "ip", "1.2.3.4"));
    EXPECT_EQ(Inode(path), before);
    EXPECT_EQ(Contents(path), "[ZELMARINE]\nip=1.2.3.4\nkeep=1\n") << "the shorter text is cut";

    // ... and fails when there is no file to write in place.
    fs::remove(path);
    EXPECT_FALSE(IniFile::Write(path, "ZELMARINE", "ip", "1.2.3.4"));
    EXPECT_FALSE(fs::exists(path));
}

TEST(IniFileWriteTest, WritesInPlaceInAFolderItMayNotWriteTo) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind root";
    test::TempDir dir;
    const std::string folder = dir / "locked";
    fs::create_directory(folder);
    const std::string path = folder + "/config.ini";
    Put(path, "[ZELMARINE]\nip=1.1.1.1\n");
    ::chmod(folder.c_str(), 0555);
    EXPECT_TRUE(IniFile::Write(path, "ZELMARINE", "ip", "10.0.0.9"));
    EXPECT_EQ(IniFile::ReadOr(path, "ZELMARINE", "ip", ""), "10.0.0.9");
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(IniFile::Write(path, "ZELMARINE", "ip", "10.0.0.10"));
    ::chmod(folder.c_str(), 0755);
    // A file its owner made read-only is not replaced even where the folder would allow it.
    EXPECT_FALSE(IniFile::Write(path, "ZELMARINE", "ip", "10.0.0.10"));
    EXPECT_EQ(IniFile::ReadOr(path, "ZELMARINE", "ip", ""), "10.0.0.9");
}

TEST(IniFileWriteTest, SymbolicLinkIsFollowedToItsTarget) {
    test::TempDir dir;
    fs::create_directories(dir / "real");
    const std::string target = dir / "real/zelmarine.ini";
    const std::string link = dir / "config.ini";
    Put(target, "[ZELMARINE]\r\nip=1.1.1.1\r\n");
    fs::create_symlink("real/zelmarine.ini", link); // relative to the link's folder
    ASSERT_TRUE(IniFile::Write(link, "ZELMARINE", "ip", "10.0.0.5"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(target), "[ZELMARINE]\r\nip=10.0.0.5\r\n");
    EXPECT_FALSE(fs::exists(link + ".tmp"));

    // A chain of links, the last one dangling: the file is made where the chain ends.
    const std::string second = dir / "second.ini";
    fs::create_symlink(dir / "real/new.ini", second);
    fs::remove(link);
    fs::create_symlink(second, link);
    ASSERT_TRUE(IniFile::Write(link, "ZELMARINE", "ip", "10.0.0.6"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(second));
    EXPECT_EQ(IniFile::ReadOr(dir / "real/new.ini", "ZELMARINE", "ip", ""), "10.0.0.6");

    // A loop is refused, not written over.
    fs::remove(second);
    fs::create_symlink(link, second);
    EXPECT_FALSE(IniFile::Write(link, "ZELMARINE", "ip", "10.0.0.7"));
    EXPECT_TRUE(fs::is_symlink(link));
}

} // namespace
