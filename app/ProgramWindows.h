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

} // namespace zel
