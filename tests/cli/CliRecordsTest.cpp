#include "cli/CliApp.h"
#include "common/LocalTime.h"
#include "device/Frame.h"
#include "records/InstrumentFile.h"
#include "records/RecordFile.h"
#include "sim/Simulator.h"
#include "sim/StorageBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

using namespace zel;
using namespace std::chrono_literals;

namespace {

using test::Local;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The record files in a folder, by name, which is by time.
std::vector<std::string> RecordFilesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".zmr")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

class CliRecordsTest : public ::testing::Test {
protected:
    void StartSimulator(const std::function<void(sim::SimConfig&)>& setup = {}) {
        sim::SimConfig c;
        c.frameIntervalMs = 20;
        if (setup)
            setup(c);
        simulator = std::make_unique<sim::Simulator>(c);
        ASSERT_TRUE(simulator->Start());
    }
    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        if (simulator) {
            args.insert(args.begin(),
                        {"--host", "127.0.0.1", "--port", std::to_string(simulator->Port())});
        }
        return cli::RunCli(args, out, err);
    }

    test::TempDir dir;
    std::unique_ptr<sim::Simulator> simulator;
    std::ostringstream out, err;
};

TEST_F(CliRecordsTest, RecordWritesExactlyTheBlocksAskedForAndInfoAndExportReadThem) {
    StartSimulator([](sim::SimConfig& c) { c.serial = 65535; });
    ASSERT_EQ(Run({"record", "--blocks", "5", "--prefix", "R", "--dir", dir.path()}), 0)
        << err.str();
    const auto line = Lines(out.str());
    ASSERT_EQ(line.size(), 2u);
    const std::string path = line[0].substr(0, line[0].find('\t'));
    EXPECT_EQ(line[0].substr(line[0].find('\t') + 1), "5");
    EXPECT_EQ(line[1], "drops\t0");
    EXPECT_EQ(path.find(dir.path() + "/R-256535-"), 0u);
    EXPECT_EQ(std::filesystem::file_size(path), 60u + 5u * 1612u);
    // The stream was stopped cleanly: a stop request reached the instrument.
    EXPECT_TRUE(simulator->WaitForRequestCount(1, 0x81, 0xA1));

    ASSERT_EQ(Run({"info", path, "--json"}), 0);
    // 65535 read back as a signed 16-bit number is -1.
    EXPECT_NE(out.str().find("\"kind\": \"waveform\", \"deviceNumber\": 190999"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("\"dataCount\": 5"), std::string::npos);

    ASSERT_EQ(Run({"export", path}), 0);
    auto rows = Lines(out.str());
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], "index,time,ch1_A,ch2_A,difference_A,unbalance_pct");
    EXPECT_EQ(rows[1].rfind("0,", 0), 0u);
    EXPECT_NE(rows[2].find(".5,"), std::string::npos);

    const std::string csv = dir / "samples.csv";
    ASSERT_EQ(Run({"export", path, "--samples", "-o", csv}), 0);
    std::ifstream in(csv);
    std::stringstream all;
    all << in.rdbuf();
    rows = Lines(all.str());
    ASSERT_EQ(rows.size(), 1u + 5u * 400u);
    EXPECT_EQ(rows[0], "block,sample,ch1,ch2");
    EXPECT_EQ(rows.back().rfind("4,399,", 0), 0u);
}

TEST_F(CliRecordsTest, RecordReportsAConnectionFailure) {
    StartSimulator();
    simulator->Stop();
    EXPECT_EQ(Run({"record", "--seconds", "1", "--dir", dir.path()}), 1);
    EXPECT_EQ(err.str(), "连接到设备出现错误!\n");
    EXPECT_EQ(Run({"record", "--seconds", "1", "--blocks", "2"}), 2);
    EXPECT_EQ(Run({"record", "--blocks", "0"}), 2);
    // Without an end the run would go on until stopped; here it cannot even begin.
    EXPECT_EQ(Run({"record", "--dir", dir.path()}), 1);
}

