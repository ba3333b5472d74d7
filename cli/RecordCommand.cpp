#include "cli/RecordCommand.h"

#include "cli/ConfigFile.h"
#include "cli/Interrupt.h"
#include "cli/Json.h"
#include "cli/Messages.h"
#include "cli/RecordOptions.h"
#include "cli/SiteLogger.h"
#include "common/LocalTime.h"
#include "common/ModuleDirectory.h"
#include "device/LiveRun.h"
#include "device/WaveformRecorder.h"
#include "records/EventLimitsConfig.h"

#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>

namespace zel::cli {
namespace {

using Clock = std::chrono::steady_clock;

// Beyond the longest a working recording goes without a block or a reconnect attempt: a loaded
// machine or a slow disk may take a while longer.
constexpr auto kWatchdogMargin = std::chrono::seconds(10);

// The local hour or day a block belongs to, for --split; empty without splitting.
std::string SplitKey(const std::string& split, std::int64_t t) {
    if (split.empty())
        return {};
    return FormatLocalTime(t, split == "hour" ? "%Y%m%d%H" : "%Y%m%d");
}

// Records every block, tells the waiting command thread how far it got, and hands the files
// begun and ended and the link's drops and resumes to the site logger, which says so.
class RecordSink : public LiveStreamSink {
public:
    RecordSink(WaveformRecorder& recorder, long long blockLimit, std::string split,
               SiteLogger& logger)
        : recorder_(recorder), blockLimit_(blockLimit), split_(std::move(split)), logger_(logger) {}

    void onFirstBlock() override {
        logger_.BeforeFileBegun({});
        recorder_.BeginRun();
        splitKey_ = SplitKey(split_, NowSeconds());
        logger_.FileBegun(recorder_.Path());
    }
    void onNextStretch() override { NextFile(SplitKey(split_, NowSeconds())); }
    void onBlock(const SampleBlock& block, int count) override {
        // Blocks that arrive between reaching the limit and the stop are not wanted.
        if (blockLimit_ > 0 && count > blockLimit_)
            return;
        const std::string key = SplitKey(split_, NowSeconds());
        if (key != splitKey_)
            NextFile(key);
        if (recorder_.Record(block))
            logger_.BlockWritten(recorder_.Path(), count,
                                 static_cast<std::int32_t>(block.ch1Current),
                                 static_cast<std::int32_t>(block.ch2Current));
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
        {
            std::lock_guard lock(mutex_);
            drops_ = event.drops;
            if (event.kind == LinkEvent::Kind::Lost) {
                down_ = true;
                downSince_ = Clock::now();
            } else if (event.kind == LinkEvent::Kind::Resumed) {
                down_ = false;
            }
            changed_.notify_all();
        }
        // Outside the lock: a stalled stderr must not hold up the command's wait.
        logger_.LinkChanged(event);
    }
    // After the run: the last file ends too.
    void EndLastFile() {
        logger_.Ended();
        const auto files = recorder_.Files();
        if (!files.empty())
            logger_.FileEnded(files.back().path, files.back().blocks, {});
    }

