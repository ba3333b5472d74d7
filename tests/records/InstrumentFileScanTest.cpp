#include "records/InstrumentFileScan.h"
#include "platform/RemovableDrives.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

using namespace zel;
using zel::test::ReadBytes;
using zel::test::TempDir;
using zel::test::WriteBytes;

namespace fs = std::filesystem;

namespace {

std::vector<std::string> PathsOf(const std::vector<InstrumentFileEntry>& entries) {
    std::vector<std::string> paths;
    for (const auto& e : entries)
        paths.push_back(e.path);
    return paths;
}

void WriteText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// Scans as an ordinary user, so that a folder without permissions is unreadable even when the
// tests run as root (the file-system uid is per thread and drops root's override).
std::vector<InstrumentFileEntry> ScanAsOrdinaryUser(const std::vector<std::string>& roots) {
    const bool wasRoot = ::geteuid() == 0;
    if (wasRoot)
        ::setfsuid(65534);
    auto found = ScanInstrumentFiles(roots);
    if (wasRoot)
        ::setfsuid(0);
    return found;
}

TEST(InstrumentFileScanTest, NameRule) {
    const struct {
        const char* name;
        bool match;
    } cases[] = {
        {"data.TCH", true},   {"data.tch", false}, {"data.TCHX", true}, {"TCH", true},
        {"TCHABC", true},     {".TCH", true},      {"a.b.TCH", false},  {"data.TC", false},
        {"data.xTCH", false}, {"TC", false},       {"", false},         {"data.Tch", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsInstrumentFileName(c.name), c.match) << c.name;
}

TEST(InstrumentFileScanTest, SearchesDepthFirstAndPassesOverWhatItMayNotUse) {
    TempDir dir;
    const std::string root = dir / "stick";
    const std::string outside = dir / "outside";
    fs::create_directories(root + "/sub/deeper");
    fs::create_directories(root + "/.hidden");
    fs::create_directories(root + "/locked");
    fs::create_directories(outside);

    const std::string valid = dir / "valid.bin";
    ASSERT_TRUE(WriteInstrumentFile(valid, InstrumentStorage{}, {7, 1, 1400000000}));
    const auto header = ReadBytes(valid);
    const std::vector<std::uint8_t> headerOnly(header.begin(), header.begin() + 256);
    for (const char* name : {"/TCH", "/a.b.TCH", "/data.TCH", "/data.tch", "/sub/y.TCH",
                             "/sub/deeper/x.TCHX", "/.hidden/in.TCH", "/locked/z.TCH"})
        WriteBytes(root + name, headerOnly);
    auto broken = headerOnly;
    broken[8] = 8;
    WriteBytes(root + "/bad.TCH", broken);
    WriteBytes(root + "/short.TCH",
               std::vector<std::uint8_t>(headerOnly.begin(), headerOnly.begin() + 100));
    ASSERT_EQ(::mkfifo((root + "/pipe.TCH").c_str(), 0644), 0);
    WriteBytes(outside + "/o.TCH", headerOnly);
    fs::create_directory_symlink(outside, root + "/linkdir");
    fs::create_symlink(outside + "/o.TCH", root + "/link.TCH");

    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        if (!entry.is_symlink())
            fs::permissions(entry.path(), entry.is_directory() ? fs::perms(0755) : fs::perms(0644));
    fs::permissions(dir.path(), fs::perms(0755));
    fs::permissions(root + "/locked", fs::perms::none);

    const auto found = ScanAsOrdinaryUser({root, dir / "no-such-drive", outside});
    EXPECT_EQ(PathsOf(found), (std::vector<std::string>{
                                  root + "/TCH",
                                  root + "/data.TCH",
                                  root + "/sub/deeper/x.TCHX",
                                  root + "/sub/y.TCH",
                                  outside + "/o.TCH",
                              }));
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].deviceNumber, 7);
}

TEST(InstrumentFileScanTest, RemovableDrivesFromTheMountTable) {
    TempDir dir;
    const std::string sys = dir / "sys";
    WriteText(sys + "/devices/usb/block/sdb/removable", "1\n");
    WriteText(sys + "/devices/usb/block/sdb/sdb1/partition", "1\n");
    WriteText(sys + "/devices/usb/block/sdb/sdb1/removable", "0\n"); // partitions do not decide
    WriteText(sys + "/devices/ata/block/sda/removable", "0\n");
    WriteText(sys + "/devices/ata/block/sda/sda2/partition", "2\n");
    WriteText(sys + "/devices/card/block/mmcblk0/removable", "1\n");
    fs::create_directories(sys + "/dev/block");
    fs::create_directory_symlink("../../devices/usb/block/sdb/sdb1", sys + "/dev/block/8:17");
    fs::create_directory_symlink("../../devices/ata/block/sda/sda2", sys + "/dev/block/8:2");
    fs::create_directory_symlink("../../devices/card/block/mmcblk0", sys + "/dev/block/179:0");

    const std::string mountinfo =
        "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "30 22 0:5 / /proc rw,nosuid - proc proc rw\n"
        "40 22 8:17 / /media/user/MY\\040STICK rw,nosuid shared:5 - vfat /dev/sdb1 rw\n"
        "41 22 179:0 / /media/card rw - vfat /dev/mmcblk0 rw\n"
        "42 22 8:17 / /mnt/again rw - vfat /dev/sdb1 rw\n"
        "garbage\n";
    EXPECT_EQ(RemovableDriveRoots(mountinfo, sys),
              (std::vector<std::string>{"/media/user/MY STICK", "/media/card"}));
    EXPECT_TRUE(RemovableDriveRoots("", sys).empty());
}

} // namespace
