#include "viewer/ViewerKeys.h"

#include "plot/CurseWnd.h"
#include "plot/PlotKeys.h"
#include "plot/WaveWnd.h"
#include "viewer/ViewDlg.h"

#include <QPushButton>

namespace zel {

ViewerKeys::ViewerKeys(CViewDlg* viewer) : viewer_(viewer) {
    const auto bind = [this, viewer](const QKeySequence& keys, std::function<void()> action) {
        BindWindowKey(viewer, keys, this, std::move(action));
    };
    bind(Qt::Key_Left, [this] { Scroll(static_cast<int>(ScrollRequest::LineLeft)); });
    bind(Qt::Key_Right, [this] { Scroll(static_cast<int>(ScrollRequest::LineRight)); });
    bind(Qt::Key_Home, [this] { Scroll(static_cast<int>(ScrollRequest::ToStart)); });
    bind(Qt::Key_End, [this] { Scroll(static_cast<int>(ScrollRequest::ToEnd)); });
    for (const auto key : {Qt::Key_Plus, Qt::Key_Equal})
        bind(key, [this] { Zoom(true); });
    for (const auto key : {Qt::Key_Minus, Qt::Key_Underscore})
        bind(key, [this] { Zoom(false); });
    bind(Qt::Key_Space, [viewer] {
        if (QPushButton* play = viewer->Button(CViewDlg::kPlay); play->isEnabled())
            play->click();
    });
    bind(QKeySequence(Qt::CTRL | Qt::Key_O), [viewer] {
        if (QPushButton* open = viewer->Button(CViewDlg::kOpen); open->isEnabled())
            open->click();
    });
    viewer->setToolTip(KeysText());
}

QString ViewerKeys::KeysText() {
    return tr("键盘：←/→ 滚动，+/− 缩放指针下的图，Home/End 到开头/结尾，"
              "空格 播放/停止，Ctrl+O 打开，M 添加备注，E 越限事件");
}

CPlotWnd* ViewerKeys::Target() const {
    return PlotUnderPointer(viewer_->WavePlot(), viewer_->HasWave(), viewer_->TrendPlot());
}

void ViewerKeys::Scroll(int request) {
    if (!viewer_->Playing())
        Target()->Scroll(static_cast<ScrollRequest>(request));
}

void ViewerKeys::Zoom(bool in) {
    const bool wave = Target() == viewer_->WavePlot();
    const int id = wave ? (in ? CViewDlg::kWaveZoomIn : CViewDlg::kWaveZoomOut)
                        : (in ? CViewDlg::kTrendZoomIn : CViewDlg::kTrendZoomOut);
    // Through the button, which knows when a zoom is allowed and keeps the buttons right.
    if (QPushButton* button = viewer_->Button(id); button->isEnabled())
        button->click();
}

} // namespace zel
