#pragma once

#include <string>

namespace zel {

class CZelmarineDlg;
class DeviceLink;

// Lets the main window's buttons 实时查看 and 实时录制 open the live view and the live
// recording window on this link. recordDirectory: where their files go; empty means the ZMR
// folder beside the program.
void RegisterLiveWindows(CZelmarineDlg& mainWindow, DeviceLink& link,
                         const std::string& recordDirectory = {});

} // namespace zel