TEST_F(CliRecordsTest, RecordForTheLongestTimeGivenRecordsUntilStopped) {
    // A deadline beyond what the clock can hold means no deadline, not one in the past.
    StartSimulator();
    std::atomic<bool> finished{false};
    std::thread interrupter([&] {
        // Three blocks in the file, however slow the machine is; then Ctrl-C.
        while (!finished.load()) {
            for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
                if (entry.file_size() >= 60u + 3u * 1612u) {
                    std::raise(SIGINT);
                    return;
                }
            }
            std::this_thread::sleep_for(10ms);
        }
    });
    const int rc = Run({"record", "--seconds", "9223372036854775807", "--dir", dir.path()});
    finished.store(true);
    interrupter.join();
    ASSERT_EQ(rc, 0) << err.str();
    const auto line = Lines(out.str());
    ASSERT_EQ(line.size(), 2u);
    EXPECT_GE(std::stoi(line[0].substr(line[0].find('\t') + 1)), 3);
}

TEST_F(CliRecordsTest, InfoAndExportRejectFilesThatAreNotRecords) {
    const std::string bogus = dir / "bogus.zmr";
    std::ofstream(bogus) << "hello, this is not a record file at all, not even close....";
    EXPECT_EQ(Run({"info", bogus}), 1);
    EXPECT_NE(err.str().find("not a record file"), std::string::npos);
    EXPECT_EQ(Run({"export", dir / "missing.zmr"}), 1);
}

TEST_F(CliRecordsTest, DownloadPrintsOneRowPerFileAndRefusesAnEmptyInstrument) {
    StartSimulator([](sim::SimConfig& c) { c.state = 2; });
    simulator->SetStorage(sim::BuildStorage({2, 3, Local(2019, 3, 5, 8, 9, 10), 31, 600}));
    ASSERT_EQ(Run({"download", "--dir", dir.path(), "--json"}), 0) << err.str();
    EXPECT_EQ(out.str(), "[{\"number\": 1, \"path\": \"" + dir.path() +
                             "/T-191012-20190305080910.zmr\", \"startTime\": \"2019-03-05 "
                             "08:09:10\", \"blocks\": 3}, {\"number\": 2, \"path\": \"" +
                             dir.path() +
                             "/T-191012-20190305081910.zmr\", \"startTime\": \"2019-03-05 "
                             "08:19:10\", \"blocks\": 3}]\n");
    EXPECT_NE(err.str().find("第5帧/共6帧"), std::string::npos);

    simulator->SetStorage(InstrumentStorage());
    EXPECT_EQ(Run({"download", "--dir", dir.path()}), 1);
    EXPECT_EQ(err.str(), "无存储数据!\n");
}

TEST_F(CliRecordsTest, InterruptedDownloadKeepsTheFramesThatArrived) {
    StartSimulator([](sim::SimConfig& c) {
        c.state = 2;
        c.replyDelayMs = 20;
    });
    simulator->SetStorage(sim::BuildStorage({1, 200, Local(2019, 3, 5, 8, 9, 10), 31}));
    // Interrupt once a few data frames have been served, however slow the machine is.
    std::thread interrupter([this] {
        simulator->WaitForRequests([](const sim::Simulator::RequestLog& log) {
            return std::count_if(log.begin(), log.end(),
                                 [](const auto& r) { return r[1] == kCmdRecord && r[2] > 0; }) >= 5;
        });
        std::raise(SIGINT);
    });
    const int rc = Run({"download", "--dir", dir.path()});
    interrupter.join();
    // What arrived is kept, but a script must not take the download for complete.
    ASSERT_EQ(rc, 130) << err.str();
    const auto rows = Lines(out.str());
    ASSERT_EQ(rows.size(), 1u);
    const int blocks = std::stoi(rows[0].substr(rows[0].rfind('\t') + 1));
    EXPECT_GT(blocks, 0);
    EXPECT_LT(blocks, 200);
    const std::string path =
        rows[0].substr(rows[0].find('\t') + 1,
                       rows[0].find('\t', rows[0].find('\t') + 1) - rows[0].find('\t') - 1);
    EXPECT_EQ(std::filesystem::file_size(path), 60u + static_cast<unsigned>(blocks) * 248u);
    EXPECT_NE(err.str().find("传输已停止"), std::string::npos);
}

