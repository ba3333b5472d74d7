#include "app/ProgramWindows.h"

#include "app/CZelmarineDlg.h"
#include "live/LiveWindows.h"
#include "plot/ViewDlg.h"
#include "stored/StoredRecordWindows.h"

namespace zel {

void RegisterProgramWindows(CZelmarineDlg& mainWindow, DeviceLink& link,
                            RemovableDriveLister drives, const std::string& recordDirectory) {
    mainWindow.SetWindowFactory(CZelmarineDlg::kViewer, [](QWidget* parent, const DeviceStatus*) {
        return std::make_unique<CViewDlg>(parent);
    });
    RegisterLiveWindows(mainWindow, link, recordDirectory);
    RegisterStoredRecordWindows(mainWindow, link, std::move(drives), recordDirectory);
}

} // namespace zel
