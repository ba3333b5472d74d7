#pragma once

#include "device/DeviceLink.h"
#include "device/DeviceStatus.h"
#include "device/LiveRun.h"
#include "records/Events.h"
#include "widgets/CMyDialog.h"

#include <map>
#include <memory>
#include <string>

class QFrame;
class QLabel;
class QPushButton;

namespace zel {

class CCurseWnd;
class CDigital;
class CTimeWnd;
class CWaveWnd;
class LiveEventWatch;
class LiveKeys;
class LiveRecordSink;
class ClientEdgeFrame;

// The live view: maximised, the instrument's live waveforms above its current trend, six
// readouts of the values under the plot cursors, the zoom buttons and the information bar.
// Every block of the stream is recorded to an "S" file, created with the first block. The
// readouts follow the plots' cursor notifications only. Closing, however it is asked for,
// stops the stream first: the worker within 200 ms, the stop request, a bounded drain, the
// close of the link. A lost link is told on a line above the readouts and leaves a break in
// the trend curve; the stream reconnects by itself.
class CRealDlg : public CMyDialog {
    Q_OBJECT

public:
    enum : int {
        kCh1Wave = 1001, // readouts 1001 to 1006
        kCh2Wave = 1002,
        kCh1Trend = 1003,
        kCh2Trend = 1004,
        kDifference = 1005,
        kUnbalance = 1006,
        kWaveZoomIn = 1023,
        kWaveZoomOut = 1024,
        kTrendZoomIn = 1008,
        kTrendZoomOut = 1009,
        kButtonFrame = 1015,
        kReadoutFrame = 1016,
        kLinkLine = 1030, // the link's state, above the readouts
    };
    static constexpr int kRefreshMs = 200;

    // recordDirectory: where the "S" file goes; empty means the ZMR folder beside the program.
    CRealDlg(const DeviceStatus& status, DeviceLink& link, QWidget* parent = nullptr,
             const std::string& recordDirectory = {});
    ~CRealDlg() override;

    // Places every child for a client rectangle. The window does it once, after maximising,
    // and not again when it is resized.
    void LayOut(const QRect& client);

    CWaveWnd* WavePlot() const { return wave_; }
    CCurseWnd* TrendPlot() const { return trend_; }
    CTimeWnd* InfoBar() const { return infoBar_; }
    // The windows around the plots and the bar, with their edges.
    ClientEdgeFrame* WaveFrame() const { return waveFrame_; }
    ClientEdgeFrame* TrendFrame() const { return trendFrame_; }
    ClientEdgeFrame* InfoBarFrame() const { return infoBarFrame_; }
    CDigital* Readout(int id) const;
    QLabel* LinkLine() const { return linkLine_; }
    QPushButton* Button(int id) const;
    // The limits the stream is watched against and whether an event's start sounds a tone;
    // config.ini's at first. Before the window is shown.
    void SetLimits(const EventLimits& limits, bool sound);
    const LiveEventWatch& Events() const { return *events_; }
    LiveKeys* Keys() const { return keys_; }
    // The run's "S" file; empty until the first block has arrived.
    std::string RecordPath() const;

    // Showing the window the first time initialises it, as a dialog is before it appears.
    void setVisible(bool visible) override;
    void done(int result) override;

private:
    void CreateControls();
    void Initialise();
    void OnCursor(int code);
    void OnZoom(int id);
    void StopStream();

    DeviceStatus status_;
    DeviceLink& link_;
    CWaveWnd* wave_ = nullptr;
    CCurseWnd* trend_ = nullptr;
    CTimeWnd* infoBar_ = nullptr;
    ClientEdgeFrame* waveFrame_ = nullptr;
    ClientEdgeFrame* trendFrame_ = nullptr;
    ClientEdgeFrame* infoBarFrame_ = nullptr;
    std::map<int, CDigital*> readouts_;
    std::map<int, QLabel*> labels_;
    QLabel* linkLine_ = nullptr;
    std::map<int, QPushButton*> buttons_;
    QFrame* buttonFrame_ = nullptr;
    QFrame* readoutFrame_ = nullptr;
    EventLimits limits_;
    std::unique_ptr<LiveEventWatch> events_;
    LiveKeys* keys_ = nullptr; // a child, outlives the run that feeds it
    // The run is declared after the sink it feeds, so it is stopped before the sink goes.
    std::unique_ptr<LiveRecordSink> sink_;
    std::unique_ptr<LiveRun> run_;
    bool initialised_ = false;
    bool stopped_ = false;
};

} // namespace zel
