#pragma once

#include "device/DeviceStatus.h"
#include "device/LiveStreamWorker.h"
#include "device/WaveformRecorder.h"

#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace zel {

class CTimeWnd;

// What both live windows do with their stream, on the worker thread: the run's first block
// creates the record file and sets the information bar's start time; every block is appended
// to the file, handed to the window's own handler (the live view's plots) and counted on the
// bar. Failures are shown on the window's thread: a connection that cannot be opened, and once
// per run a record file that cannot be created or written. The worker never waits for the
// window; the stream and the handler go on when the file fails.
//
// A lost link is told on the window's status line while it lasts, with the time it dropped and
// the reconnect attempt; after it resumes, the line keeps the number of drops. The blocks after
// a gap go to a new file of the same prefix; the gap handler is told of the loss (the live view
// breaks its trend curve there). The line belongs to one run: what a run said of its link and
// is still on its way to the window when the run ends is dropped.
class LiveRecordSink : public LiveStreamSink {
public:
    using BlockHandler = std::function<void(const SampleBlock&)>;

    // The window and the bar must outlive every run of the sink.
    LiveRecordSink(QWidget* window, CTimeWnd* infoBar, const std::string& prefix,
                   const DeviceStatus& status, const std::string& directory,
                   BlockHandler handler = {});

    // The label that shows the link's state; set before the first run.
    void SetLinkLine(QLabel* line) { linkLine_ = line; }
    // Told on the worker thread when the link is lost: the blocks after it follow a gap.
    void SetGapHandler(std::function<void()> handler) { gapHandler_ = std::move(handler); }
    // A new run: the line is emptied (window's thread).
    void ClearLinkLine();
    // The run has ended and its worker with it (window's thread): a line that still says the
    // link is down is emptied, and the run's link events on their way are dropped. The count
    // of drops of a run that resumed stays until the next run.
    void EndRun();

    std::string RecordPath() const { return recorder_.Path(); }
    const WaveformRecorder& Recorder() const { return recorder_; }

    void onFirstBlock() override;
    void onNextStretch() override;
    void onBlock(const SampleBlock& block, int count) override;
    void onConnectFailed() override;
    void onLinkEvent(const LinkEvent& event) override;

    // "连接中断 22:14:05，正在重新连接(第3次)…" while the link is down, the count of drops after.
    static QString LinkText(const LinkEvent& event);

    // "保存数据失败!", the file (or, when none could be made, the folder) and the reason.
    static QString SaveFailureText(const std::string& where, int error);

private:
    void ReportSaveFailure();
    // Queued to the window's thread; dropped when the window has gone or been closed meanwhile.
    void ShowError(const QString& text);

    QPointer<QWidget> window_;
    CTimeWnd* infoBar_;
    WaveformRecorder recorder_;
    BlockHandler handler_;
    // The run the line speaks for, counted up at each start and end, and whether it says that
    // the link is down. Shared with the queued calls, which may outlive a run.
    struct LineState {
        std::atomic<unsigned> run{0};
        bool down = false; // window's thread only
    };
    QPointer<QLabel> linkLine_;
    std::shared_ptr<LineState> lineState_ = std::make_shared<LineState>();
    std::function<void()> gapHandler_;
};

} // namespace zel
