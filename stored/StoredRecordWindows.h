#pragma once

#include "records/InstrumentFileScan.h"

#include <string>

namespace zel {

class CZelmarineDlg;
class DeviceLink;

// Lets the main window's buttons 记录传输 and 文件分析 open the record transfer window (on
// `link`, with the status of the last poll) and the file analysis window (over the folders
// `drives` lists). `recordDirectory` is where both write; empty means the ZMR folder beside the
// program.
void RegisterStoredRecordWindows(CZelmarineDlg& mainWindow, DeviceLink& link,
                                 RemovableDriveLister drives, std::string recordDirectory = {});

} // namespace zel
