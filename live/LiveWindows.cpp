#include "live/LiveWindows.h"

#include "app/CZelmarineDlg.h"
#include "live/CRealDlg.h"
#include "live/CRecordDlg.h"

namespace zel {

void RegisterLiveWindows(CZelmarineDlg& mainWindow, DeviceLink& link,
                         const std::string& recordDirectory) {
    mainWindow.SetWindowFactory(
        CZelmarineDlg::kLiveView,
        [&link, recordDirectory](QWidget* parent,
                                 const DeviceStatus* status) -> std::unique_ptr<QDialog> {
            return std::make_unique<CRealDlg>(status ? *status : DeviceStatus{}, link, parent,
                                              recordDirectory);
        });
    mainWindow.SetWindowFactory(
        CZelmarineDlg::kRecording,
        [&link, recordDirectory](QWidget* parent,
                                 const DeviceStatus* status) -> std::unique_ptr<QDialog> {
            return std::make_unique<CRecordDlg>(status ? *status : DeviceStatus{}, link, parent,
                                                recordDirectory);
        });
}

} // namespace zel
