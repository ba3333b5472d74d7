#include "common/LocalTime.h"
#include "records/RecordFile.h"
#include "records/RecordNotes.h"
#include "sim/Simulator.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramCopy.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

using namespace zel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using test::ChildOptions;
using test::ChildProcess;
using test::ChildResult;

constexpr auto kChildTime = 60s;
constexpr std::int64_t kDay = 86400;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// An old record of `serial` begun `days` ago, named as the writers name it.
std::string OldRecord(const std::string& folder, const std::string& prefix, std::uint16_t serial,
                      int days) {
    RecordFileHeader header;
    header.kind = 1;
    header.deviceNumber = serial;
    header.startTime = NowSeconds() - days * kDay;
    const std::string path = CreateRecordWithHeader(header, prefix, folder);
    EXPECT_TRUE(AppendRecordBlock(path, SampleBlock{}));
    return fs::path(path).filename().string();
}

// The service manager's end of sd_notify: a datagram socket the child is pointed at, in the
// abstract namespace, so that neither a long temporary folder nor a file left behind matters.
class NotifySocket {
public:
    NotifySocket()
        : name_("zel-notify-" + std::to_string(::getpid()) + "-" + std::to_string(++serial)) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        name_.copy(address.sun_path + 1, sizeof address.sun_path - 2);
        const auto size =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name_.size());
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), size), 0);
    }
    ~NotifySocket() { ::close(fd_); }
    // Every message that arrives within `wait`.
    void Collect(std::chrono::milliseconds wait) {
        pollfd p{fd_, POLLIN, 0};
        while (::poll(&p, 1, static_cast<int>(wait.count())) > 0) {
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            messages.emplace_back(buffer, static_cast<std::size_t>(n));
            wait = 0ms;
        }
    }
    std::size_t Count(const std::string& start) const {
        return static_cast<std::size_t>(
            std::count_if(messages.begin(), messages.end(),
                          [&](const auto& m) { return m.rfind(start, 0) == 0; }));
    }
    std::string Variable() const { return "NOTIFY_SOCKET=@" + name_; }
    std::vector<std::string> messages;

private:
    static inline int serial = 0;
    std::string name_;
    int fd_ = -1;
};

class SiteLoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimConfig c;
        c.frameIntervalMs = 20;
        c.dropAfterFrames = 15;
        c.drops = 1;
        simulator = std::make_unique<sim::Simulator>(c);
        ASSERT_TRUE(simulator->Start());
        fs::create_directories(folder);
    }
    void WriteConfig(const std::string& extra) {
        std::ofstream(config) << "# site logger\n[logger]\nhost = 127.0.0.1\nport = "
                              << simulator->Port() << "\ndir = " << folder << "\nsplit = day\n"
                              << extra;
    }

    test::TempDir dir;
    const std::string folder = dir / "logs";
    const std::string config = dir / "logger.conf";
    std::unique_ptr<sim::Simulator> simulator;
};

