#include "records/RecordFile.h"
#include "records/RecordPoints.h"

#include "common/LocalTime.h"
#include "common/ModuleDirectory.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

using namespace zel;
using zel::test::ReadBytes;
using zel::test::TempDir;
using zel::test::WriteBytes;

namespace {

using test::Local;

SampleBlock NumberedBlock(int n) {
    SampleBlock b;
    b.headWord = 0xA000u + static_cast<std::uint32_t>(n);
    b.ch1Current = static_cast<std::uint32_t>(n);
    b.ch2Current = 65535;
    b.ch1[0] = static_cast<std::int16_t>(-n);
    b.ch2[399] = static_cast<std::int16_t>(n * 3);
    return b;
}

// Lets a test run out of disk space: files may not grow beyond `limit` bytes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit lowered = previous_;
        lowered.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(RecordFileTest, NameAndHeaderBytes) {
    TempDir dir;
    const std::int64_t start = Local(2014, 3, 5, 8, 9, 10);
    const std::string path = CreateTrendRecord("R", 12, 1234, start, dir.path());
    EXPECT_EQ(path, dir / "R-191012-20140305080910.zmr");
    EXPECT_EQ(RecordFileName("/x/ZMR", "T", 12, start), "/x/ZMR/T-191012-20140305080910.zmr");

    const auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), kRecordHeaderSize);
    const char* magic = "TAVKEN-ZELMARINE";
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(bytes[2 * i], magic[i]) << i;
        EXPECT_EQ(bytes[2 * i + 1], 0) << i;
    }
    EXPECT_EQ(bytes[32], 0); // terminating zero unit
    EXPECT_EQ(bytes[33], 0);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 40, bytes.begin() + 48),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 0x0C, 0x00, 0xD2, 0x04}));
    std::int64_t stored = 0;
    std::memcpy(&stored, bytes.data() + 48, 8);
    EXPECT_EQ(stored, start);
}

TEST(RecordFileTest, WaveformRecordStartsNowInTheFolderBesideTheExecutable) {
    const std::int64_t before = NowSeconds();
    const std::string path = CreateWaveformRecord("S", 7, 2001);
    const std::int64_t after = NowSeconds();
    ASSERT_FALSE(path.empty());
    const std::string folder = GetModuleDirectory() + "ZMR/";
    EXPECT_EQ(path.rfind(folder + "S-191007-", 0), 0u) << path;
    const auto data = ReadRecordFile(path);
    std::filesystem::remove(path);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->header.kind, 1);
    EXPECT_EQ(data->header.deviceVersion, 2001);
    EXPECT_GE(data->header.startTime, before);
    EXPECT_LE(data->header.startTime, after);
    EXPECT_TRUE(data->blocks.empty());
}

TEST(RecordFileTest, TakenNameGetsANumberAndTheEarlierFileIsKept) {
    TempDir dir;
    const std::int64_t start = Local(2014, 3, 5, 8, 9, 10);
    const std::string first = CreateTrendRecord("T", 12, 1, start, dir.path());
    ASSERT_TRUE(AppendRecordBlock(first, TrendBlock{}));
    const std::string second = CreateTrendRecord("T", 12, 1, start, dir.path());
    const std::string third = CreateTrendRecord("T", 12, 1, start, dir.path());
    EXPECT_EQ(second, dir / "T-191012-20140305080910-2.zmr");
    EXPECT_EQ(third, dir / "T-191012-20140305080910-3.zmr");
    EXPECT_EQ(ReadRecordFile(first)->header.dataCount, 62);
}

