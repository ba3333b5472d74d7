#include "plot/CurseWnd.h"

#include "widgets/AccessibleText.h"

#include "plot/CurveReducer.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace zel {

namespace {

constexpr float kItemScale[] = {0.0f, 100.0f, 200.0f, 300.0f, 400.0f, 500.0f};

// A right-button press and release closer than this is a click, which clears the selection.
constexpr int kDragThreshold = 3;
const QColor kSelectionFill(0, 150, 255, 60);
const QColor kSelectionEdge(0, 170, 255, 200);
const QColor kBreakColour(255, 200, 0);

// Rows of far-off values are held within int range before truncation; they lie outside the
// bitmap either way.
int TruncRow(float value) {
    return static_cast<int>(std::clamp(value, -1.0e9f, 1.0e9f));
}

} // namespace

CCurseWnd::CCurseWnd(QWidget* parent)
    : CPlotWnd(kLiveSpan, {tr("自动"), "100", "200", "300", "400", "500"}, parent) {
    KeepAccessibleText(
        this, [] { return tr("趋势曲线图"); }, [this] { return AccessibleSummary(); });
}

int CCurseWnd::PointCount() const {
    std::lock_guard guard(lock_);
    return Count();
}

void CCurseWnd::AddPoint(int ch1, int ch2, unsigned over) {
    {
        std::lock_guard guard(lock_);
        if (trend.Shared())
            livePoints = trend.Copy();
        livePoints.push_back({ch1, ch2});
        trend = TrendSeries::View(livePoints);
        const int n = Count();
        for (int k = 0; k < kLimitKinds; ++k) {
            int& open = openBand_[static_cast<std::size_t>(k)];
            if (!(over & (1u << k))) {
                open = -1;
                continue;
            }
            if (open >= 0) {
                bands_[static_cast<std::size_t>(open)].last = n - 1;
            } else {
                open = static_cast<int>(bands_.size());
                bands_.push_back({static_cast<LimitKind>(k), n - 1, n - 1});
            }
        }
        if (n > span_)
            first_ = n - span_ - 1;
    }
    QueueRepaint();
}

void CCurseWnd::MarkBreak() {
    {
        std::lock_guard guard(lock_);
        // A band does not run on across the gap.
        openBand_.fill(-1);
        if (breaks_.empty() || breaks_.back() != Count())
            breaks_.push_back(Count());
    }
    QueueRepaint();
}

void CCurseWnd::SetBands(std::vector<Band> bands) {
    {
        std::lock_guard guard(lock_);
        bands_ = std::move(bands);
        openBand_.fill(-1);
    }
    QueueRepaint();
}

std::vector<CCurseWnd::Band> CCurseWnd::Bands() const {
    std::lock_guard guard(lock_);
    return bands_;
}

QColor CCurseWnd::BandColour(LimitKind limit) {
    switch (limit) {
    case LimitKind::Ch1:
        return QColor(150, 20, 20, 170);
    case LimitKind::Ch2:
        return QColor(20, 40, 170, 170);
    case LimitKind::Difference:
        return QColor(160, 90, 0, 170);
    case LimitKind::Unbalance:
        return QColor(120, 20, 130, 170);
    }
    return QColor(100, 100, 100, 170);
}

std::vector<int> CCurseWnd::Breaks() const {
    std::lock_guard guard(lock_);
    return breaks_;
}

void CCurseWnd::SetPoints(std::vector<TrendPoint> sequence) {
    selection_.reset();
    ShowLoaded(kViewSpan, [&] {
        breaks_.clear();
        bands_.clear();
        openBand_.fill(-1);
        livePoints = std::move(sequence);
        trend = TrendSeries::View(livePoints);
    });
}

void CCurseWnd::SetSeries(TrendSeries series) {
    selection_.reset();
    ShowLoaded(kViewSpan, [&] {
        breaks_.clear();
        bands_.clear();
        openBand_.fill(-1);
        // The previous sequence goes now, not when the plot does.
        std::vector<TrendPoint>().swap(livePoints);
        trend = std::move(series);
    });
}

void CCurseWnd::GrowSeries(TrendSeries series) {
    ShowGrown([&] { trend = std::move(series); });
}

int CCurseWnd::ViewPoints() const {
    if (first_ < 0 || first_ >= Count())
        return 0;
    return static_cast<int>(
        std::min<long long>(static_cast<long long>(span_) + 1, Count() - first_));
}

float CCurseWnd::AutomaticScale() const {
    // 64-bit so that a corrupt current of INT_MIN neither overflows abs nor the product.
    std::int64_t m = 0;
    const int views = ViewPoints();
    for (int k = 0; k < views; ++k) {
        const TrendPoint point = trend.At(first_ + k);
        m = std::max({m, std::int64_t{std::llabs(point.ch1)}, std::int64_t{std::llabs(point.ch2)}});
    }
    std::int64_t r = static_cast<std::int64_t>(m * 1.1);
    if (r < 10)
        r = 10;
    return static_cast<float>(r);
}

