#include "plot/PlotKeys.h"

#include "plot/PlotWnd.h"

#include <QCursor>
#include <QShortcut>

namespace zel {

QShortcut* BindWindowKey(QWidget* window, const QKeySequence& keys, QObject* receiver,
                         std::function<void()> action) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, receiver, std::move(action));
    return shortcut;
}

CPlotWnd* PlotUnderPointer(CPlotWnd* wave, bool waveShown, CPlotWnd* trend) {
    if (waveShown && wave->isVisible() &&
        wave->rect().contains(wave->mapFromGlobal(QCursor::pos())))
        return wave;
    return trend;
}

} // namespace zel