TEST(RecordFileTest, WritersStartingTogetherNeverShareAFile) {
    TempDir dir;
    std::vector<std::string> paths[2];
    auto create = [&](std::vector<std::string>& out) {
        for (int i = 0; i < 25; ++i)
            out.push_back(CreateTrendRecord("T", 3, 1, 1400000000, dir.path()));
    };
    std::thread a(create, std::ref(paths[0]));
    std::thread b(create, std::ref(paths[1]));
    a.join();
    b.join();
    std::set<std::string> distinct;
    for (const auto& list : paths)
        for (const auto& p : list) {
            EXPECT_FALSE(p.empty());
            distinct.insert(p);
        }
    EXPECT_EQ(distinct.size(), 50u);
}

TEST(RecordFileTest, CreateReportsFailureAndLeavesNothing) {
    TempDir dir;
    WriteBytes(dir / "plain", {1, 2, 3});
    EXPECT_EQ(CreateTrendRecord("T", 1, 1, 0, dir / "plain/ZMR"), "");
    EXPECT_EQ(CreateWaveformRecord("S", 1, 1, dir / "plain"), "");
    {
        FileSizeLimit limit(30); // the disk fills up in the middle of the header
        EXPECT_EQ(CreateTrendRecord("T", 1, 1, 1400000000, dir.path()), "");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(RecordFileTest, AppendReportsFailureAndKeepsTheFileWhole) {
    TempDir dir;
    EXPECT_FALSE(AppendRecordBlock(dir / "gone.zmr", TrendBlock{}));
    EXPECT_FALSE(std::filesystem::exists(dir / "gone.zmr")); // no headerless file appears

    const std::string path = CreateWaveformRecord("S", 1, 1, dir.path());
    ASSERT_TRUE(AppendRecordBlock(path, NumberedBlock(1)));
    const auto whole = kRecordHeaderSize + kWaveformBlockSize;
    {
        FileSizeLimit limit(whole + 800); // room for half a block only
        EXPECT_FALSE(AppendRecordBlock(path, NumberedBlock(2)));
    }
    EXPECT_EQ(std::filesystem::file_size(path), whole);
    ASSERT_TRUE(AppendRecordBlock(path, NumberedBlock(3)));
    const auto data = ReadRecordFile(path);
    ASSERT_TRUE(data);
    ASSERT_EQ(data->blocks.size(), 2u);
    EXPECT_EQ(data->blocks[1].headWord, 0xA003u);
}

TEST(RecordFileTest, WaveformBlocksReadBackWholeAndInOrder) {
    const struct {
        int blocks;
        std::size_t trailing;
    } cases[] = {{0, 0}, {1, 0}, {1, 100}, {3, 0}, {3, 1611}};
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = CreateWaveformRecord("S", 1, 1, dir.path());
        for (int i = 0; i < c.blocks; ++i)
            ASSERT_TRUE(AppendRecordBlock(path, NumberedBlock(i)));
        std::vector<std::uint8_t> tail(c.trailing, 0x5A);
        ASSERT_TRUE(c.trailing == 0 || AppendRecordBlock(path, tail.data(), tail.size()));

        const auto data = ReadRecordFile(path);
        ASSERT_TRUE(data);
        ASSERT_EQ(data->blocks.size(), static_cast<std::size_t>(c.blocks)) << c.trailing;
        EXPECT_EQ(data->header.dataCount, c.blocks);
        EXPECT_TRUE(data->points.empty());
        for (int i = 0; i < c.blocks; ++i) {
            const SampleBlock expected = NumberedBlock(i);
            EXPECT_EQ(std::memcmp(&data->blocks[i], &expected, sizeof expected), 0) << i;
        }
    }
}

TEST(RecordFileTest, TrendBlocksBecomePointsSignExtended) {
    TempDir dir;
    const std::string path = CreateTrendRecord("T", 1, 1, 1400000000, dir.path());
    for (int b = 0; b < 3; ++b) {
        TrendBlock block;
        for (int i = 0; i < kTrendPointsPerBlock; ++i) {
            block.ch1[i] = static_cast<std::int16_t>(b * 100 + i);
            block.ch2[i] = static_cast<std::int16_t>(-(b * 100 + i) - 1);
        }
        ASSERT_TRUE(AppendRecordBlock(path, block));
    }
    std::vector<std::uint8_t> partial(247, 0);
    ASSERT_TRUE(AppendRecordBlock(path, partial.data(), partial.size()));

    const auto data = ReadRecordFile(path);
    ASSERT_TRUE(data);
    ASSERT_EQ(data->points.size(), 186u);
    EXPECT_EQ(data->header.dataCount, 186);
    EXPECT_TRUE(data->blocks.empty());
    EXPECT_EQ(data->points[0].ch1, 0);
    EXPECT_EQ(data->points[0].ch2, -1);
    EXPECT_EQ(data->points[61].ch1, 61);
    EXPECT_EQ(data->points[62].ch1, 100);
    EXPECT_EQ(data->points[185].ch1, 261);
    EXPECT_EQ(data->points[185].ch2, -262);
}

TEST(RecordFileTest, OnlyZeroKindIsATrendRecord) {
    TempDir dir;
    const std::string path = CreateTrendRecord("T", 1, 1, 0, dir.path());
    auto bytes = ReadBytes(path);
    bytes[40] = 7;
    bytes.resize(kRecordHeaderSize + kWaveformBlockSize, 0);
    WriteBytes(path, bytes);
    const auto data = ReadRecordFile(path);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->blocks.size(), 1u);
    EXPECT_TRUE(data->points.empty());
}

