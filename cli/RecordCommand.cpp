#include "cli/RecordCommand.h"

#include "cli/Interrupt.h"
#include "device/LiveRun.h"
#include "device/WaveformRecorder.h"

#include <charconv>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace zel::cli {
namespace {

bool PositiveNumber(const std::string& text, long long& value) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && value > 0;
}

// Records every block and tells the waiting command thread how far it got.
class RecordSink : public LiveStreamSink {
public:
    RecordSink(WaveformRecorder& recorder, long long blockLimit)
        : recorder_(recorder), blockLimit_(blockLimit) {}

    void onFirstBlock() override { recorder_.BeginRun(); }
    void onBlock(const SampleBlock& block, int count) override {
        // Blocks that arrive between reaching the limit and the stop are not wanted.
        if (blockLimit_ > 0 && count > blockLimit_)
            return;
        recorder_.Record(block);
        std::lock_guard lock(mutex_);
        count_ = count;
        lastBlock_ = std::chrono::steady_clock::now();
        changed_.notify_all();
    }
    void onConnectFailed() override {
        std::lock_guard lock(mutex_);
        connectFailed_ = true;
        changed_.notify_all();
    }

    // Waits until the block limit is reached, the connection failed, a file failed, the
    // deadline passed, the instrument fell silent for `silence` or keepGoing was cleared; polls
    // keepGoing since a signal cannot notify. The stream worker does not notice a connection
    // the instrument dropped, so without the silence limit such a run would wait for ever.
    void Wait(std::chrono::steady_clock::time_point deadline, std::chrono::milliseconds silence,
              const std::atomic<bool>& keepGoing) {
        std::unique_lock lock(mutex_);
        lastBlock_ = std::chrono::steady_clock::now();
        while (keepGoing.load() && !connectFailed_ && !recorder_.Failed() &&
               (blockLimit_ == 0 || count_ < blockLimit_) &&
               std::chrono::steady_clock::now() < deadline) {
            if (std::chrono::steady_clock::now() - lastBlock_ >= silence) {
                fellSilent_ = true;
                return;
            }
            changed_.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
    int Count() {
        std::lock_guard lock(mutex_);
        return count_;
    }
    bool ConnectFailed() {
        std::lock_guard lock(mutex_);
        return connectFailed_;
    }
    bool FellSilent() {
        std::lock_guard lock(mutex_);
        return fellSilent_;
    }

private:
    WaveformRecorder& recorder_;
    long long blockLimit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
    bool connectFailed_ = false;
    bool fellSilent_ = false;
    std::chrono::steady_clock::time_point lastBlock_;
};

// `seconds` from now; a deadline the clock cannot hold (some 292 years away) means none.
std::chrono::steady_clock::time_point DeadlineAfter(long long seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point now = Clock::now();
    const auto room =
        std::chrono::duration_cast<std::chrono::seconds>(Clock::time_point::max() - now);
    if (seconds >= room.count())
        return Clock::time_point::max();
    return now + std::chrono::seconds(seconds);
}

} // namespace

const std::chrono::milliseconds RecordCommand::kSilenceLimit{5000};

int RecordCommand::Run(CliContext& c) {
    std::string seconds, blocks, prefix = "R", directory;
    bool haveSeconds = false, haveBlocks = false, havePrefix = false, haveDirectory = false;
    if (!TakeValue(c.args, "--seconds", seconds, haveSeconds) ||
        !TakeValue(c.args, "--blocks", blocks, haveBlocks) ||
        !TakeValue(c.args, "--prefix", prefix, havePrefix) ||
        !TakeValue(c.args, "--dir", directory, haveDirectory))
        return UsageError(c, "option without value");
    if (!c.args.empty())
        return UsageError(c, "unexpected argument " + c.args.front());
    long long limit = 0;
    if (haveSeconds == haveBlocks || !PositiveNumber(haveSeconds ? seconds : blocks, limit))
        return UsageError(c, "give either --seconds S or --blocks N, a positive number");
    if (prefix.empty() || prefix.find('/') != std::string::npos)
        return UsageError(c, "bad prefix");

    // The window is opened with the last status: the file carries its serial and version.
    DeviceStatus status;
    if (!c.link.Connect())
        return Fail(c, "连接到设备出现错误!");
    const bool haveStatus = c.link.QueryStatus(status);
    c.link.Close();
    if (!haveStatus)
        return Fail(c, "读取设备信息失败!");

    WaveformRecorder recorder(prefix, static_cast<std::uint16_t>(status.serial),
                              static_cast<std::uint16_t>(status.version), directory);
    RecordSink sink(recorder, haveBlocks ? limit : 0);
    LiveRun run(c.link, {std::chrono::milliseconds(10), false}, sink);
    std::atomic<bool> keepGoing{true};
    {
        ScopedInterrupt interrupt(keepGoing);
        run.Start();
        const auto deadline =
            haveSeconds ? DeadlineAfter(limit) : std::chrono::steady_clock::time_point::max();
        sink.Wait(deadline, kSilenceLimit, keepGoing);
        run.Stop(false);
    }
    if (sink.ConnectFailed())
        return Fail(c, "连接到设备出现错误!");
    if (recorder.Failed())
        return Fail(c, "记录文件写入失败: " +
                           (recorder.Path().empty() ? recorder.Folder() : recorder.Path()) + ": " +
                           std::strerror(recorder.Error()));
    if (recorder.Path().empty())
        return Fail(c, "未收到数据");
    c.out << recorder.Path() << '\t' << sink.Count() << '\n';
    if (sink.FellSilent())
        return Fail(c, "设备停止发送数据, 录制已结束");
    return kExitOk;
}

} // namespace zel::cli
