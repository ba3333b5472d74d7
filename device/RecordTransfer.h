#pragma once

#include "device/DeviceLink.h"
#include "records/RecordTypes.h"

#include <atomic>
#include <functional>
#include <string>

namespace zel {

// What a transfer reports while it runs; every call comes from the transferring thread.
struct TransferEvents {
    std::function<void(const std::string&)> statusText;
    std::function<void(int)> progressRange; // 0..n
    std::function<void(int)> progressPosition;
    std::function<void(const RecordFileSummary&)> fileDone;
};

enum class TransferOutcome {
    ConnectFailed,  // "连接到设备出现错误!"
    StatusFailed,   // "读取设备信息失败!", connection closed
    NoRecords,      // "无数据记录或存储信息读取失败!"
    DownloadFailed, // "数据传输失败!"
    Completed,      // "数据传输完成!", connection closed
    WriteFailed,    // a record file could not be written (errno says why), connection closed
    Stopped,        // "传输已停止": the caller cleared a flag; the connection is left to it
};

// The program's words for an outcome.
const char* TransferMessage(TransferOutcome outcome);

// Downloads every stored recording into "T" record files: connect, status, drain, directory,
// frames, files. `status` receives the fresh status. `downloading` is read before every request
// and `writing` before every frame written; the window passes one flag for both, the
// command-line tool keeps writing what arrived after an interrupted download. The connection
// is left open where the window closes it later (see TransferOutcome).
//
// A transfer whose flag is found cleared ends as Stopped: it reports nothing more, leaves the
// link alone (the one who stopped it may have aborted it and closes it after the join), and
// writes files only when `writing` is still set, so a download stopped through one flag for both
// leaves no record file behind. Stopped during the writing, the files finished so far stay.
TransferOutcome RunRecordTransfer(DeviceLink& link, DeviceStatus& status,
                                  const std::atomic<bool>& downloading,
                                  const std::atomic<bool>& writing, const TransferEvents& events,
                                  const std::string& directory = {});

} // namespace zel
