#include "viewer/ViewerMenus.h"

#include "viewer/ViewDlg.h"

#include <QCoreApplication>
#include <QMenu>

namespace zel {

std::unique_ptr<QMenu> LoadViewerMenu(int id, QWidget* parent) {
    auto menu = std::make_unique<QMenu>(parent);
    const auto add = [&menu](int item, const char* text) {
        menu->addAction(QCoreApplication::translate("zel::ViewerMenus", text))->setData(item);
    };
    if (id == CViewDlg::kCutMenu) {
        menu->setTitle(QStringLiteral("CUT"));
        add(CViewDlg::kCutWave, QT_TRANSLATE_NOOP("zel::ViewerMenus", "波形截屏"));
        menu->addSeparator();
        add(CViewDlg::kCutTrend, QT_TRANSLATE_NOOP("zel::ViewerMenus", "曲线截屏"));
    } else if (id == CViewDlg::kPlayMenu) {
        menu->setTitle(QStringLiteral("PLAY"));
        add(CViewDlg::kPlayBoth, QT_TRANSLATE_NOOP("zel::ViewerMenus", "波形与曲线"));
        menu->addSeparator();
        add(CViewDlg::kPlayWave, QT_TRANSLATE_NOOP("zel::ViewerMenus", "仅波形"));
        add(CViewDlg::kPlayTrend, QT_TRANSLATE_NOOP("zel::ViewerMenus", "仅曲线"));
    }
    return menu;
}

} // namespace zel