TEST(RecordFileTest, FilesThatAreNotRecordsAreNotLoaded) {
    TempDir dir;
    const std::string good = CreateTrendRecord("T", 1, 1, 0, dir.path());
    const auto header = ReadBytes(good);
    auto patched = [&](std::size_t offset, std::uint8_t value) {
        auto bytes = header;
        bytes[offset] = value;
        return bytes;
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"non-zero 17th unit", patched(32, 'X')},
        {"non-zero 17th unit high byte", patched(33, 1)},
        {"wrong magic letter", patched(0, 'Z')},
        {"magic in 8-bit text", std::vector<std::uint8_t>(header.size(), 'T')},
        {"shorter than a header", std::vector<std::uint8_t>(header.begin(), header.end() - 1)},
        {"empty", {}},
    };
    for (const auto& c : cases) {
        WriteBytes(dir / "f.zmr", c.bytes);
        EXPECT_FALSE(ReadRecordFile(dir / "f.zmr")) << c.what;
    }
    EXPECT_FALSE(ReadRecordFile(dir / "missing.zmr"));
    EXPECT_FALSE(ReadRecordFile(dir.path()));
    ASSERT_EQ(::mkfifo((dir / "pipe.zmr").c_str(), 0644), 0);
    EXPECT_FALSE(ReadRecordFile(dir / "pipe.zmr")); // and does not wait for a writer
    EXPECT_TRUE(ReadRecordFile(good));
}

} // namespace

namespace {

TEST(RecordFileTest, ImageKeepsTrendBlocksAndSaysWhyAFileWasNotLoaded) {
    TempDir dir;
    const std::string trend = CreateTrendRecord("T", 1, 1, 0, dir.path());
    TrendBlock block;
    block.ch1[61] = -5;
    ASSERT_TRUE(AppendRecordBlock(trend, block));
    ASSERT_TRUE(AppendRecordBlock(trend, block));
    RecordReadFailure failure{RecordReadFailure::Reason::ReadError, 1};
    const auto image = ReadRecordImage(trend, &failure);
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->IsTrend());
    EXPECT_EQ(failure.reason, RecordReadFailure::Reason::None);
    ASSERT_EQ(image->trendBlocks.size(), 2u);
    EXPECT_EQ(image->trendBlocks[1].ch1[61], -5);
    EXPECT_EQ(image->header.dataCount, 124);
    EXPECT_TRUE(image->waveBlocks.empty());

