#include "cli/RecordCommand.h"

#include "cli/Interrupt.h"
#include "cli/Json.h"
#include "cli/Messages.h"
#include "common/LocalTime.h"
#include "device/LiveRun.h"
#include "device/WaveformRecorder.h"

#include <charconv>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace zel::cli {
namespace {

using Clock = std::chrono::steady_clock;

bool PositiveNumber(const std::string& text, long long& value) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && value > 0;
}

// The local hour or day a block belongs to, for --split; empty without splitting.
std::string SplitKey(const std::string& split, std::int64_t t) {
    if (split.empty())
        return {};
    return FormatLocalTime(t, split == "hour" ? "%Y%m%d%H" : "%Y%m%d");
}

// Records every block, tells the waiting command thread how far it got, and prints the link's
// drops and resumes to stderr.
class RecordSink : public LiveStreamSink {
public:
    RecordSink(WaveformRecorder& recorder, long long blockLimit, std::string split,
               std::ostream& err)
        : recorder_(recorder), blockLimit_(blockLimit), split_(std::move(split)), err_(err) {}

    void onFirstBlock() override {
        recorder_.BeginRun();
        splitKey_ = SplitKey(split_, NowSeconds());
    }
    void onNextStretch() override {
        recorder_.BeginStretch();
        splitKey_ = SplitKey(split_, NowSeconds());
    }
    void onBlock(const SampleBlock& block, int count) override {
        // Blocks that arrive between reaching the limit and the stop are not wanted.
        if (blockLimit_ > 0 && count > blockLimit_)
            return;
        const std::string key = SplitKey(split_, NowSeconds());
        if (key != splitKey_) {
            splitKey_ = key;
            recorder_.BeginStretch();
        }
        recorder_.Record(block);
        std::lock_guard lock(mutex_);
        count_ = count;
        changed_.notify_all();
    }
    void onConnectFailed() override {
        std::lock_guard lock(mutex_);
        connectFailed_ = true;
        changed_.notify_all();
    }
    void onLinkEvent(const LinkEvent& event) override {
        std::lock_guard lock(mutex_);
        drops_ = event.drops;
        if (event.kind == LinkEvent::Kind::Lost) {
            down_ = true;
            downSince_ = Clock::now();
            err_ << "zelmarine-cli: record: "
                 << Say("%1 连接中断, 正在重新连接", {Time(event.lostAt)}) << "\n";
        } else if (event.kind == LinkEvent::Kind::Resumed) {
            down_ = false;
            err_ << "zelmarine-cli: record: "
                 << Say("%1 连接已恢复 (中断于 %2, 第%3次中断)",
                        {Time(event.at), Time(event.lostAt), std::to_string(event.drops)})
                 << "\n";
        }
        err_.flush();
        changed_.notify_all();
    }

