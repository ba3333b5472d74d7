#include "device/RecordTransfer.h"

#include "device/StoredRecords.h"
#include "records/TrendRecordWriter.h"

#include <cstdio>

namespace zel {
namespace {

template <typename F, typename... Args> void Call(const F& f, Args&&... args) {
    if (f)
        f(std::forward<Args>(args)...);
}

} // namespace

const char* TransferMessage(TransferOutcome outcome) {
    switch (outcome) {
    case TransferOutcome::ConnectFailed:
        return "连接到设备出现错误!";
    case TransferOutcome::StatusFailed:
        return "读取设备信息失败!";
    case TransferOutcome::NoRecords:
        return "无数据记录或存储信息读取失败!";
    case TransferOutcome::DownloadFailed:
        return "数据传输失败!";
    case TransferOutcome::Completed:
        return "数据传输完成!";
    case TransferOutcome::WriteFailed:
        return "保存数据失败!";
    }
    return "";
}

TransferOutcome RunRecordTransfer(DeviceLink& link, DeviceStatus& status,
                                  const std::atomic<bool>& downloading,
                                  const std::atomic<bool>& writing, const TransferEvents& events,
                                  const std::string& directory) {
    Call(events.statusText, std::string("准备传输"));
    if (!link.Connect())
        return TransferOutcome::ConnectFailed;
    if (!link.QueryStatus(status)) {
        link.Close();
        return TransferOutcome::StatusFailed;
    }
    link.Drain();

    Call(events.statusText, std::string("正在读取存储信息"));
    const StoredDirectory directoryRead = ReadRecordDirectory(
        link, status.recordSlots, downloading, events.progressRange, events.progressPosition);
    if (directoryRead.entries.empty() || directoryRead.total == 0)
        return TransferOutcome::NoRecords;

    Call(events.progressRange, directoryRead.total);
    Call(events.progressPosition, 0);
    std::vector<TrendFrame> frames;
    const bool ok = DownloadRecordFrames(
        link, directoryRead.entries, directoryRead.total, downloading,
        [&events](int done, int total) {
            char text[64];
            std::snprintf(text, sizeof text, "第%d帧/共%d帧", done, total);
            Call(events.statusText, std::string(text));
            Call(events.progressPosition, done + 1);
        },
        frames);
    if (!ok) {
        Call(events.statusText, std::string());
        Call(events.progressPosition, 0);
        return TransferOutcome::DownloadFailed;
    }

    link.Close();
    Call(events.statusText, std::string("正在保存数据"));
    const bool written = WriteTrendRecords(
        "T", static_cast<std::uint16_t>(status.serial), static_cast<std::uint16_t>(status.version),
        frames, writing,
        [&events](const RecordFileSummary& summary) { Call(events.fileDone, summary); }, directory);
    return written ? TransferOutcome::Completed : TransferOutcome::WriteFailed;
}

} // namespace zel