float CCurseWnd::RefreshScale() const {
    return static_cast<float>(1.1 * AutomaticScale());
}

float CCurseWnd::ItemScale(int index) const {
    return kItemScale[index];
}

void CCurseWnd::BuildPoints() {
    const int views = ViewPoints();
    if (views == 0)
        return;
    // In device pixels: the width and the baseline's height scaled by Ratio(), the baseline on
    // the row its grid line is drawn on.
    const double width = Width() * Ratio();
    const int baseline = DeviceCoord(Baseline());
    const float height = static_cast<float>(Baseline() * Ratio());
    const int columns = DeviceWidth();
    const bool reduce = CurveReducer::ShouldReduce(views, columns);
    const std::size_t reserve = reduce ? std::size_t(4) * columns + 8 : std::size_t(views);
    points_[0].reserve(reserve);
    points_[1].reserve(reserve);
    reduced_[0] = reduced_[1] = reduce;
    CurveReducer curve1(points_[0], reduce);
    CurveReducer curve2(points_[1], reduce);
    const auto row = [this, baseline, height](int v) {
        return baseline - TruncRow(static_cast<float>(v) / scale_ * height);
    };
    for (int k = 0; k < views; ++k) {
        const TrendPoint point = trend.At(first_ + k);
        const int x = static_cast<int>(static_cast<double>(k) / span_ * width);
        curve1.Add(x, row(point.ch1));
        curve2.Add(x, row(point.ch2));
    }
}

int CCurseWnd::ReadCursor() {
    const int W = Width();
    if (trend.Empty() || W <= 0)
        return CursorTrendEmpty;
    const float f = static_cast<float>(cursorX_ - clientRect_.left()) / static_cast<float>(W);
    const int a = static_cast<int>(f * span_);
    if (a > Count() - first_)
        return CursorTrendEmpty;
    const int j = first_ + a - 1;
    if (j < 0 || j >= Count())
        return CursorTrendEmpty;
    const TrendPoint point = trend.At(j);
    cursorCh1_ = point.ch1;
    cursorCh2_ = point.ch2;
    return CursorTrendValid;
}

std::optional<std::int64_t> CCurseWnd::CursorPointAt(int x) const {
    // The arithmetic of ReadCursor, so that a note goes where the readouts are from.
    std::lock_guard guard(lock_);
    const int W = Width();
    if (trend.Empty() || W <= 0)
        return std::nullopt;
    const float f = static_cast<float>(x - clientRect_.left()) / static_cast<float>(W);
    const int a = static_cast<int>(f * span_);
    const int j = first_ + a - 1;
    if (a > Count() - first_ || j < 0 || j >= Count())
        return std::nullopt;
    return j;
}

int CCurseWnd::LabelSeconds(int i) const {
    return static_cast<int>((span_ * i / 35.0 + first_) * 0.5);
}

void CCurseWnd::DrawValueAxis(QPainter& painter, float viewScale) {
    const int W = Width(), H = Height(), w = GridStep(), b = Baseline();
    for (int j = 0; j <= H / w; ++j) {
        const int y = b - j * w;
        painter.setPen(GridPen());
        painter.drawLine(0, y, W, y);
        if (j == 0)
            continue;
        const float g = w * (viewScale / b) * j;
        painter.setPen(Qt::white);
        DrawValueLabel(painter, y - 5, QString::asprintf("%.1f", g));
    }
    painter.setPen(Qt::white);
    DrawTextAt(painter, 15, 15, QStringLiteral("A"));
}

PointRange CCurseWnd::ViewRange() const {
    std::lock_guard guard(lock_);
    return PointRange::Of(first_, static_cast<std::int64_t>(first_) + span_, Count());
}

std::int64_t CCurseWnd::PointAtX(int x) const {
    std::lock_guard guard(lock_);
    const int W = std::max(1, Width());
    // Point k of the view is drawn at trunc(k / span × W): the nearest k to x.
    const double k = std::round(static_cast<double>(x - clientRect_.left()) / W * span_);
    const std::int64_t last = std::max(0, Count() - 1);
    return std::clamp<std::int64_t>(first_ + static_cast<std::int64_t>(k), 0, last);
}

void CCurseWnd::SetSelection(std::int64_t a, std::int64_t b) {
    const PointRange range = PointRange::Of(a, b, PointCount());
    if (range.Empty())
        selection_.reset();
    else
        selection_ = range;
    update();
}

void CCurseWnd::ClearSelection() {
    selection_.reset();
    update();
}

void CCurseWnd::mousePressEvent(QMouseEvent* event) {
    if (!selectable_ || event->button() != Qt::RightButton) {
        CPlotWnd::mousePressEvent(event);
        return;
    }
    dragStartX_ = event->position().toPoint().x();
    dragAnchor_ = PointAtX(dragStartX_);
    dragging_ = false;
}

