#pragma once

#include <memory>

class QMenu;
class QWidget;

namespace zel {

// The drop-down of the record viewer's menu 142 ("CUT": 波形截屏, separator, 曲线截屏) or 143
// ("PLAY": 波形与曲线, separator, 仅波形, 仅曲线), shown as a pop-up menu. Each action carries
// its item id (CViewDlg::kCutWave and so on) as data; an unknown id gives an empty menu.
std::unique_ptr<QMenu> LoadViewerMenu(int id, QWidget* parent = nullptr);

} // namespace zel