TEST_F(CliRecordsTest, ScanFindsInstrumentFilesAndConvertWritesUFiles) {
    const InstrumentStorage storage =
        sim::BuildStorage({2, 4, Local(2014, 3, 5, 8, 9, 10), 31, 3600});
    std::filesystem::create_directories(dir / "stick/sub");
    ASSERT_TRUE(
        WriteInstrumentFile(dir / "stick/sub/a.TCH", storage, {9, 3, Local(2014, 3, 5, 8, 9, 10)}));
    std::ofstream(dir / "stick/b.tch") << "lower case is not an instrument file";
    ASSERT_EQ(Run({"scan", dir / "stick"}), 0);
    EXPECT_EQ(out.str(), dir / "stick/sub/a.TCH" + "\t2014-3-5 8:9:10\t9\n");

    // A device reads as an empty storage but is no instrument data file.
    EXPECT_EQ(Run({"convert", "/dev/zero", "--dir", dir / "u"}), 1);
    EXPECT_EQ(err.str(), "/dev/zero: not a regular file\n");
    EXPECT_EQ(out.str(), "");

    // JSON stays valid for a folder whose name is not UTF-8.
    const std::string latin1 = dir / "caf\xE9";
    ASSERT_EQ(Run({"convert", dir / "stick/sub/a.TCH", "--dir", latin1, "--json"}), 0);
    EXPECT_NE(out.str().find("caf\\ufffd/U-191009-"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find('\xE9'), std::string::npos);

    std::ofstream(dir / "short.TCH") << "short";
    EXPECT_EQ(Run({"convert", dir / "stick/sub/a.TCH", dir / "short.TCH", "--dir", dir / "u"}), 1);
    const auto rows = Lines(out.str());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "1\t" + dir / "u/U-191009-20140305080910.zmr" + "\t2014-03-05 08:09:10\t4");
    EXPECT_EQ(rows[1], "2\t" + dir / "u/U-191009-20140305090910.zmr" + "\t2014-03-05 09:09:10\t4");
    EXPECT_NE(err.str().find("short.TCH"), std::string::npos);
}

} // namespace

// An instrument that falls silent in the middle of a recording is reconnected: the run ends at
// its block count with every frame sent (a count, not a deadline: under load the five silent
// seconds and the reconnection may take longer than planned), in one file per stretch, and says
// what happened. One that never comes back ends the run after --give-up with what was recorded
// kept.
TEST_F(CliRecordsTest, RecordReconnectsAVanishedLinkAndGivesUpWhenTold) {
    StartSimulator([](sim::SimConfig& c) {
        c.keepGoodFrames = true;
        c.dropAfterFrames = 3;
        c.drops = 1;
        c.dropHow = sim::DropHow::Vanish;
    });
    ASSERT_EQ(Run({"record", "--blocks", "6", "--json", "--dir", dir.path()}), 0) << err.str();
    const auto errors = Lines(err.str());
    ASSERT_EQ(errors.size(), 2u) << err.str();
    EXPECT_NE(errors[0].find("连接中断"), std::string::npos);
    EXPECT_NE(errors[1].find("连接已恢复"), std::string::npos);
    const auto files = RecordFilesIn(dir.path());
    ASSERT_EQ(files.size(), 2u);
    std::vector<SampleBlock> recorded;
    for (const std::string& path : files) {
        const auto file = ReadRecordFile(path);
        ASSERT_TRUE(file);
        recorded.insert(recorded.end(), file->blocks.begin(), file->blocks.end());
        EXPECT_NE(out.str().find(path), std::string::npos);
    }
    EXPECT_NE(out.str().find("\"blocks\": " + std::to_string(recorded.size()) + ", \"drops\": 1}"),
              std::string::npos)
        << out.str();
    const auto sent = simulator->GoodFramesSent();
    ASSERT_EQ(recorded.size(), 6u);
    ASSERT_LE(recorded.size(), sent.size());
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        SampleBlock b;
        DecodeSampleFrame(sent[i].data(), b);
        ASSERT_EQ(std::memcmp(&recorded[i], &b, sizeof b), 0) << "block " << i;
    }

    // Gone for good after the drop: connections are refused from then on.
    test::TempDir gone;
    simulator->Update([](sim::SimConfig& c) {
        c.drops = 1;
        c.dropHow = sim::DropHow::Close;
        c.refuseMs = 600000;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run({"record", "--seconds", "60", "--give-up", "2", "--dir", gone.path()}), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
    EXPECT_NE(err.str().find("2 秒未恢复连接"), std::string::npos) << err.str();
    const auto kept = RecordFilesIn(gone.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(kept[0]), 60u + 3u * 1612u);
    EXPECT_EQ(Lines(out.str()).size(), 2u);
    simulator->Stop(); // before the refusal's long wait
}
