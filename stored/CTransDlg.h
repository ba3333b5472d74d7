#pragma once

#include "device/DeviceLink.h"
#include "device/RecordTransfer.h"
#include "device/WorkerStopper.h"
#include "widgets/CMyDialog.h"

#include <atomic>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zel {

class ReportList;

// The record transfer window: downloads every recording stored on the instrument into "T"
// record files on a worker, lists the files as they are written, and clears the instrument's
// storage. The main window has stopped its poller, so the link is this window's alone.
class CTransDlg : public CMyDialog {
    Q_OBJECT

public:
    enum : int {
        kStartButton = 1029,
        kClearButton = 1050,
        kList = 1047,
        kProgress = 1048,
        kStatusText = 1049,
    };

    // `recordDirectory` is where the files go; empty means the ZMR folder beside the program.
    CTransDlg(DeviceLink& link, const DeviceStatus& status, QWidget* parent = nullptr,
              std::string recordDirectory = {});
    ~CTransDlg() override;

    ReportList* List() const { return list_; }
    QLabel* StatusText() const { return statusText_; }
    QProgressBar* Progress() const { return progress_; }
    QPushButton* StartButton() const { return start_; }
    QPushButton* ClearButton() const { return clear_; }
    bool Transferring() const { return transferring_.load(); }
    // True while a transfer worker is running.
    bool WorkerBusy() const { return worker_.Started() && !worker_.Finished(); }

signals:
    // Every text the status line shows, in order (the line itself keeps only the last).
    void StatusTextChanged(const QString& text);

protected:
    bool CanClose() override;

private:
    void CreateControls();
    void SetStatusText(const QString& text);
    void OnStart();
    void OnClear();
    void StartWorker();
    void StopTransfer();
    void EndWorker();
    void RunWorker(int generation, DeviceStatus status);
    void Finish(TransferOutcome outcome, const DeviceStatus& status);
    template <typename F> void Post(int generation, F&& f);

    DeviceLink& link_;
    DeviceStatus status_;
    std::string recordDirectory_;
    ReportList* list_ = nullptr;
    QLabel* statusText_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* clear_ = nullptr;

    std::atomic<bool> transferring_{false};
    // Set when the worker had to be cancelled: from then on it touches nothing.
    std::atomic<bool> cancelled_{false};
    // Window thread only. The stop moves it on, so that nothing a stopped worker has queued
    // reaches the window.
    int generation_ = 0;
    // Last, so that it is stopped before the members the worker uses go away.
    WorkerStopper worker_;
};

} // namespace zel
