#include "FakeUDisks.h"

#include "platform/UDisksDriveLister.h"
#include "records/InstrumentFileScan.h"
#include "tests/support/TempDir.h"

#include <QStandardPaths>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

using namespace zel;
using Drive = FakeUDisks::Drive;
using Block = FakeUDisks::Block;

namespace {

class UDisksDriveListerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(udisks.Start(registerService)) << "cannot start a private bus";
    }

    // Lists on another thread, as a blocking call from the window would, while this thread
    // serves the stand-in's calls.
    std::optional<std::vector<std::string>> List() {
        std::optional<std::vector<std::string>> result;
        std::atomic<bool> done{false};
        std::thread caller([&] {
            result = UDisksDriveLister(udisks.Address()).List();
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
        caller.join();
        return result;
    }

    bool registerService = true;
    FakeUDisks udisks;
};

TEST_F(UDisksDriveListerTest, RemovableAndUsbAndSdioDrivesWithoutSystemOrOpticalOnes) {
    udisks.drives = {
        Drive{"Stick", true, true, "usb", false, {"thumb"}},
        Drive{"CardReader", false, false, "sdio", false, {"flash_sd"}},
        Drive{"UsbDisk", false, false, "usb", false, {}},
        Drive{"Internal", false, false, "", false, {}},
        Drive{"Dvd", true, true, "ata", false, {"optical_cd", "optical_dvd"}},
        Drive{"UsbDvd", true, true, "usb", true, {}},
        Drive{"Floppy", false, true, "", false, {"floppy"}},
    };
    udisks.blocks = {
        Block{"sdb1", "Stick", false, false, true, {"/media/u/STICK", "/mnt/again"}},
        Block{"mmcblk0p1", "CardReader", false, false, true, {"/media/u/SD CARD"}},
        Block{"sdc1", "UsbDisk", false, false, true, {"/media/u/BACKUP"}},
        Block{"sdc2", "UsbDisk", true, false, true, {"/boot/efi"}},         // system
        Block{"sdc3", "UsbDisk", false, true, true, {"/media/u/RECOVERY"}}, // hidden
        Block{"sda1", "Internal", false, false, true, {"/"}},
        Block{"sr0", "Dvd", false, false, true, {"/media/u/DISC"}},
        Block{"sr1", "UsbDvd", false, false, true, {"/media/u/DISC2"}},
        Block{"sdd", "Stick", false, false, false, {}},    // the disk itself, no file system
        Block{"sde1", "Floppy", false, false, true, {}},   // not mounted
        Block{"loop0", "", false, false, true, {"/snap"}}, // no drive
    };
    const auto drives = List();
    ASSERT_TRUE(drives);
    EXPECT_EQ(*drives,
              (std::vector<std::string>{"/media/u/SD CARD", "/media/u/STICK", "/media/u/BACKUP"}));
}

TEST_F(UDisksDriveListerTest, TheSearchRunsOverTheMountPointsTheServiceGives) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "stick/DATA");
    std::filesystem::create_directories(dir / "disk");
    InstrumentStorage storage;
    for (const std::string& path : {dir / "stick/DATA/a.TCH", dir / "disk/b.TCH"})
        ASSERT_TRUE(WriteInstrumentFile(path, storage, {7, 1, 0}));
    udisks.drives = {Drive{"Stick", true, true, "usb", false, {}},
                     Drive{"Internal", false, false, "ata", false, {}}};
    udisks.blocks = {
        Block{"sdb1", "Stick", false, false, true, {QString::fromStdString(dir / "stick")}},
        Block{"sda1", "Internal", false, false, true, {QString::fromStdString(dir / "disk")}}};
    const auto drives = List();
    ASSERT_TRUE(drives);
    const auto found = ScanInstrumentFiles(*drives);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, dir / "stick/DATA/a.TCH");
}

class UDisksAbsentTest : public UDisksDriveListerTest {
protected:
    UDisksAbsentTest() { registerService = false; }
};

TEST_F(UDisksAbsentTest, NoServiceGivesNothingSoTheKernelRuleIsUsed) {
    EXPECT_FALSE(List());
    EXPECT_FALSE(UDisksDriveLister(QStringLiteral("unix:path=/nonexistent/bus")).List());
}

} // namespace
