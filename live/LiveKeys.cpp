#include "live/LiveKeys.h"

#include "live/CRealDlg.h"
#include "plot/CurseWnd.h"
#include "plot/PlotKeys.h"
#include "plot/WaveWnd.h"

#include <QPushButton>

#include <algorithm>

namespace zel {

LiveKeys::LiveKeys(CRealDlg* window) : QObject(window), window_(window) {
    const auto bind = [this](const QKeySequence& keys, std::function<void()> action) {
        BindWindowKey(window_, keys, this, std::move(action));
    };
    bind(Qt::Key_Left, [this] { Scroll(ScrollRequest::LineLeft); });
    bind(Qt::Key_Right, [this] { Scroll(ScrollRequest::LineRight); });
    bind(Qt::Key_Home, [this] { Scroll(ScrollRequest::ToStart); });
    bind(Qt::Key_End, [this] { Scroll(ScrollRequest::ToEnd); });
    for (const auto key : {Qt::Key_Plus, Qt::Key_Equal})
        bind(key, [this] { Zoom(true); });
    for (const auto key : {Qt::Key_Minus, Qt::Key_Underscore})
        bind(key, [this] { Zoom(false); });
    window_->setToolTip(KeysText());
}

QString LiveKeys::KeysText() {
    return tr("键盘：←/→ 滚动，+/− 缩放指针下的图，Home/End 到最早/最新的数据");
}

CPlotWnd* LiveKeys::Target() const {
    return PlotUnderPointer(window_->WavePlot(), true, window_->TrendPlot());
}

bool LiveKeys::Held(const CPlotWnd* plot) const {
    return (plot == window_->WavePlot() ? waveHeld_ : trendHeld_) >= 0;
}

std::int64_t& LiveKeys::Hold(const CPlotWnd* plot) {
    return plot == window_->WavePlot() ? waveHeld_ : trendHeld_;
}

int LiveKeys::FollowingFirst(const CPlotWnd* plot) const {
    // As the plots place a new block or point.
    const int span = plot->Span();
    if (plot == window_->WavePlot()) {
        const int n = window_->WavePlot()->BlockCount();
        return n >= span ? n - span : 0;
    }
    const int n = window_->TrendPlot()->PointCount();
    return n > span ? n - span - 1 : 0;
}

void LiveKeys::Scroll(ScrollRequest request) {
    CPlotWnd* plot = Target();
    const std::int64_t dropped = plot == window_->WavePlot() ? window_->WavePlot()->Dropped() : 0;
    const int following = FollowingFirst(plot);
    // A line is the plots' own step of 10, taken from where the plot is now.
    int first = following;
    if (request == ScrollRequest::LineLeft)
        first = std::max(0, plot->First() - 10);
    else if (request == ScrollRequest::LineRight)
        first = plot->First() + 10;
    else if (request == ScrollRequest::ToStart)
        first = 0;
    if (first >= following) {
        first = following;
        Hold(plot) = -1;
    } else {
        Hold(plot) = first + dropped;
    }
    plot->Scroll(ScrollRequest::ThumbPosition, first);
}

void LiveKeys::Zoom(bool in) {
    const bool wave = Target() == window_->WavePlot();
    const int id = wave ? (in ? CRealDlg::kWaveZoomIn : CRealDlg::kWaveZoomOut)
                        : (in ? CRealDlg::kTrendZoomIn : CRealDlg::kTrendZoomOut);
    // Through the button, which knows when a zoom is allowed and keeps the buttons right.
    if (QPushButton* button = window_->Button(id); button->isEnabled())
        button->click();
}

void LiveKeys::KeepHeld() {
    if (const std::int64_t held = waveHeld_; held >= 0) {
        CWaveWnd* wave = window_->WavePlot();
        // Blocks dropped from the front since move the held view with them.
        const int first = static_cast<int>(std::max<std::int64_t>(0, held - wave->Dropped()));
        if (wave->First() != first)
            wave->Scroll(ScrollRequest::ThumbPosition, first);
    }
    if (const std::int64_t held = trendHeld_; held >= 0) {
        CCurseWnd* trend = window_->TrendPlot();
        if (trend->First() != held)
            trend->Scroll(ScrollRequest::ThumbPosition, static_cast<int>(held));
    }
}

} // namespace zel
