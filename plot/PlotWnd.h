#pragma once

#include "plot/PlotCursor.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

class QComboBox;
class QPainter;
class QScrollBar;

namespace zel {

// Requests of the horizontal scroll bar, in the instrument viewer's terms.
enum class ScrollRequest {
    LineLeft,
    LineRight,
    PageLeft,
    PageRight,
    ThumbPosition,
    ThumbTrack,
    ToStart,
    ToEnd,
    EndScroll
};

// What the waveform and the trend plot share: the view (`first_`, `span_`, `scale_`), prebuilt
// vertex lists, the cursor and its notification, the scale selector, the scroll bar, playback
// and auto refresh timers and double-buffered painting. A subclass owns the data and says how
// it maps to pixels. Only the append operations of a subclass may run on another thread; they
// take `lock_`, copy and return without waiting for the window thread.
class CPlotWnd : public QWidget {
    Q_OBJECT

public:
    ~CPlotWnd() override;

    // Halves (`in`) or doubles `span_`; returns the new span, 0 when refused.
    int Zoom(bool in);
    // Whether Zoom(in) would be granted now.
    bool CanZoom(bool in) const;
    void Play(int speed);
    void StopPlay();
    void StartAutoRefresh(int periodMs);
    void ResetCursor();
    void SetCursorNotify(PlotCursorNotify notify);
    // With a start time the time labels show the clock time (see TimeAxisLabels); without,
    // the time since the start.
    void SetClockStart(std::optional<std::int64_t> start);
    // The viewer's plots carry a horizontal scroll bar below their client area.
    void EnableScrollBar();

    int CursorCh1() const { return cursorCh1_; }
    int CursorCh2() const { return cursorCh2_; }

    // User input, reachable directly for the owner and for tests.
    void Scroll(ScrollRequest request, int trackPos = 0);
    void SelectScale(int index);
    void PlaceCursor(int x);
    void PlayTick();
    void RefreshTick();

    // Draws one complete paint of the client area into `image`, as the window shows it: sized in
    // device pixels for the window's device pixel ratio, with that ratio set.
    void Render(QImage& image);
    // The same at another device pixel ratio (1 gives one pixel per client pixel).
    void Render(QImage& image, qreal ratio);
    // Draws only the two curves from the prebuilt vertex lists, as a paint does, at the image's
    // device pixel ratio.
    void DrawCurves(QImage& image);

    // Read-only views of the state, taken under the lock.
    int Span() const;
    // What a screen reader says of the plot: the time span in view and the values at the cursor.
    QString AccessibleSummary() const;
    int First() const;
    float Scale() const;
    bool AutoScale() const;
    // The vertices in device pixels of the ratio given by PointRatio() (client pixels at 1).
    std::vector<QPoint> Points(int channel) const;
    qreal PointRatio() const;
    int CursorX() const { return cursorX_; }
    QRect ClientRect() const { return clientRect_; }
    bool IsPlaying() const { return playTimer.isActive(); }
    int PlayPeriod() const { return playTimer.interval(); }
    int ScrollBarPos() const { return scrollBarPos; }
    QComboBox* ScaleBox() const { return scaleBox; }
    const QFont& LabelFont() const { return fontArial_; }
    const QFont& ScaleFont() const { return fontSong_; }

protected:
    CPlotWnd(int initialSpan, const QStringList& scaleNames, QWidget* parent);

    // Number of stored data items (blocks or points); called under the lock.
    virtual int Count() const = 0;
    virtual bool ZoomAllowed(bool in) const = 0;
    virtual float AutomaticScale() const = 0;
    // The scale the auto refresh applies while `autoScale_` is set.
    virtual float RefreshScale() const { return AutomaticScale(); }
    virtual float ItemScale(int index) const = 0;
    // Fills the empty `points_` lists for the current view.
    virtual void BuildPoints() = 0;
    // Reads the values under `cursorX_` into cursorCh1_/cursorCh2_ and returns the code to report.
    virtual int ReadCursor() = 0;
    // Seconds shown by the time label of vertical grid line i.
    virtual int LabelSeconds(int i) const = 0;
    // Horizontal grid with its value labels and whatever else marks the value axis.
    virtual void DrawValueAxis(QPainter& painter, float viewScale) = 0;
    // Marks that lie behind the curves, over the grid, in client coordinates; takes the lock
    // itself.
    virtual void DrawBehindCurves(QPainter&) {}

    void Rebuild();
    void Readout();
    void UpdateScrollBar();
    // Shows a sequence loaded by takeData from its start: the given span, the automatic scale
    // and the cursor reset; playback stops first.
    void ShowLoaded(int viewSpan, const std::function<void()>& takeData);
    // Takes a longer copy of the data shown (a record that is still being written): the view,
    // the scale and the cursor stay where they are, except that a view that reached the last
    // item moves on to the new last one, as `tail -f` does. A playback goes on.
    void ShowGrown(const std::function<void()>& takeData);
    void RecordClientRect();
    void CentreCursor();
    // Safe from any thread: posts one repaint to the window thread unless one is pending.
    void QueueRepaint();

    int Width() const { return clientRect_.width(); }
    int Height() const { return clientRect_.height(); }
    int GridStep() const { return Width() / 35; }
    // The vertex lists are built in device pixels of this ratio; called under the lock.
    qreal Ratio() const { return pointRatio_; }
    // The device column or row on which a one-pixel line at client coordinate v is drawn.
    int DeviceCoord(int v) const;
    // The client width in device pixels.
    int DeviceWidth() const;
    static QPen GridPen();
    static void DrawTextAt(QPainter& painter, int x, int y, const QString& text);
    // A value label at the left edge, left out where its ink would run into the scale label:
    // wide labels (large scales, wide faces) would otherwise make the scale unreadable.
    void DrawValueLabel(QPainter& painter, int y, const QString& text) const;

    mutable std::recursive_mutex lock_;
    int span_;
    int first_ = 0;
    float scale_ = 10.0f;
    bool autoScale_ = true;
    bool scrollable_ = false;
    int scrollPos_ = 0;
    std::vector<QPoint> points_[2];
    bool reduced_[2] = {false, false};
    int cursorCh1_ = 0;
    int cursorCh2_ = 0;
    int cursorX_ = 0;
    QRect clientRect_;
    qreal pointRatio_ = 1.0;
    QFont fontArial_;
    QFont fontSong_;
    std::optional<std::int64_t> clockStart_;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetScrollBarPos(int pos);
    void OnScrollAction(int action);
    void DrawTimeAxis(QPainter& painter, const QStringList& labels);
    void DrawChannel(QImage& image, int r);
    // Rebuilds the vertex lists when they were built for another device pixel ratio.
    void UseRatio(qreal ratio);

    QStringList scaleNames;
    QComboBox* scaleBox = nullptr;
    QScrollBar* scrollBar = nullptr;
    // The scroll bar as the viewer sees it: range 0 … scrollMax, page scrollPage, the thumb kept
    // within 0 … max(0, scrollMax − scrollPage + 1).
    int scrollMax = -1;
    int scrollPage = 0;
    int scrollBarPos = 0;
    QTimer playTimer;
    QTimer refreshTimer;
    PlotCursorNotify notify;
    std::atomic<bool> repaintQueued{false};
    QImage backBuffer;
    // Ink of the scale label "(…)" in the current paint, kept clear of value labels.
    QRect scaleLabelInk;
};

} // namespace zel