// The logger as the service runs it: its options from the file, its lines in the journal with
// their levels, ready once the first block is written, the watchdog pinged, a link drop that
// begins a new file, the files older than keep-days deleted when a file ends, and SIGTERM ends
// it with every file whole.
TEST_F(SiteLoggerTest, RunsFromItsFileTellsTheJournalAndSystemdAndEndsWholeOnSigterm) {
    const std::string old = OldRecord(folder, "R", 12, 40);
    std::set<std::string> kept = {OldRecord(folder, "R", 12, 20), OldRecord(folder, "S", 12, 40),
                                  OldRecord(folder, "R", 13, 40)};
    const std::string annotated = OldRecord(folder, "R", 12, 41);
    ASSERT_TRUE(WriteRecordNotes(folder + "/" + annotated, NowSeconds() - 41 * kDay, {{0, "x"}}));
    kept.insert({annotated, annotated + ".notes"});
    WriteConfig("keep-days = 30\n");
    // A copy of the tool with the program's settings beside it: a limit that CH1 at 500 A is
    // over as long as it streams.
    const std::string cli = test::CopyProgram(ZEL_CLI_PATH, dir / "bin");
    std::ofstream(dir / "bin/config.ini") << "[LIMITS]\nch1On=1\nch1Above=400\nminPoints=2\n";
    simulator->Update([](sim::SimConfig& c) { c.fixedCh1Current = 500; });

    NotifySocket notify;
    ChildOptions options;
    options.stderrIsJournal = true;
    options.environment = {notify.Variable(), "WATCHDOG_USEC=1000000"};
    ChildProcess logger({cli, "record", "--config", config}, options);
    // Until it has gone through the drop into its second file and pinged a few times.
    // Its own files with at least a few blocks each.
    const auto newFiles = [&] {
        std::size_t n = 0;
        for (const std::string& name : Names(folder))
            n += kept.count(name) == 0 && name != old &&
                         fs::file_size(folder + "/" + name) >= 60 + 3 * 1612
                     ? 1
                     : 0;
        return n;
    };
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (std::chrono::steady_clock::now() < deadline &&
           (newFiles() < 2 || notify.Count("WATCHDOG=1") < 3))
        notify.Collect(100ms);
    logger.Kill(SIGTERM);
    const ChildResult r = logger.Wait(kChildTime);
    notify.Collect(200ms);
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;

    // Two files of its own, whole, as the summary lists them; the old one of its series gone,
    // everything else kept.
    const auto rows = Lines(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;
    EXPECT_EQ(rows[2], "drops\t1");
    std::set<std::string> expected = kept;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string path = rows[i].substr(0, rows[i].find('\t'));
        const long long blocks = std::stoll(rows[i].substr(rows[i].find('\t') + 1));
        EXPECT_EQ(fs::file_size(path), 60u + static_cast<std::uintmax_t>(blocks) * 1612u) << path;
        expected.insert(fs::path(path).filename().string());
        files.push_back(path);
    }
    EXPECT_EQ(rows[0].substr(rows[0].find('\t') + 1), "15"); // the stretch before the drop
    EXPECT_EQ(Names(folder), expected);

    // What it said, at the journal's levels, in order.
    const auto lines = Lines(r.err);
    const std::vector<std::pair<std::string, std::string>> said = {
        {"<6>开始记录: 设备 191012, 文件夹 " + folder, ""},
        {"<6>开始写入 " + files[0], ""},
        {"<4>", "超限开始: ch1 = 500, 限值 400"},
        {"<4>", "连接中断, 正在重新连接"},
        // The gap ends the event: all 15 blocks of the stretch, 0.5 s each.
        {"<6>", "超限结束: ch1, 持续 7.5 秒, 最大 500"},
        {"<6>", "连接已恢复"},
        {"<6>已结束 " + files[0] + ", 共 15 块", ""},
        {"<6>已删除 " + folder + "/" + old + " (1.6 KiB, ", "最后一块早于 30 天"},
        {"<6>开始写入 " + files[1], ""},
        {"<4>", "超限开始: ch1 = 500, 限值 400"},
        {"<6>", "超限结束: ch1, 持续 "},
        {"<6>已结束 " + files[1] + ", 共 ", " 块"},
    };
    ASSERT_EQ(lines.size(), said.size()) << r.err;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind(said[i].first, 0), 0u) << lines[i];
        EXPECT_NE(lines[i].find(said[i].second), std::string::npos) << lines[i];
    }

    // Ready once, with the first block; pinged while it ran; stopping at the end.
    EXPECT_EQ(notify.Count("READY=1"), 1u);
    EXPECT_GE(notify.Count("WATCHDOG=1"), 3u);
    EXPECT_EQ(notify.messages.back(), "STOPPING=1");
}

// A folder too full even without every old file: they all go, oldest first, the shortage is an
// error line, and the recording goes on; options on the command line win over the file's. A file
// with a bad line is refused before anything starts.
TEST_F(SiteLoggerTest, MakesRoomUntilNothingOldIsLeftAndRefusesABadFile) {
    const std::vector<std::string> old = {OldRecord(folder, "R", 12, 3),
                                          OldRecord(folder, "R", 12, 9),
                                          OldRecord(folder, "R", 12, 5)};
    const std::string other = OldRecord(folder, "T", 12, 9);
    WriteConfig("keep-days = 30\nmin-free = 1G\n");
    // Asks for more free space than any test machine has.
    const ChildResult r = test::RunChild(
        {ZEL_CLI_PATH, "record", "--config", config, "--min-free", "1048576G", "--blocks", "3"},
        kChildTime);
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 4u) << r.err;
    for (std::size_t i = 0; i < 3; ++i) {
        // Oldest first: 9, 5, then 3 days old.
        const std::string& name = old[i == 0 ? 1 : i == 1 ? 2 : 0];
        EXPECT_EQ(lines[i].rfind("zelmarine-cli: record: 已删除 " + folder + "/" + name, 0), 0u)
            << lines[i];
        EXPECT_NE(lines[i].find("可用空间少于 1048576G"), std::string::npos) << lines[i];
    }
    EXPECT_NE(lines[3].find("少于 1048576G, 已无旧记录可删除, 继续记录"), std::string::npos);
    const auto names = Names(folder);
    EXPECT_EQ(names.size(), 2u);
    EXPECT_EQ(names.count(other), 1u);

    const int connections = simulator->Connections();
    std::ofstream(config, std::ios::app) << "keep-dayz = 3\n";
    const ChildResult bad =
        test::RunChild({ZEL_CLI_PATH, "record", "--config", config}, kChildTime);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err, "zelmarine-cli record: " + config + ":9: keep-dayz: unknown key\n");
    EXPECT_EQ(simulator->Connections(), connections); // refused before it reached the instrument
}

} // namespace
