#include "records/InstrumentFile.h"

#include "common/LocalTime.h"
#include "records/RecordFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>

using namespace zel;
using zel::test::ReadBytes;
using zel::test::TempDir;
using zel::test::WriteBytes;

namespace {

TrendFrame FrameAt(std::int64_t time, int marker) {
    TrendFrame f;
    f.time = time;
    f.block.ch1[0] = static_cast<std::int16_t>(marker);
    f.block.ch2[61] = static_cast<std::int16_t>(-marker);
    return f;
}

using test::Local;

// Frames `step` seconds apart starting at `start`, numbered from `firstMarker`.
std::vector<TrendFrame> Recording(std::int64_t start, int count, int step, int firstMarker) {
    std::vector<TrendFrame> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back(FrameAt(start + i * step, firstMarker + i));
    return frames;
}

StoredBlockBytes DateBytes(std::uint8_t y, std::uint8_t mo, std::uint8_t d, std::uint8_t h,
                           std::uint8_t mi, std::uint8_t s) {
    return {y, mo, d, h, mi, s};
}

const InstrumentFileHeader kHeader{12, 34, 0};

struct Converted {
    ConvertResult result;
    std::vector<RecordFileSummary> files;
    std::vector<int> markers; // ch1[0] of every block written, file by file
};

Converted Convert(const std::string& path, const std::string& outDir) {
    Converted c;
    c.result = ConvertInstrumentFile(
        path, [&](const RecordFileSummary& s) { c.files.push_back(s); }, outDir);
    for (const auto& s : c.files) {
        const auto data = ReadRecordFile(s.path);
        EXPECT_TRUE(data);
        for (std::size_t p = 0; data && p < data->points.size(); p += kTrendPointsPerBlock)
            c.markers.push_back(data->points[p].ch1);
    }
    return c;
}

TEST(InstrumentFileTest, EntryComesFromAValidHeader) {
    TempDir dir;
    InstrumentStorage storage;
    const std::string path = dir / "data.TCH";
    ASSERT_TRUE(WriteInstrumentFile(path, storage, {12, 34, Local(2014, 3, 5, 8, 9, 10)}));
    EXPECT_EQ(std::filesystem::file_size(path), 256u + 4194304u);

    const auto entry = ReadInstrumentFileEntry(path);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->path, path);
    EXPECT_EQ(entry->transferTime, "2014-3-5 8:9:10");
    EXPECT_EQ(entry->deviceNumber, 12);

    auto bytes = ReadBytes(path);
    bytes[200] ^= 0x40; // an uninterpreted byte, but under the checksum
    WriteBytes(dir / "bad.TCH", bytes);
    EXPECT_FALSE(ReadInstrumentFileEntry(dir / "bad.TCH"));
    WriteBytes(dir / "short.TCH", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 255));
    EXPECT_FALSE(ReadInstrumentFileEntry(dir / "short.TCH"));
    EXPECT_FALSE(ReadInstrumentFileEntry(dir / "missing.TCH"));
}

TEST(InstrumentFileTest, RecordingsAnHourApartBecomeTwoNumberedFilesInTimeOrder) {
    TempDir dir;
    InstrumentStorage storage;
    const std::int64_t ten = Local(2014, 3, 5, 10, 0, 0);
    storage.SetSlotFrames(0, Recording(ten + 3600, 2, 1, 100)); // the later recording first
    storage.SetSlotFrames(1, Recording(ten, 3, 10, 1));
    storage.recordSlots = 2;
    const std::string path = dir / "d.TCH";
    ASSERT_TRUE(WriteInstrumentFile(path, storage, kHeader));

    const Converted c = Convert(path, dir / "ZMR");
    EXPECT_EQ(c.result.status, ConvertStatus::Converted);
    EXPECT_EQ(c.result.frames, 5);
    ASSERT_EQ(c.files.size(), 2u);
    EXPECT_EQ(c.files[0].number, 1);
    EXPECT_EQ(c.files[0].blocks, 3);
    EXPECT_EQ(c.files[0].path, dir / "ZMR/U-191012-20140305100000.zmr");
    EXPECT_EQ(c.files[1].number, 2);
    EXPECT_EQ(c.files[1].blocks, 2);
    EXPECT_EQ(c.files[1].startTime, "2014-03-05 11:00:00");
    EXPECT_EQ(c.markers, (std::vector<int>{1, 2, 3, 100, 101}));
    const auto data = ReadRecordFile(c.files[0].path);
    EXPECT_EQ(data->header.deviceNumber, 12);
    EXPECT_EQ(data->header.deviceVersion, 34);
}

