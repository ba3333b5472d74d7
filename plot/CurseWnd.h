#pragma once

#include "plot/PlotWnd.h"
#include "plot/TrendSeries.h"
#include "records/RecordTypes.h"

#include <vector>

namespace zel {

// CH1 and CH2 currents as two curves over time, one point every 0.5 s; the view shows the
// points `first` … `first` + `span`, the value 0 on a baseline 5 pixels above the bottom.
class CCurseWnd : public CPlotWnd {
    Q_OBJECT

public:
    static constexpr int kLiveSpan = 1024;
    static constexpr int kViewSpan = 300;
    static constexpr int kMinSpan = 32;    // zoom-in is refused at or below
    static constexpr int kMaxSpan = 40960; // zoom-out is refused at or above

    explicit CCurseWnd(QWidget* parent = nullptr);

    // Live use, from the acquisition thread: appends and asks the window thread for a repaint.
    void AddPoint(int ch1, int ch2);
    // Viewing: replaces the stored points and shows the first 300 steps.
    void SetPoints(std::vector<TrendPoint> sequence);
    // Viewing a trend record: as SetPoints, reading the points in place in the record's blocks.
    void SetSeries(TrendSeries series);

    int PointCount() const;

protected:
    int Count() const override { return trend.Size(); }
    bool ZoomAllowed(bool in) const override { return in ? span > kMinSpan : span < kMaxSpan; }
    float AutomaticScale() const override;
    float RefreshScale() const override;
    float ItemScale(int index) const override;
    void BuildPoints() override;
    int ReadCursor() override;
    int LabelSeconds(int i) const override;
    void DrawValueAxis(QPainter& painter, float viewScale) override;

private:
    int Baseline() const { return Height() - 5; }
    // Number of points in view: up to span + 1 from `first`.
    int ViewPoints() const;

    // What the plot shows: a view of livePoints, or a record's points shared with the record.
    TrendSeries trend;
    // Points the plot keeps itself: live points and sequences given by value.
    std::vector<TrendPoint> livePoints;
};

} // namespace zel
