#include "device/RecordTransfer.h"

#include "common/TranslatableText.h"
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
        return QT_TRANSLATE_NOOP("zel::DeviceText", "连接到设备出现错误!");
    case TransferOutcome::StatusFailed:
        return QT_TRANSLATE_NOOP("zel::DeviceText", "读取设备信息失败!");
    case TransferOutcome::NoRecords:
        return QT_TRANSLATE_NOOP("zel::DeviceText", "无数据记录或存储信息读取失败!");
    case TransferOutcome::DownloadFailed:
        return QT_TRANSLATE_NOOP("zel::DeviceText", "数据传输失败!");
    case TransferOutcome::Completed:
        return QT_TRANSLATE_NOOP("zel::DeviceText", "数据传输完成!");
    case TransferOutcome::WriteFailed:
        return QT_TRANSLATE_NOOP("zel::DeviceText", "保存数据失败!");
    case TransferOutcome::Stopped:
        return QT_TRANSLATE_NOOP("zel::DeviceText", "传输已停止");
    }
    return "";
}

TransferOutcome RunRecordTransfer(DeviceLink& link, DeviceStatus& status,
                                  const std::atomic<bool>& downloading,
                                  const std::atomic<bool>& writing, const TransferEvents& events,
                                  const std::string& directory) {
    const auto stopped = [&downloading] { return !downloading.load(); };
    // Until the download ends, nothing is reported once the flag is seen cleared.
    TransferEvents live;
    live.statusText = [&](const std::string& text) {
        if (!stopped())
            Call(events.statusText, text);
    };
    live.progressRange = [&](int n) {
        if (!stopped())
            Call(events.progressRange, n);
    };
    live.progressPosition = [&](int position) {
        if (!stopped())
            Call(events.progressPosition, position);
    };

    live.statusText(QT_TRANSLATE_NOOP("zel::DeviceText", "准备传输"));
    if (!link.Connect())
        return stopped() ? TransferOutcome::Stopped : TransferOutcome::ConnectFailed;
    if (!link.QueryStatus(status)) {
        if (stopped())
            return TransferOutcome::Stopped;
        link.Close();
        return TransferOutcome::StatusFailed;
    }
    link.Drain();

    live.statusText(QT_TRANSLATE_NOOP("zel::DeviceText", "正在读取存储信息"));
    const StoredDirectory directoryRead = ReadRecordDirectory(
        link, status.recordSlots, downloading, live.progressRange, live.progressPosition);
    if (stopped())
        return TransferOutcome::Stopped;
    if (directoryRead.entries.empty() || directoryRead.total == 0)
        return TransferOutcome::NoRecords;

    live.progressRange(directoryRead.total);
    live.progressPosition(0);
    std::vector<TrendFrame> frames;
    const bool ok = DownloadRecordFrames(
        link, directoryRead.entries, directoryRead.total, downloading,
        [&live](int done, int total) {
            char text[64];
            std::snprintf(text, sizeof text, QT_TRANSLATE_NOOP("zel::DeviceText", "第%d帧/共%d帧"),
                          done, total);
            live.statusText(text);
            live.progressPosition(done + 1);
        },
        frames);
    const bool downloadStopped = stopped();
    if (downloadStopped && (!ok || !writing.load()))
        return TransferOutcome::Stopped;
    if (!ok) {
        Call(events.statusText, std::string());
        Call(events.progressPosition, 0);
        return TransferOutcome::DownloadFailed;
    }

    link.Close();
    if (!writing.load())
        return TransferOutcome::Stopped;
    Call(events.statusText, std::string(QT_TRANSLATE_NOOP("zel::DeviceText", "正在保存数据")));
    const bool written = WriteTrendRecords(
        "T", static_cast<std::uint16_t>(status.serial), static_cast<std::uint16_t>(status.version),
        frames, writing,
        [&events](const RecordFileSummary& summary) { Call(events.fileDone, summary); }, directory);
    if (!written)
        return TransferOutcome::WriteFailed;
    return downloadStopped || !writing.load() ? TransferOutcome::Stopped
                                              : TransferOutcome::Completed;
}

} // namespace zel
