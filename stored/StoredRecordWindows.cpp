#include "stored/StoredRecordWindows.h"

#include "app/CZelmarineDlg.h"
#include "stored/CTransDlg.h"
#include "stored/CUsbDlg.h"

namespace zel {

void RegisterStoredRecordWindows(CZelmarineDlg& mainWindow, DeviceLink& link,
                                 RemovableDriveLister drives, std::string recordDirectory) {
    mainWindow.SetWindowFactory(
        CZelmarineDlg::kTransfer,
        [&link, recordDirectory](QWidget* parent,
                                 const DeviceStatus* status) -> std::unique_ptr<QDialog> {
            return std::make_unique<CTransDlg>(link, status ? *status : DeviceStatus{}, parent,
                                               recordDirectory);
        });
    mainWindow.SetWindowFactory(
        CZelmarineDlg::kFileAnalysis,
        [drives = std::move(drives),
         recordDirectory](QWidget* parent, const DeviceStatus*) -> std::unique_ptr<QDialog> {
            return std::make_unique<CUsbDlg>(drives, parent, recordDirectory);
        });
}

} // namespace zel
