#pragma once

#include "device/DeviceLink.h"
#include "device/DeviceStatus.h"
#include "device/LiveRun.h"
#include "widgets/CMyDialog.h"

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPushButton;

namespace zel {

class CTimeWnd;
class LiveEventWatch;
class LiveRecordSink;
class ClientEdgeFrame;

// Live recording without plots: 开始录制 starts a stream run, 停止录制 ends it without
// draining, and every run that receives a block records it to an "R" file of its own, created
// with the run's first block. The information bar keeps a run's start time and count until
// the next run's first block. Closing stops a running recording first. A run that loses its
// link says so on the line under the bar, reconnects by itself, and goes on in a new "R" file
// after the gap; the bar's count is the run's total.
class CRecordDlg : public CMyDialog {
    Q_OBJECT

public:
    enum : int { kStart = 1044, kStop = 1045, kLinkLine = 1046 };

    // recordDirectory: where the "R" files go; empty means the ZMR folder beside the program.
    CRecordDlg(const DeviceStatus& status, DeviceLink& link, QWidget* parent = nullptr,
               const std::string& recordDirectory = {});
    ~CRecordDlg() override;

    // Places the information bar for a client rectangle; the window does it once, for the
    // size of its template.
    void LayOut(const QRect& client);

    void Start();
    void Stop();
    bool Recording() const { return run_->Started(); }

    CTimeWnd* InfoBar() const { return infoBar_; }
    ClientEdgeFrame* InfoBarFrame() const { return infoBarFrame_; }
    QLabel* LinkLine() const { return linkLine_; }
    QPushButton* Button(int id) const;
    // The limits the recording is watched against, config.ini's at first; while stopped.
    LiveEventWatch& Events() const { return *events_; }
    // The latest run's "R" file; empty until that run's first block.
    std::string RecordPath() const;
    // Every file of the latest run, one per stretch between drops of the link.
    std::vector<std::string> RecordPaths() const;

    void done(int result) override;

private:
    DeviceStatus status_;
    DeviceLink& link_;
    CTimeWnd* infoBar_ = nullptr;
    ClientEdgeFrame* infoBarFrame_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QLabel* linkLine_ = nullptr;
    std::unique_ptr<LiveEventWatch> events_;
    std::unique_ptr<LiveRecordSink> sink_;
    std::unique_ptr<LiveRun> run_;
};

} // namespace zel
