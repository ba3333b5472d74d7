#pragma once

namespace zel {

class CZelmarineDlg;
class DeviceLink;

// Lets the main window's buttons 实时查看 and 实时录制 open the live view and the live
// recording window on this link.
void RegisterLiveWindows(CZelmarineDlg& mainWindow, DeviceLink& link);

} // namespace zel