    auto bytes = ReadBytes(trend);
    bytes[2] = 'X';
    WriteBytes(dir / "bad.zmr", bytes);
    WriteBytes(dir / "short.zmr", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 59));
    ASSERT_EQ(::mkfifo((dir / "pipe.zmr").c_str(), 0644), 0);
    using Reason = RecordReadFailure::Reason;
    const struct {
        std::string path;
        Reason reason;
        int systemError;
    } cases[] = {
        {dir / "bad.zmr", Reason::NotRecordFile, 0},
        {dir / "short.zmr", Reason::NotRecordFile, 0},
        {dir / "missing.zmr", Reason::CannotOpen, ENOENT},
        {dir.path(), Reason::NotRegularFile, 0},
        {dir / "pipe.zmr", Reason::NotRegularFile, 0},
        {"/dev/zero", Reason::NotRegularFile, 0},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadRecordImage(c.path, &failure)) << c.path;
        EXPECT_EQ(failure.reason, c.reason) << c.path;
        EXPECT_EQ(failure.systemError, c.systemError) << c.path;
        EXPECT_FALSE(ReadRecordFile(c.path)) << c.path;
        EXPECT_FALSE(OpenRecordImage(c.path)) << c.path;
    }
}

TEST(RecordFileTest, AWaveformRecordOfAnyLengthOpensInPlace) {
    // 2 GiB of holes after a waveform header: whole blocks of silence, opened without reading
    // them, its last whole block read on demand and the cut one left out.
    TempDir dir;
    const std::string path = CreateWaveformRecord("S", 1, 1, dir.path());
    const SampleBlock last = NumberedBlock(7);
    const std::int64_t blocks = ((std::int64_t{2} << 30) - 60) / std::int64_t{kWaveformBlockSize};
    std::filesystem::resize_file(path, 60 + (blocks - 1) * kWaveformBlockSize);
    ASSERT_TRUE(AppendRecordBlock(path, last));
    std::filesystem::resize_file(path, std::uintmax_t{2} << 30);

    const auto image = OpenRecordImage(path);
    ASSERT_TRUE(image && image->file);
    EXPECT_TRUE(image->waveBlocks.empty());
    EXPECT_EQ(image->header.dataCount, blocks);
    EXPECT_EQ(RecordPoints(*image).Count(), blocks);
    EXPECT_EQ(RecordPoints(*image).At(blocks - 1).ch1, static_cast<std::int32_t>(last.ch1Current));
    SampleBlock read[2];
    EXPECT_EQ(image->file->ReadBlocks(blocks - 2, 2, read), 2);
    EXPECT_EQ(std::memcmp(&read[1], &last, sizeof last), 0);
    EXPECT_EQ(read[0].headWord, 0u);
    EXPECT_EQ(image->file->ReadBlocks(blocks - 1, 2, read), 1); // no block after the last
}

TEST(RecordFileTest, ALongRecordReadsBackWholeAcrossReadChunks) {
    // More than one chunk of blocks, ending in a block cut short.
    TempDir dir;
    const std::string path = CreateWaveformRecord("S", 1, 1, dir.path());
    std::vector<std::uint8_t> bytes = ReadBytes(path);
    const int count = 1500;
    for (int n = 0; n < count; ++n) {
        const SampleBlock b = NumberedBlock(n);
        const auto* p = reinterpret_cast<const std::uint8_t*>(&b);
        bytes.insert(bytes.end(), p, p + sizeof b);
    }
    bytes.resize(bytes.size() + 700, 0x33);
    WriteBytes(path, bytes);
    const auto data = ReadRecordFile(path);
    ASSERT_TRUE(data);
    ASSERT_EQ(data->blocks.size(), static_cast<std::size_t>(count));
    EXPECT_EQ(data->header.dataCount, count);
    for (int n : {0, 649, 650, 651, count - 1})
        EXPECT_EQ(data->blocks[static_cast<std::size_t>(n)].headWord, 0xA000u + n) << n;
}

} // namespace