void CCurseWnd::mouseMoveEvent(QMouseEvent* event) {
    CPlotWnd::mouseMoveEvent(event);
    if (!dragAnchor_ || !(event->buttons() & Qt::RightButton))
        return;
    const int x = event->position().toPoint().x();
    dragging_ = dragging_ || std::abs(x - dragStartX_) >= kDragThreshold;
    if (dragging_)
        SetSelection(*dragAnchor_, PointAtX(x));
}

void CCurseWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragAnchor_ || event->button() != Qt::RightButton) {
        CPlotWnd::mouseReleaseEvent(event);
        return;
    }
    const int x = event->position().toPoint().x();
    if (dragging_ || std::abs(x - dragStartX_) >= kDragThreshold)
        SetSelection(*dragAnchor_, PointAtX(x));
    else
        ClearSelection();
    dragAnchor_.reset();
    dragging_ = false;
}

void CCurseWnd::paintEvent(QPaintEvent* event) {
    CPlotWnd::paintEvent(event);
    QPainter painter(this);
    DrawBreaks(painter);
    if (selection_)
        DrawSelection(painter);
}

void CCurseWnd::DrawBreaks(QPainter& painter) const {
    std::vector<int> breaks;
    int viewFirst, viewSpan;
    {
        std::lock_guard guard(lock_);
        if (breaks_.empty())
            return;
        breaks = breaks_;
        viewFirst = first_;
        viewSpan = span_;
    }
    const int W = Width(), H = Height();
    if (W <= 0 || viewSpan <= 0)
        return;
    painter.save();
    painter.setClipRect(clientRect_);
    for (const int b : breaks) {
        // Halfway between the last point before the gap and the first after it.
        const double x = (b - viewFirst - 0.5) / viewSpan * W;
        if (x < 0 || x > W)
            continue;
        const int left = clientRect_.left() + static_cast<int>(x);
        // The band cuts the curves' joining segment; the dashed line marks the place.
        painter.fillRect(QRect(left - 2, clientRect_.top(), 5, H), Qt::black);
        QPen pen(kBreakColour, 0, Qt::DashLine);
        painter.setPen(pen);
        painter.drawLine(left, clientRect_.top(), left, clientRect_.top() + H - 1);
    }
    painter.restore();
}

void CCurseWnd::DrawBehindCurves(QPainter& painter) {
    std::lock_guard guard(lock_);
    const int W = Width(), H = Height();
    if (bands_.empty() || W <= 0 || span_ <= 0)
        return;
    // Each point owns the half step either side of where it is drawn; a band is at least two
    // pixels wide so that a one-point event shows.
    const auto xOf = [&](double i) { return (i - first_) / span_ * W; };
    const std::int64_t viewLast = static_cast<std::int64_t>(first_) + span_;
    for (auto it = bands_.begin(); it != bands_.end() && it->first <= viewLast; ++it) {
        if (it->last < first_)
            continue;
        const double left = std::max(xOf(static_cast<double>(it->first) - 0.5), -1.0);
        const double right = std::min(xOf(static_cast<double>(it->last) + 0.5), W + 1.0);
        const int x0 = static_cast<int>(std::floor(left));
        const int x1 = std::max(static_cast<int>(std::ceil(right)), x0 + 2);
        painter.fillRect(QRect(x0, 0, x1 - x0, H), BandColour(it->limit));
    }
}

void CCurseWnd::DrawSelection(QPainter& painter) const {
    int viewFirst, viewSpan;
    {
        std::lock_guard guard(lock_);
        viewFirst = first_;
        viewSpan = span_;
    }
    const int W = Width();
    if (W <= 0 || viewSpan <= 0)
        return;
    // Where the first and last selected points are drawn, relative to the client area.
    const auto xOf = [&](std::int64_t i) {
        return static_cast<double>(i - viewFirst) / viewSpan * W;
    };
    const double left = xOf(selection_->first), right = xOf(selection_->Last());
    if (right < 0 || left > W)
        return;
    // At least two pixels wide, so that a single selected point shows.
    const int x0 = static_cast<int>(std::max(left, -1.0));
    const int x1 = std::max(static_cast<int>(std::min(right, W + 1.0)), x0 + 1);
    const QRect shade = QRect(x0, 0, x1 - x0 + 1, Height()).translated(clientRect_.topLeft());
    painter.setClipRect(clientRect_);
    painter.fillRect(shade, kSelectionFill);
    // Edges only where the selection ends inside the view.
    painter.setPen(QPen(kSelectionEdge, 0));
    if (left >= 0)
        painter.drawLine(shade.topLeft(), shade.bottomLeft());
    if (right <= W)
        painter.drawLine(shade.topRight(), shade.bottomRight());
}

} // namespace zel
