#include "app/ProgramWindows.h"

#include "app/CZelmarineDlg.h"
#include "live/CRealDlg.h"
#include "live/CRecordDlg.h"
#include "stored/CTransDlg.h"
#include "stored/CUsbDlg.h"
#include "viewer/ViewDlg.h"

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

void RegisterProgramWindows(CZelmarineDlg& mainWindow, DeviceLink& link,
                            RemovableDriveLister drives, const std::string& recordDirectory) {
    mainWindow.SetWindowFactory(CZelmarineDlg::kViewer, [](QWidget* parent, const DeviceStatus*) {
        return std::make_unique<CViewDlg>(parent);
    });
    RegisterLiveWindows(mainWindow, link, recordDirectory);
    RegisterStoredRecordWindows(mainWindow, link, std::move(drives), recordDirectory);
}

} // namespace zel
