#include "live/LiveWindows.h"

#include "app/CZelmarineDlg.h"
#include "live/CRealDlg.h"
#include "live/CRecordDlg.h"

namespace zel {

void RegisterLiveWindows(CZelmarineDlg& mainWindow, DeviceLink& link) {
    mainWindow.SetWindowFactory(
        CZelmarineDlg::kLiveView,
        [&link](QWidget* parent, const DeviceStatus* status) -> std::unique_ptr<QDialog> {
            return std::make_unique<CRealDlg>(status ? *status : DeviceStatus{}, link, parent);
        });
    mainWindow.SetWindowFactory(
        CZelmarineDlg::kRecording,
        [&link](QWidget* parent, const DeviceStatus* status) -> std::unique_ptr<QDialog> {
            return std::make_unique<CRecordDlg>(status ? *status : DeviceStatus{}, link, parent);
        });
}

} // namespace zel