TEST(InstrumentFileTest, SlotByteDecidesHowManySlotsAreRead) {
    InstrumentStorage storage;
    const std::int64_t start = Local(2015, 6, 1, 12, 0, 0);
    for (int s = 0; s < 3; ++s)
        storage.SetSlotFrames(s, Recording(start + s * 3600, 1, 1, s));
    storage.SetSlotFrames(63, Recording(start + 10 * 3600, 1, 1, 63));
    const struct {
        std::uint8_t slotByte;
        std::vector<int> markers;
    } cases[] = {
        {0x02, {0, 1}},
        {0x03, {0, 1, 2}},
        {0x82, {0, 1, 2, 63}},
        {0x80, {0, 1, 2, 63}},
        {0, {}},
        // Counts past the 64 slots (damaged header) read the 64 and nothing beyond the image.
        {0x40, {0, 1, 2, 63}},
        {0x41, {0, 1, 2, 63}},
        {0x7F, {0, 1, 2, 63}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        storage.recordSlots = c.slotByte;
        ASSERT_TRUE(WriteInstrumentFile(dir / "d.TCH", storage, kHeader));
        const Converted got = Convert(dir / "d.TCH", dir.path());
        EXPECT_EQ(got.result.status, ConvertStatus::Converted);
        EXPECT_EQ(got.markers, c.markers) << int(c.slotByte);
    }
}

TEST(InstrumentFileTest, FailedBlocksContributeNothingAndTheWalkGoesOn) {
    TempDir dir;
    InstrumentStorage storage;
    const std::int64_t start = Local(2014, 3, 5, 10, 0, 0);
    storage.SetSlotFrames(0, Recording(start, 6, 10, 1));
    storage.slotData[0].rawData[3] = DateBytes(100, 1, 1, 0, 0, 0);  // not a two-digit year
    storage.slotData[0].rawData[4] = DateBytes(14, 3, 5, 10, 0, 60); // second 60
    storage.slotData[0].rawData[5] = DateBytes(14, 0, 5, 10, 0, 0);  // month 0
    storage.SetSlotFrames(1, Recording(start + 3000, 2, 1, 50)); // information block broken below
    storage.SetSlotFrames(2, Recording(start + 6000, 3, 1, 70));
    storage.slotData[2].frameCount = 2; // the third frame is not announced
    storage.recordSlots = 3;
    ASSERT_TRUE(WriteInstrumentFile(dir / "d.TCH", storage, kHeader));

    auto bytes = ReadBytes(dir / "d.TCH");
    bytes[256 + 0 * 65536 + 2 * 256 + 100] ^= 1; // slot 0, data block 2: checksum fails
    bytes[256 + 1 * 65536 + 10] ^= 1;            // slot 1, information block: checksum fails
    WriteBytes(dir / "d.TCH", bytes);

    const Converted c = Convert(dir / "d.TCH", dir.path());
    EXPECT_EQ(c.result.status, ConvertStatus::Converted);
    EXPECT_EQ(c.result.frames, 4);
    EXPECT_EQ(c.markers, (std::vector<int>{1, 6, 70, 71}));
}

TEST(InstrumentFileTest, YearsUpTo2099AreConverted) {
    TempDir dir;
    InstrumentStorage storage;
    storage.slotData[0].frameCount = 5;
    storage.slotData[0].rawData[1] = DateBytes(20, 1, 1, 0, 0, 0);
    storage.slotData[0].rawData[2] = DateBytes(26, 7, 15, 9, 30, 0);
    storage.slotData[0].rawData[3] = DateBytes(99, 12, 31, 23, 59, 59);
    storage.slotData[0].rawData[4] = DateBytes(100, 1, 1, 0, 0, 0);
    storage.slotData[0].rawData[5] = DateBytes(255, 1, 1, 0, 0, 0); // erased storage
    storage.recordSlots = 1;
    ASSERT_TRUE(WriteInstrumentFile(dir / "d.TCH", storage, kHeader));

    const Converted c = Convert(dir / "d.TCH", dir.path());
    EXPECT_EQ(c.result.frames, 3);
    ASSERT_EQ(c.files.size(), 3u);
    EXPECT_EQ(c.files[0].startTime, "2020-01-01 00:00:00");
    EXPECT_EQ(c.files[1].startTime, "2026-07-15 09:30:00");
    EXPECT_EQ(c.files[2].startTime, "2099-12-31 23:59:59");
}

TEST(InstrumentFileTest, FilesThatCannotBeReadOrWrittenAreReported) {
    TempDir dir;
    InstrumentStorage storage;
    storage.SetSlotFrames(0, Recording(Local(2014, 3, 5, 10, 0, 0), 1, 1, 1));
    storage.recordSlots = 1;
    ASSERT_TRUE(WriteInstrumentFile(dir / "d.TCH", storage, kHeader));
    const auto full = ReadBytes(dir / "d.TCH");

    auto longer = full;
    longer.resize(full.size() + 1000, 0x11); // bytes after the image are ignored
    WriteBytes(dir / "long.TCH", longer);
    EXPECT_EQ(Convert(dir / "long.TCH", dir / "out").markers, std::vector<int>{1});

    for (const std::size_t size : {full.size() - 1, std::size_t{256}, std::size_t{100}}) {
        WriteBytes(dir / "cut.TCH", std::vector<std::uint8_t>(full.begin(), full.begin() + size));
        const Converted c = Convert(dir / "cut.TCH", dir / "cut");
        EXPECT_EQ(c.result.status, ConvertStatus::TooShort) << size;
        EXPECT_TRUE(c.files.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "cut"));
    EXPECT_EQ(Convert(dir / "missing.TCH", dir / "cut").result.status, ConvertStatus::CannotOpen);
    // Reads as a storage without recordings, but is no instrument data file.
    for (const std::string& notAFile : {dir.path(), std::string("/dev/zero")}) {
        EXPECT_EQ(Convert(notAFile, dir / "cut").result.status, ConvertStatus::NotRegularFile)
            << notAFile;
        EXPECT_FALSE(ReadInstrumentFileEntry(notAFile)) << notAFile;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "cut"));

    WriteBytes(dir / "plain", {0});
    const Converted blocked = Convert(dir / "d.TCH", dir / "plain");
    EXPECT_EQ(blocked.result.status, ConvertStatus::WriteFailed);
    EXPECT_EQ(blocked.result.systemError, ENOTDIR) << "the system's reason reaches the caller";
    EXPECT_FALSE(WriteInstrumentFile(dir / "plain/x.TCH", storage, kHeader));
}

