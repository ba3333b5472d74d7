#pragma once

#include "widgets/CMyDialog.h"

#include <map>
#include <memory>

class QPushButton;
class QSlider;

namespace zel {

class CCurseWnd;
class CDigital;
class ClientEdgeFrame;
class CPlotWnd;
class CTimeWnd;
class CursorPairReadout;
class RecordFollower;
struct RecordImage;
class ViewerClock;
class ViewerCompare;
class ViewerEvents;
class ViewerKeys;
class CWaveWnd;
class ViewerNotes;
class ViewerProgress;
class ViewerStatistics;

// The record viewer: opens a record file from the PC and shows a waveform record as waveforms
// above trend curves, a trend record as trend curves over the whole plot area. The user reads
// the values under the cursors, zooms and scrolls each plot, saves either plot as a BMP picture
// and plays the record back at eleven speeds. It needs no instrument.
//
// States: empty (nothing loaded, play disabled) → record open → playing (open, cut and zoom
// disabled, play shows "停止") → record open again when the user stops.
class CViewDlg : public CMyDialog {
    Q_OBJECT

public:
    // Control ids.
    enum : int {
        kReadout1 = 1001, // 1001 to 1006, left to right
        kOpen = 1007,
        kTrendZoomIn = 1008,
        kTrendZoomOut = 1009,
        kCut = 1010,
        kPlay = 1011,
        kSpeed = 1012,
        kButtonFrame = 1015,
        kReadoutFrame = 1016,
        kWaveZoomIn = 1023,
        kWaveZoomOut = 1024,
    };
    // Menus and their items (see LoadViewerMenu).
    enum : int {
        kCutMenu = 142,
        kPlayMenu = 143,
        kCutWave = 32774,
        kCutTrend = 32775,
        kPlayBoth = 32779,
        kPlayTrend = 32780,
        kPlayWave = 32781,
    };
    enum PlayMode { PlayBoth = 0, PlayWaveOnly = 1, PlayTrendOnly = 2 };

    explicit CViewDlg(QWidget* parent = nullptr);
    ~CViewDlg() override;

    // Loads a record file and shows it in place of the one shown. A file that cannot be loaded
    // is reported in one line and changes nothing else; nothing is opened during playback.
    bool OpenRecord(const QString& path);

    // The plots and the bar sit inside frames of a border and a sunken edge; the layout places
    // the frames (Frame(WavePlot()) and so on).
    static QWidget* Frame(QWidget* framed) { return framed ? framed->parentWidget() : nullptr; }
    CWaveWnd* WavePlot() const { return wave_; }
    CCurseWnd* TrendPlot() const { return trend_; }
    CTimeWnd* InfoBar() const { return bar_; }
    CDigital* Readout(int id) const;
    QPushButton* Button(int id) const;
    QSlider* SpeedSlider() const { return slider_; }
    // The statistics and export buttons and what they do.
    ViewerStatistics* Statistics() const { return statistics_.get(); }
    // The notes on the record and saving the selection as a record.
    ViewerNotes* Notes() const { return notes_.get(); }
    // Cursor B on the trend plot and the table of both cursors.
    CursorPairReadout* CursorPair() const { return cursorPair_.get(); }
    // Clock time on the time axes, and going to a time.
    ViewerClock* Clock() const { return clock_.get(); }
    // A second record drawn over the trend plot.
    ViewerCompare* Compare() const { return compare_.get(); }
    // The record's events over the limits, listed and drawn as bands.
    ViewerEvents* Events() const { return events_.get(); }
    // How far a long job has come (a record being read for comparison, a selection being
    // saved), with its cancel button.
    ViewerProgress* Progress() const { return progress_; }
    // A record still being written is followed as it grows.
    RecordFollower* Follower() const { return follower_.get(); }

    bool HasWave() const { return hasWave_; }
    bool Playing() const { return playing_; }
    int CurrentPlayMode() const { return playMode_; }
    int Speed() const { return speed_; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void LayOut(bool withWave);
    void ShowRecordInfo(int deviceNumber, int version, std::int64_t startTime, int dataCount);
    void OnOpen();
    void OnCut();
    void SavePlot(CPlotWnd* plot);
    void OnPlay();
    void StartPlay(int mode);
    void StopPlay();
    void OnSpeedChanged(int position);
    void OnZoom(int id);
    void UpdateZoomButtons();
    void OnCursor(int code);
    void OnRecordGrown(const std::shared_ptr<const RecordImage>& record);
    void OnFollowEnded(const std::shared_ptr<const RecordImage>& record);
    void ShowTitle();
    int RunMenu(int menuId, int buttonId); // the chosen item, 0 when dismissed

    CWaveWnd* wave_ = nullptr;
    CCurseWnd* trend_ = nullptr;
    CTimeWnd* bar_ = nullptr;
    // The border and sunken edge around each of the three.
    ClientEdgeFrame* waveEdge_ = nullptr;
    ClientEdgeFrame* trendEdge_ = nullptr;
    ClientEdgeFrame* barEdge_ = nullptr;
    CDigital* readouts_[6] = {};
    QSlider* slider_ = nullptr;
    std::map<int, QWidget*> controls_;
    std::unique_ptr<ViewerStatistics> statistics_;
    std::unique_ptr<ViewerNotes> notes_;
    std::unique_ptr<CursorPairReadout> cursorPair_;
    std::unique_ptr<ViewerClock> clock_;
    std::unique_ptr<ViewerKeys> keys_;
    std::unique_ptr<ViewerCompare> compare_;
    std::unique_ptr<ViewerEvents> events_;
    ViewerProgress* progress_ = nullptr;
    std::unique_ptr<RecordFollower> follower_;
    QString followedPath_;
    bool grew_ = false; // the followed record has grown since it was opened
    bool hasWave_ = true;
    bool playing_ = false;
    int playMode_ = PlayBoth;
    int speed_ = 0;
};

} // namespace zel
