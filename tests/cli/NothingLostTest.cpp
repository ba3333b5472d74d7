#include "records/InstrumentFile.h"
#include "records/RecordFile.h"
#include "records/SampleBlock.h"
#include "sim/Simulator.h"
#include "sim/StorageBuilder.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramCopy.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <thread>

using namespace zel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using test::ChildOptions;
using test::ChildProcess;
using test::ChildResult;
using test::Local;
using test::RunChild;

// Generous: a child that has not ended by then hangs.
constexpr auto kChildTime = 60s;

std::vector<std::string> Cli(std::initializer_list<std::string> args,
                             const std::string& program = ZEL_CLI_PATH) {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

std::vector<std::string> DeviceCli(const sim::Simulator& simulator,
                                   std::initializer_list<std::string> args) {
    std::vector<std::string> argv =
        Cli({"--host", "127.0.0.1", "--port", std::to_string(simulator.Port())});
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

std::vector<std::string> RecordFilesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The live frames a simulator sent intact, as the blocks a recorder stores.
std::vector<SampleBlock> BlocksSent(const sim::Simulator& simulator) {
    std::vector<SampleBlock> blocks;
    for (const auto& frame : simulator.GoodFramesSent()) {
        if (frame.size() != kSampleFrameSize)
            continue;
        SampleBlock block;
        DecodeSampleFrame(frame.data(), block);
        blocks.push_back(block);
    }
    return blocks;
}

// Whether `blocks` were sent one after the other, none left out, none altered.
bool IsRunOfSentBlocks(const std::vector<SampleBlock>& blocks,
                       const std::vector<SampleBlock>& sent) {
    if (blocks.empty())
        return true;
    const auto same = [](const SampleBlock& a, const SampleBlock& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    };
    for (std::size_t start = 0; start + blocks.size() <= sent.size(); ++start) {
        if (std::equal(blocks.begin(), blocks.end(), sent.begin() + static_cast<long>(start), same))
            return true;
    }
    return false;
}

TEST(NothingLostTest, RecordingKilledAtFiftyRandomMomentsLeavesWholeFilesThatInfoReads) {
    // Ten simulators streaming fast, five kills each, one after the other per simulator. The
    // moments are random but the same in every run of the test.
    constexpr int kLanes = 10;
    constexpr int kRunsPerLane = 5;
    std::mt19937 random(14);
    std::uniform_int_distribution<int> delayMs(100, 900);
    std::vector<int> delays(kLanes * kRunsPerLane);
    for (int& d : delays)
        d = delayMs(random);

    test::TempDir dir;
    std::vector<std::unique_ptr<sim::Simulator>> simulators;
    for (int lane = 0; lane < kLanes; ++lane) {
        sim::SimConfig c;
        c.frameIntervalMs = 5;
        c.keepGoodFrames = true;
        simulators.push_back(std::make_unique<sim::Simulator>(c));
        ASSERT_TRUE(simulators.back()->Start());
    }
    std::vector<ChildResult> results(delays.size());
    std::vector<std::thread> lanes;
    for (int lane = 0; lane < kLanes; ++lane) {
        lanes.emplace_back([&, lane] {
            for (int k = 0; k < kRunsPerLane; ++k) {
                const int run = lane * kRunsPerLane + k;
                const std::string folder = dir / ("run" + std::to_string(run));
                fs::create_directories(folder);
                ChildProcess child(DeviceCli(*simulators[static_cast<std::size_t>(lane)],
                                             {"record", "--seconds", "600", "--dir", folder}));
                std::this_thread::sleep_for(
                    std::chrono::milliseconds(delays[static_cast<std::size_t>(run)]));
                child.Kill(SIGKILL);
                results[static_cast<std::size_t>(run)] = child.Wait(kChildTime);
            }
        });
    }
    for (auto& lane : lanes)
        lane.join();

    int withBlocks = 0;
    for (int lane = 0; lane < kLanes; ++lane) {
        const auto sent = BlocksSent(*simulators[static_cast<std::size_t>(lane)]);
        for (int k = 0; k < kRunsPerLane; ++k) {
            const int run = lane * kRunsPerLane + k;
            const ChildResult& result = results[static_cast<std::size_t>(run)];
            EXPECT_EQ(result.signal, SIGKILL) << "run " << run << ": " << result.err;
            const auto files = RecordFilesIn(dir / ("run" + std::to_string(run)));
            ASSERT_LE(files.size(), 1u) << "run " << run;
            for (const auto& path : files) {
                const auto size = fs::file_size(path);
                // Whole blocks after a whole header; only the block being written when the
                // program died may be cut short.
                ASSERT_GE(size, kRecordHeaderSize) << path;
                const auto blocks = (size - kRecordHeaderSize) / kWaveformBlockSize;
                const auto data = ReadRecordFile(path);
                ASSERT_TRUE(data) << path;
                EXPECT_EQ(data->blocks.size(), blocks) << path;
                EXPECT_TRUE(IsRunOfSentBlocks(data->blocks, sent)) << path;
                const ChildResult info = RunChild(Cli({"info", path}), kChildTime);
                EXPECT_EQ(info.exitCode, 0) << path << ": " << info.err;
                EXPECT_NE(info.out.find("count\t" + std::to_string(blocks) + "\n"),
                          std::string::npos)
                    << info.out;
                withBlocks += blocks > 0 ? 1 : 0;
            }
        }
    }
    // The moments reach into the recording, not only the start-up before it.
    EXPECT_GE(withBlocks, 5);
}

class FullDiskTest : public ::testing::Test {
protected:
    // Lets files grow to `bytes`, no further.
    static ChildOptions DiskFullAt(std::uintmax_t bytes) {
        ChildOptions options;
        options.fileSizeLimit = static_cast<rlim_t>(bytes);
        return options;
    }
    static std::string SystemReason() { return std::strerror(EFBIG); }

    test::TempDir dir;
};

TEST_F(FullDiskTest, RecordSaysWhyAndKeepsTheWholeBlocks) {
    sim::SimConfig c;
    c.frameIntervalMs = 5;
    sim::Simulator simulator(c);
    ASSERT_TRUE(simulator.Start());

    // The fourth block fits only in part: it is cut off again.
    const std::string folder = dir / "full";
    fs::create_directories(folder);
    const ChildResult cut =
        RunChild(DeviceCli(simulator, {"record", "--blocks", "1000", "--dir", folder}), kChildTime,
                 DiskFullAt(kRecordHeaderSize + 3 * kWaveformBlockSize + 800));
    ASSERT_FALSE(cut.timedOut);
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(Lines(cut.err), 1u) << cut.err;
    EXPECT_NE(cut.err.find("记录文件写入失败: " + folder + "/R-191012-"), std::string::npos)
        << cut.err;
    EXPECT_NE(cut.err.find(SystemReason()), std::string::npos) << cut.err;
    const auto files = RecordFilesIn(folder);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(fs::file_size(files[0]), kRecordHeaderSize + 3 * kWaveformBlockSize);
    const auto data = ReadRecordFile(files[0]);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->blocks.size(), 3u);

    // Not even the header fits: no file is left.
    const std::string none = dir / "none";
    fs::create_directories(none);
    const ChildResult header =
        RunChild(DeviceCli(simulator, {"record", "--blocks", "5", "--dir", none}), kChildTime,
                 DiskFullAt(30));
    EXPECT_EQ(header.exitCode, 1);
    EXPECT_EQ(Lines(header.err), 1u) << header.err;
    EXPECT_NE(header.err.find(SystemReason()), std::string::npos) << header.err;
    EXPECT_TRUE(RecordFilesIn(none).empty());
}

TEST_F(FullDiskTest, DownloadAndConvertSayWhyKeepWhatWasWrittenAndReplaceNothing) {
    const std::int64_t start = Local(2021, 4, 6, 7, 8, 9);
    const InstrumentStorage storage = sim::BuildStorage({2, 20, start, 31, 3600});
    const std::string stamp = FormatLocalTime(start, "%Y%m%d%H%M%S");
    const std::vector<std::uint8_t> existing = {'k', 'e', 'e', 'p'};
    const auto limit = DiskFullAt(kRecordHeaderSize + 5 * kTrendBlockSize + 100);

    sim::SimConfig c;
    c.state = 2;
    sim::Simulator simulator(c);
    simulator.SetStorage(storage);
    ASSERT_TRUE(simulator.Start());
    const std::string downloads = dir / "T";
    fs::create_directories(downloads);
    const std::string taken = downloads + "/T-191012-" + stamp + ".zmr";
    test::WriteBytes(taken, existing);

    const std::string tch = dir / "a.TCH";
    ASSERT_TRUE(WriteInstrumentFile(tch, storage, {9, 3, start}));
    const std::string converted = dir / "U";
    fs::create_directories(converted);
    const std::string takenU = converted + "/U-191009-" + stamp + ".zmr";
    test::WriteBytes(takenU, existing);

    const struct {
        const char* what;
        std::vector<std::string> argv;
        std::string message;
        std::string firstFile;
    } cases[] = {
        {"download", DeviceCli(simulator, {"download", "--dir", downloads}),
         "保存数据失败! " + SystemReason() + "\n", downloads + "/T-191012-" + stamp + "-2.zmr"},
        {"convert", Cli({"convert", tch, "--dir", converted}),
         tch + ": could not be written into record files: " + SystemReason() + "\n",
         converted + "/U-191009-" + stamp + "-2.zmr"},
    };
    for (const auto& c : cases) {
        const ChildResult r = RunChild(c.argv, kChildTime, limit);
        ASSERT_FALSE(r.timedOut) << c.what;
        EXPECT_EQ(r.exitCode, 1) << c.what;
        ASSERT_GE(r.err.size(), c.message.size()) << c.what << ": " << r.err;
        EXPECT_EQ(r.err.substr(r.err.size() - c.message.size()), c.message) << c.what;
        // The file that filled the disk is listed with the blocks it kept, and has them.
        EXPECT_EQ(r.out, "1\t" + c.firstFile + "\t2021-04-06 07:08:09\t5\n") << c.what;
        const auto data = ReadRecordFile(c.firstFile);
        ASSERT_TRUE(data) << c.what;
        EXPECT_EQ(data->points.size(), 5u * kTrendPointsPerBlock) << c.what;
    }
    EXPECT_EQ(test::ReadBytes(taken), existing);
    EXPECT_EQ(test::ReadBytes(takenU), existing);
    EXPECT_EQ(RecordFilesIn(downloads).size(), 2u);
    EXPECT_EQ(RecordFilesIn(converted).size(), 2u);
}

TEST(BadFilesTest, InfoExportAndConvertRefuseWithOneLineAndNeverHang) {
    test::TempDir dir;
    const std::string record = CreateWaveformRecord("R", 12, 1203, dir.path());
    ASSERT_FALSE(record.empty());
    const std::vector<std::uint8_t> header = test::ReadBytes(record);

    const std::string empty = dir / "empty.zmr";
    test::WriteBytes(empty, {});
    const std::string folder = dir / "folder.zmr";
    fs::create_directories(folder);
    const std::string fifo = dir / "fifo.zmr";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string secret = dir / "secret.zmr";
    test::WriteBytes(secret, header);
    ::chmod(secret.c_str(), 0);
    const std::string sparse = dir / "sparse.zmr";
    test::WriteBytes(sparse, header);
    fs::resize_file(sparse, std::uintmax_t{2} << 30);

    // Nobody but root reads a file without permissions; root is asked to run as nobody, from a
    // copy of the program in this folder, which everyone may enter: the build may sit where
    // nobody may, such as root's home. Where nobody cannot reach even this folder (a private
    // TMPDIR), the cases run as root and the unreadable file is left out.
    ChildOptions options;
    std::string cli = ZEL_CLI_PATH;
    bool unreadableCase = true;
    if (::geteuid() == 0) {
        fs::permissions(dir.path(), fs::perms::all);
        cli = test::CopyProgram(ZEL_CLI_PATH, dir / "bin");
        options.user = 65534;
        if (RunChild({cli, "--version"}, kChildTime, options).exitCode != 0) {
            std::cout << "[ SKIPPED  ] the unreadable file: user 65534 cannot run " << cli
                      << ", so root cannot be made to lose its right to read it\n";
            options.user = -1;
            unreadableCase = false;
        }
    }
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {empty, "not a record file"},
        {folder, "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {fifo, "not a regular file"},
        {secret, "cannot be read: " + std::string(std::strerror(EACCES))},
    };
    for (const auto& c : cases) {
        if (c.path == secret && !unreadableCase)
            continue;
        for (const char* command : {"info", "export"}) {
            const ChildResult r = RunChild(Cli({command, c.path}, cli), kChildTime, options);
            ASSERT_FALSE(r.timedOut) << command << " " << c.path;
            EXPECT_TRUE(r.exited) << command << " " << c.path << ": signal " << r.signal;
            EXPECT_EQ(r.exitCode, 1) << command << " " << c.path;
            EXPECT_EQ(r.err, c.path + ": " + c.reason + "\n") << command;
            EXPECT_EQ(r.out, "") << command << " " << c.path;
        }
    }

    // Record files that say more than they hold: the whole blocks there are count, not the
    // header's claim, and a block cut short is left out.
    std::vector<std::uint8_t> absurd = header;
    const std::int32_t claim = 0x7FFFFFFF;
    std::memcpy(absurd.data() + 56, &claim, sizeof claim);
    const std::string claims = dir / "claims.zmr";
    test::WriteBytes(claims, absurd);
    std::vector<std::uint8_t> cut = header;
    cut.resize(header.size() + kWaveformBlockSize + 700, 0x21);
    const std::string truncated = dir / "truncated.zmr";
    test::WriteBytes(truncated, cut);
    // 2 GiB of holes are whole blocks of silence, counted without being read.
    const std::string sparseCount =
        std::to_string(((std::int64_t{2} << 30) - 60) / std::int64_t{kWaveformBlockSize});
    const ChildResult big = RunChild(Cli({"info", sparse}), kChildTime);
    EXPECT_EQ(big.exitCode, 0) << big.err;
    EXPECT_NE(big.out.find("count\t" + sparseCount + "\n"), std::string::npos) << big.out;
    for (const auto& [path, count] : {std::pair{claims, 0}, std::pair{truncated, 1}}) {
        const ChildResult info = RunChild(Cli({"info", path}), kChildTime);
        EXPECT_EQ(info.exitCode, 0) << path << ": " << info.err;
        EXPECT_NE(info.out.find("count\t" + std::to_string(count) + "\n"), std::string::npos);
        const ChildResult csv = RunChild(Cli({"export", path}), kChildTime);
        EXPECT_EQ(csv.exitCode, 0) << path << ": " << csv.err;
        EXPECT_EQ(Lines(csv.out), 1u + static_cast<std::size_t>(count)) << path;
    }

    // None of them is an instrument data file.
    const struct {
        std::string path;
        std::string reason;
    } notInstrumentFiles[] = {
        {empty, "is too short for an instrument data file"},
        {folder, "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {fifo, "not a regular file"},
        {secret, "cannot be read: " + std::string(std::strerror(EACCES))},
        {claims, "is too short for an instrument data file"},
        {truncated, "not an instrument data file (its header checksum does not match)"},
        {sparse, "not an instrument data file (its header checksum does not match)"},
    };
    const std::string out = dir / "out";
    fs::create_directories(out);
    fs::permissions(out, fs::perms::all);
    for (const auto& c : notInstrumentFiles) {
        if (c.path == secret && !unreadableCase)
            continue;
        const ChildResult r =
            RunChild(Cli({"convert", c.path, "--dir", out}, cli), kChildTime, options);
        ASSERT_FALSE(r.timedOut) << c.path;
        EXPECT_EQ(r.exitCode, 1) << c.path;
        EXPECT_EQ(r.err, c.path + ": " + c.reason + "\n");
        EXPECT_EQ(r.out, "") << c.path;
    }
    EXPECT_TRUE(fs::is_empty(out));
}

} // namespace
