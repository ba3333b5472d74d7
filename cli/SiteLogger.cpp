#include "cli/SiteLogger.h"

#include "cli/Messages.h"
#include "common/DeviceText.h"
#include "common/LocalTime.h"

#include <cstdio>
#include <cstring>

namespace zel::cli {
namespace {

std::string Time(std::int64_t t) {
    return FormatLocalTime(t, "%Y-%m-%d %H:%M:%S");
}

} // namespace

std::string SizeText(std::uint64_t bytes) {
    if (bytes < 1024)
        return std::to_string(bytes) + " B";
    const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(units)) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

SiteLogger::SiteLogger(std::ostream& err, Settings settings)
    : settings_(std::move(settings)), log_(err, settings_.journal),
      watchdog_(notifier_.WatchdogPeriod(), settings_.stallLimit, Clock::now()),
      nextSpaceCheck_(Clock::now() + settings_.spaceCheck), events_(settings_.limits) {
    if (!settings_.clock)
        settings_.clock = NowSeconds;
}

void SiteLogger::Started(std::uint16_t serial, const std::string& folder) {
    settings_.series.deviceNumber = serial;
    settings_.series.folder = folder;
    retention_ = std::make_unique<RecordRetention>(
        settings_.series, settings_.rules, settings_.space ? *settings_.space : fileSystem_,
        settings_.clock, [this](const auto& deletion) { OnDeletion(deletion); },
        [this](const auto& shortage) { OnShortage(shortage); });
    if (settings_.verbose)
        log_.Write(LogPriority::Info, Say("开始记录: 设备 %1, 文件夹 %2",
                                          {DeviceNumberText(serial), settings_.series.folder}));
}

void SiteLogger::BeforeFileBegun(const std::string& current) {
    if (retention_)
        retention_->MakeRoom(current);
}

void SiteLogger::FileBegun(const std::string& path) {
    if (settings_.verbose)
        log_.Write(LogPriority::Info, Say("开始写入 %1", {path}));
    notifier_.Status(Say("正在写入 %1", {path}));
}

void SiteLogger::FileEnded(const std::string& path, long long blocks, const std::string& current) {
    if (settings_.verbose)
        log_.Write(LogPriority::Info, Say("已结束 %1, 共 %2 块", {path, std::to_string(blocks)}));
    if (retention_)
        retention_->DeleteByAge(current);
}

void SiteLogger::BlockWritten(const std::string& path, int count, std::int32_t ch1,
                              std::int32_t ch2) {
    watchdog_.Progress(Clock::now());
    if (count == 1)
        notifier_.Ready(Say("正在写入 %1", {path}));
    if (!settings_.verbose || !settings_.limits.Any())
        return;
    std::lock_guard lock(eventsMutex_);
    const EventFinder::Step step = events_.Add(count, ch1, ch2);
    TellEnds();
    for (int k = 0; k < kLimitKinds; ++k) {
        const auto kind = static_cast<LimitKind>(k);
        if (step.started & (1u << k))
            log_.Write(LogPriority::Warning, Say("%1 超限开始: %2 = %3, 限值 %4",
                                                 {Time(NowSeconds()), LimitName(kind),
                                                  std::to_string(LimitValue(kind, ch1, ch2)),
                                                  std::to_string(settings_.limits[kind].above)}));
    }
}

void SiteLogger::TellEnds() {
    const std::vector<LimitEvent>& ended = events_.Events();
    for (; endsTold_ < ended.size(); ++endsTold_) {
        const LimitEvent& event = ended[endsTold_];
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", event.DurationSeconds());
        log_.Write(LogPriority::Info, Say("%1 超限结束: %2, 持续 %3 秒, 最大 %4",
                                          {Time(NowSeconds()), LimitName(event.limit), seconds,
                                           std::to_string(event.max)}));
    }
}

void SiteLogger::Ended() {
    std::lock_guard lock(eventsMutex_);
    events_.Close();
    TellEnds();
}

void SiteLogger::LinkChanged(const LinkEvent& event) {
    // A reconnect attempt is the recording getting somewhere: the watchdog goes on.
    watchdog_.Progress(Clock::now());
    drops_.store(event.drops);
    if (event.kind == LinkEvent::Kind::Lost) {
        const std::string text = Say("%1 连接中断, 正在重新连接", {Time(event.lostAt)});
        log_.Write(LogPriority::Warning, text);
        notifier_.Status(text);
        // No event runs on across the gap.
        Ended();
    } else if (event.kind == LinkEvent::Kind::Resumed) {
        const std::string text =
            Say("%1 连接已恢复 (中断于 %2, 第%3次中断)",
                {Time(event.at), Time(event.lostAt), std::to_string(event.drops)});
        log_.Write(LogPriority::Info, text);
        notifier_.Status(text);
    }
}

void SiteLogger::Tick(const std::string& current) {
    const Clock::time_point now = Clock::now();
    if (watchdog_.Due(now))
        notifier_.PingWatchdog();
    if (retention_ && retention_->Active() && now >= nextSpaceCheck_) {
        nextSpaceCheck_ = now + settings_.spaceCheck;
        retention_->MakeRoom(current);
    }
}

void SiteLogger::Stopping() {
    notifier_.Stopping();
}

void SiteLogger::OnDeletion(const RecordRetention::Deletion& deletion) {
    const RetainedRecord& file = deletion.file;
    if (deletion.error != 0) {
        log_.Write(LogPriority::Warning,
                   Say("无法删除 %1: %2", {file.path, std::strerror(deletion.error)}));
        return;
    }
    const std::string size = SizeText(file.size);
    if (deletion.reason == RecordRetention::Reason::Age) {
        log_.Write(LogPriority::Info,
                   Say("已删除 %1 (%2, %3 至 %4): 最后一块早于 %5 天",
                       {file.path, size, Time(file.firstTime), Time(file.lastTime),
                        std::to_string(settings_.rules.keepDays)}));
    } else {
        log_.Write(LogPriority::Info, Say("已删除 %1 (%2, %3 至 %4): 可用空间少于 %5",
                                          {file.path, size, Time(file.firstTime),
                                           Time(file.lastTime), settings_.minFreeText}));
    }
}

void SiteLogger::OnShortage(const RecordRetention::Shortage& shortage) {
    // Said once, and again every check interval while it lasts: often enough to be seen,
    // rarely enough not to bury the rest.
    {
        std::lock_guard lock(shortageMutex_);
        const Clock::time_point now = Clock::now();
        if (shortageSaid_ && now - lastShortage_ < settings_.spaceCheck)
            return;
        shortageSaid_ = true;
        lastShortage_ = now;
    }
    if (!shortage.available) {
        log_.Write(LogPriority::Error,
                   Say("无法得知 %1 的可用空间: %2",
                       {settings_.series.folder, std::strerror(shortage.error)}));
        return;
    }
    log_.Write(LogPriority::Error, Say("可用空间只有 %1, 少于 %2, 已无旧记录可删除, 继续记录",
                                       {SizeText(*shortage.available), settings_.minFreeText}));
}

} // namespace zel::cli
