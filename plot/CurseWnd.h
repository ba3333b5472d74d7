#pragma once

#include "plot/PlotWnd.h"
#include "plot/TrendSeries.h"
#include "records/Events.h"
#include "records/RecordPoints.h"
#include "records/RecordTypes.h"

#include <array>
#include <optional>
#include <vector>

namespace zel {

// CH1 and CH2 currents as two curves over time, one point every 0.5 s; the view shows the
// points `first_` … `first_` + `span_`, the value 0 on a baseline 5 pixels above the bottom.
class CCurseWnd : public CPlotWnd {
    Q_OBJECT

public:
    static constexpr int kLiveSpan = 1024;
    static constexpr int kViewSpan = 300;
    static constexpr int kMinSpan = 32;    // zoom-in is refused at or below
    static constexpr int kMaxSpan = 40960; // zoom-out is refused at or above

    explicit CCurseWnd(QWidget* parent = nullptr);

    // Live use, from the acquisition thread: appends and asks the window thread for a repaint.
    // `over` has bit k set when the point is over limit k (LimitKind): a band marks it.
    void AddPoint(int ch1, int ch2, unsigned over = 0);
    // Live use: the next point follows a gap in the data (a lost link); the curves are broken
    // there and the place is marked. Any thread.
    void MarkBreak();
    // The points that follow a gap, in order.
    std::vector<int> Breaks() const;
    // Points over a limit, drawn as a band of the limit's colour behind the curves.
    struct Band {
        LimitKind limit = LimitKind::Ch1;
        std::int64_t first = 0;
        std::int64_t last = 0;
        bool operator==(const Band&) const = default;
    };
    // Viewing: the bands of a record's events, in order of their first point; loading points
    // clears them.
    void SetBands(std::vector<Band> bands);
    std::vector<Band> Bands() const;
    static QColor BandColour(LimitKind limit);
    // Viewing: replaces the stored points and shows the first 300 steps.
    void SetPoints(std::vector<TrendPoint> sequence);
    // Viewing a trend record: as SetPoints, reading the points in place in the record's blocks.
    void SetSeries(TrendSeries series);
    // The record shown has grown: the longer series, the view, bands and selection kept (see
    // ShowGrown).
    void GrowSeries(TrendSeries series);

    int PointCount() const;
    // The points in view: `first_` … `first_` + `span_`, those that exist.
    PointRange ViewRange() const;

    // Lets the user select a stretch of points by dragging across the plot with the right
    // button; it is shaded until a right click without a drag or the next load clears it.
    void EnableRangeSelection() { selectable_ = true; }
    std::optional<PointRange> Selection() const { return selection_; }
    // Selects the points first … last (limited to the points there are) and repaints.
    void SetSelection(std::int64_t first, std::int64_t last);
    void ClearSelection();
    // The point whose values the cursor reads out, when it stands on one.
    std::optional<std::int64_t> CursorPoint() const { return CursorPointAt(CursorX()); }
    // The same for the cursor at client x.
    std::optional<std::int64_t> CursorPointAt(int x) const;
    // The point drawn nearest to client x in the present view.
    std::int64_t PointAtX(int x) const;

protected:
    int Count() const override { return trend.Size(); }
    bool ZoomAllowed(bool in) const override { return in ? span_ > kMinSpan : span_ < kMaxSpan; }
    float AutomaticScale() const override;
    float RefreshScale() const override;
    float ItemScale(int index) const override;
    void BuildPoints() override;
    int ReadCursor() override;
    int LabelSeconds(int i) const override;
    void DrawValueAxis(QPainter& painter, float viewScale) override;
    void DrawBehindCurves(QPainter& painter) override;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int Baseline() const { return Height() - 5; }
    // Number of points in view: up to span + 1 from `first_`.
    int ViewPoints() const;

    // What the plot shows: a view of livePoints, or a record's points shared with the record.
    TrendSeries trend;
    // Points the plot keeps itself: live points and sequences given by value.
    std::vector<TrendPoint> livePoints;

    // Indexes of the points that follow a gap; live use only, guarded by the plot's lock.
    std::vector<int> breaks_;
    void DrawBreaks(QPainter& painter) const;

    // Bands by first point; live use extends the open band of each limit point by point.
    std::vector<Band> bands_;
    std::array<int, kLimitKinds> openBand_{-1, -1, -1, -1};

    // Range selection; window thread only.
    void DrawSelection(QPainter& painter) const;
    bool selectable_ = false;
    std::optional<PointRange> selection_;
    std::optional<std::int64_t> dragAnchor_; // point under the right-button press
    int dragStartX_ = 0;
    bool dragging_ = false; // moved far enough to be a drag, not a click
};

} // namespace zel