    // Waits until the block limit is reached, the connection failed at the start, a file
    // failed, the deadline passed, the instrument stayed away for `giveUp`, or keepGoing was
    // cleared; polls keepGoing since a signal cannot notify.
    void Wait(Clock::time_point deadline, std::chrono::milliseconds giveUp,
              const std::atomic<bool>& keepGoing) {
        std::unique_lock lock(mutex_);
        while (keepGoing.load() && !connectFailed_ && !recorder_.Failed() &&
               (blockLimit_ == 0 || count_ < blockLimit_) && Clock::now() < deadline) {
            if (down_ && giveUp.count() > 0 && Clock::now() - downSince_ >= giveUp) {
                gaveUp_ = true;
                return;
            }
            changed_.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
    int Count() {
        std::lock_guard lock(mutex_);
        return count_;
    }
    int Drops() {
        std::lock_guard lock(mutex_);
        return drops_;
    }
    bool ConnectFailed() {
        std::lock_guard lock(mutex_);
        return connectFailed_;
    }
    bool GaveUp() {
        std::lock_guard lock(mutex_);
        return gaveUp_;
    }

private:
    static std::string Time(std::int64_t t) { return FormatLocalTime(t, "%Y-%m-%d %H:%M:%S"); }

    WaveformRecorder& recorder_;
    long long blockLimit_;
    std::string split_;
    std::string splitKey_; // worker thread only
    std::ostream& err_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
    int drops_ = 0;
    bool down_ = false;
    Clock::time_point downSince_;
    bool connectFailed_ = false;
    bool gaveUp_ = false;
};

// `seconds` from now; a deadline the clock cannot hold (some 292 years away) means none.
Clock::time_point DeadlineAfter(long long seconds) {
    const Clock::time_point now = Clock::now();
    const auto room =
        std::chrono::duration_cast<std::chrono::seconds>(Clock::time_point::max() - now);
    if (seconds >= room.count())
        return Clock::time_point::max();
    return now + std::chrono::seconds(seconds);
}

void PrintFiles(std::ostream& out, const std::vector<WaveformRecorder::File>& files, int drops,
                bool json) {
    if (!json) {
        for (const WaveformRecorder::File& file : files)
            out << file.path << '\t' << file.blocks << '\n';
        out << "drops\t" << drops << '\n';
        return;
    }
    long long total = 0;
    out << "{\"files\": [";
    for (std::size_t i = 0; i < files.size(); ++i) {
        total += files[i].blocks;
        out << (i ? ", " : "") << "{\"path\": " << JsonString(files[i].path)
            << ", \"blocks\": " << files[i].blocks << "}";
    }
    out << "], \"blocks\": " << total << ", \"drops\": " << drops << "}\n";
}

} // namespace

int RecordCommand::Run(CliContext& c) {
    const bool json = TakeFlag(c.args, "--json");
    std::string seconds, blocks, giveUp, split, prefix = "R", directory;
    bool haveSeconds = false, haveBlocks = false, haveGiveUp = false, haveSplit = false;
    bool havePrefix = false, haveDirectory = false;
    if (!TakeValue(c.args, "--seconds", seconds, haveSeconds) ||
        !TakeValue(c.args, "--blocks", blocks, haveBlocks) ||
        !TakeValue(c.args, "--give-up", giveUp, haveGiveUp) ||
        !TakeValue(c.args, "--split", split, haveSplit) ||
        !TakeValue(c.args, "--prefix", prefix, havePrefix) ||
        !TakeValue(c.args, "--dir", directory, haveDirectory))
        return UsageError(c, "option without value");
    if (!c.args.empty())
        return UsageError(c, "unexpected argument " + c.args.front());
    long long limit = 0;
    if (haveSeconds == haveBlocks || !PositiveNumber(haveSeconds ? seconds : blocks, limit))
        return UsageError(c, "give either --seconds S or --blocks N, a positive number");
    long long giveUpSeconds = 0;
    if (haveGiveUp && !PositiveNumber(giveUp, giveUpSeconds))
        return UsageError(c, "--give-up S needs a positive number of seconds");
    if (haveSplit && split != "hour" && split != "day")
        return UsageError(c, "--split takes hour or day");
    if (prefix.empty() || prefix.find('/') != std::string::npos)
        return UsageError(c, "bad prefix");

    // The window is opened with the last status: the file carries its serial and version.
    DeviceStatus status;
    if (!c.link.Connect())
        return Fail(c, Say("连接到设备出现错误!"));
    const bool haveStatus = c.link.QueryStatus(status);
    c.link.Close();
    if (!haveStatus)
        return Fail(c, Say("读取设备信息失败!"));

    WaveformRecorder recorder(prefix, static_cast<std::uint16_t>(status.serial),
                              static_cast<std::uint16_t>(status.version), directory);
    RecordSink sink(recorder, haveBlocks ? limit : 0, split, c.err);
    LiveRun run(c.link, {std::chrono::milliseconds(10), false}, sink);
    std::atomic<bool> keepGoing{true};
    {
        ScopedInterrupt interrupt(keepGoing);
        run.Start();
        const auto deadline = haveSeconds ? DeadlineAfter(limit) : Clock::time_point::max();
        const auto giveUpAfter = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::seconds(std::min<long long>(giveUpSeconds, 100LL * 365 * 86400)));
        sink.Wait(deadline, giveUpAfter, keepGoing);
        run.Stop(false);
    }
    if (sink.ConnectFailed())
        return Fail(c, Say("连接到设备出现错误!"));
    const std::vector<WaveformRecorder::File> files = recorder.Files();
    if (recorder.Failed()) {
        PrintFiles(c.out, files, sink.Drops(), json);
        return Fail(c, Say("记录文件写入失败: ") +
                           (recorder.Path().empty() ? recorder.Folder() : recorder.Path()) + ": " +
                           std::strerror(recorder.Error()));
    }
    if (files.empty())
        return Fail(c, Say("未收到数据"));
    PrintFiles(c.out, files, sink.Drops(), json);
    if (sink.GaveUp())
        return Fail(c, Say("设备 %1 秒未恢复连接, 录制已结束", {std::to_string(giveUpSeconds)}));
    return kExitOk;
}

} // namespace zel::cli