// Restores the process's time zone when the test ends.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            previous_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (previous_)
            ::setenv("TZ", previous_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> previous_;
};

TEST(InstrumentFileTest, DatesAreReadWithTheZonesDaylightSaving) {
    ASSERT_TRUE(std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin"));
    TimeZone berlin("Europe/Berlin");
    TempDir dir;
    InstrumentStorage storage;
    // The clocks go from 02:00 to 03:00 on 2014-03-30: these two blocks are 15 s apart.
    storage.slotData[0].frameCount = 2;
    storage.slotData[0].rawData[1] = DateBytes(14, 3, 30, 1, 59, 50);
    storage.slotData[0].rawData[2] = DateBytes(14, 3, 30, 3, 0, 5);
    // Summer time: 12:00 in Berlin is 10:00 UTC.
    storage.SetSlotFrames(1, {FrameAt(1404208800, 9)}); // 2014-07-01 10:00:00 UTC
    storage.recordSlots = 2;
    ASSERT_TRUE(WriteInstrumentFile(dir / "d.TCH", storage, {1, 1, 1404208800}));
    EXPECT_EQ(ReadInstrumentFileEntry(dir / "d.TCH")->transferTime, "2014-7-1 12:0:0");

    const Converted c = Convert(dir / "d.TCH", dir.path());
    ASSERT_EQ(c.files.size(), 2u);
    EXPECT_EQ(c.files[0].blocks, 2);
    EXPECT_EQ(c.files[0].path, dir / "U-191001-20140330015950.zmr");
    EXPECT_EQ(ReadRecordFile(c.files[0].path)->header.startTime, 1396141190); // 00:59:50 UTC
    EXPECT_EQ(c.files[1].path, dir / "U-191001-20140701120000.zmr");
}

} // namespace
