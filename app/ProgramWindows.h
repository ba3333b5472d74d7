#pragma once

#include "records/InstrumentFileScan.h"

#include <string>

namespace zel {

class CZelmarineDlg;
class DeviceLink;

// Gives every button of the main window its window: the record viewer, the live view and live
// recording, the record transfer and the file analysis. The program and the demo call this
// alike. `drives` lists the removable drives the file analysis searches; `recordDirectory` is
// where the windows write their records (empty: the program's record folder).
void RegisterProgramWindows(CZelmarineDlg& mainWindow, DeviceLink& link,
                            RemovableDriveLister drives, const std::string& recordDirectory = {});

// Lets the main window's buttons 实时查看 and 实时录制 open the live view and the live
// recording window on this link. recordDirectory: where their files go; empty means the ZMR
// folder beside the program.
void RegisterLiveWindows(CZelmarineDlg& mainWindow, DeviceLink& link,
                         const std::string& recordDirectory = {});

// Lets the main window's buttons 记录传输 and 文件分析 open the record transfer window (on
// `link`, with the status of the last poll) and the file analysis window (over the folders
// `drives` lists). `recordDirectory` is where both write; empty means the ZMR folder beside the
// program.
void RegisterStoredRecordWindows(CZelmarineDlg& mainWindow, DeviceLink& link,
                                 RemovableDriveLister drives, std::string recordDirectory = {});

} // namespace zel