    // Waits until the block limit is reached, the connection failed at the start, a file
    // failed, the deadline passed, the instrument stayed away for `giveUp`, or keepGoing was
    // cleared; polls keepGoing since a signal cannot notify.
    // `tick` runs on every pass, outside the lock.
    void Wait(Clock::time_point deadline, std::chrono::milliseconds giveUp,
              const std::atomic<bool>& keepGoing, const std::function<void()>& tick) {
        std::unique_lock lock(mutex_);
        while (keepGoing.load() && !connectFailed_ && !recorder_.Failed() &&
               (blockLimit_ == 0 || count_ < blockLimit_) && Clock::now() < deadline) {
            if (down_ && giveUp.count() > 0 && Clock::now() - downSince_ >= giveUp) {
                gaveUp_ = true;
                return;
            }
            changed_.wait_for(lock, std::chrono::milliseconds(50));
            lock.unlock();
            tick();
            lock.lock();
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
    // The file being written ends and the next one begins, after a gap or at the split.
    void NextFile(const std::string& key) {
        const auto files = recorder_.Files();
        if (!files.empty())
            logger_.FileEnded(files.back().path, files.back().blocks, {});
        logger_.BeforeFileBegun({});
        splitKey_ = key;
        if (recorder_.BeginStretch())
            logger_.FileBegun(recorder_.Path());
    }

    WaveformRecorder& recorder_;
    long long blockLimit_;
    std::string split_;
    std::string splitKey_; // worker thread only
    SiteLogger& logger_;
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
    GivenOptions given;
    std::string error;
    if (!TakeCommandLineOptions(RecordOptionTable(), c.args, given, error))
        return UsageError(c, error);
    // Lines go to the journal with their levels when that is where standard error goes.
    const bool journal = c.errIsStderr && StderrIsJournal();
    const auto refuse = [&](const std::string& message) {
        c.err << (journal ? "<3>" : "") << "zelmarine-cli record: " << message << "\n";
        return kExitUsage;
    };
    if (given.Has("config")) {
        const std::string path = given.Value("config");
        std::vector<ConfigEntry> entries;
        if (!ReadConfigGroup(path, kRecordConfigGroup, entries, error) ||
            !ApplyConfigEntries(RecordOptionTable(), entries, path, given, error))
            return refuse(error);
    }
    if (given.Has("seconds") && given.Has("blocks"))
        return UsageError(c, "give either --seconds S or --blocks N, not both (" +
                                 given.Where("seconds") + ", " + given.Where("blocks") + ")");
    // Every value was checked when it was taken.
    const auto number = [&](const char* name) {
        long long value = 0;
        ParsePositive(given.Value(name), value);
        return value;
    };
    const bool haveSeconds = given.Has("seconds"), haveBlocks = given.Has("blocks");
    const long long limit = haveSeconds ? number("seconds") : number("blocks");
    const long long giveUpSeconds = number("give-up");
    const std::string split = given.Value("split");
    const std::string prefix = given.Value("prefix", "R");
    const std::string directory = given.Value("dir");
    const bool json = given.Has("json");
    if (given.Has("host") && !c.hostGiven)
        c.link.SetEndpoint(given.Value("host"), c.link.Port());
    if (given.Has("port") && !c.portGiven)
        c.link.SetEndpoint(c.link.Host(), static_cast<std::uint16_t>(number("port")));

    SiteLogger::Settings settings;
    settings.journal = journal;
    // Without an end the recording is a logger's, and tells what it does.
    settings.verbose = journal || (!haveSeconds && !haveBlocks);
    settings.series.prefix = prefix;
    settings.rules.keepDays = static_cast<int>(number("keep-days"));
    unsigned long long minFree = 0;
    ParseSize(given.Value("min-free"), minFree);
    settings.rules.minFree = minFree;
    settings.minFreeText = given.Value("min-free");
    LiveStreamParams params{std::chrono::milliseconds(10), false};
    settings.stallLimit = stream_timing::LongestQuietSpell(params) + kWatchdogMargin;
    // The limits of the program's settings, as the live windows watch them.
    settings.limits = ReadEventLimits(ConfigFilePath());
    SiteLogger logger(c.err, settings);
    const auto fail = [&](const std::string& message) {
        if (!journal)
            return Fail(c, message);
        logger.Log().Write(LogPriority::Error, message);
        return kExitFailure;
    };

    // The window is opened with the last status: the file carries its serial and version.
    DeviceStatus status;
    if (!c.link.Connect())
        return fail(Say("连接到设备出现错误!"));
    const bool haveStatus = c.link.QueryStatus(status);
    c.link.Close();
    if (!haveStatus)
        return fail(Say("读取设备信息失败!"));

    WaveformRecorder recorder(prefix, static_cast<std::uint16_t>(status.serial),
                              static_cast<std::uint16_t>(status.version), directory);
    logger.Started(static_cast<std::uint16_t>(status.serial), recorder.Folder());
    RecordSink sink(recorder, haveBlocks ? limit : 0, split, logger);
    LiveRun run(c.link, params, sink);
    std::atomic<bool> keepGoing{true};
    {
        ScopedInterrupt interrupt(keepGoing);
        run.Start();
        const auto deadline = haveSeconds ? DeadlineAfter(limit) : Clock::time_point::max();
        const auto giveUpAfter = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::seconds(std::min<long long>(giveUpSeconds, 100LL * 365 * 86400)));
        sink.Wait(deadline, giveUpAfter, keepGoing, [&] { logger.Tick(recorder.Path()); });
        logger.Stopping();
        run.Stop(false);
    }
    sink.EndLastFile();
    if (sink.ConnectFailed())
        return fail(Say("连接到设备出现错误!"));
    const std::vector<WaveformRecorder::File> files = recorder.Files();
    if (recorder.Failed()) {
        PrintFiles(c.out, files, sink.Drops(), json);
        return fail(Say("记录文件写入失败: ") +
                    (recorder.Path().empty() ? recorder.Folder() : recorder.Path()) + ": " +
                    std::strerror(recorder.Error()));
    }
    if (files.empty())
        return fail(Say("未收到数据"));
    PrintFiles(c.out, files, sink.Drops(), json);
    if (sink.GaveUp())
        return fail(Say("设备 %1 秒未恢复连接, 录制已结束", {std::to_string(giveUpSeconds)}));
    return kExitOk;
}

} // namespace zel::cli
