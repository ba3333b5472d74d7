#include "widgets/TabOrder.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace zel {

namespace {

struct Control {
    QWidget* widget;
    QRect box; // in the window's coordinates
};

bool ReadBefore(const QRect& a, const QRect& b) {
    if (a.bottom() < b.top())
        return true;
    const bool shareRow = a.top() <= b.bottom() && b.top() <= a.bottom();
    return shareRow && a.center().x() < b.center().x();
}

} // namespace

void SetReadingTabOrder(QWidget* window) {
    std::vector<Control> left;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        // Tool windows of their own keep their own order; a composite control is reached
        // through its parts.
        if (w->window() != window || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        left.push_back({w, QRect(w->mapTo(window, QPoint(0, 0)), w->size())});
    }
    // The first control is one no other control reads before; in a layout where every control
    // has one (which reading order leaves undecided), the topmost.
    QWidget* previous = nullptr;
    while (!left.empty()) {
        auto first = std::find_if(left.begin(), left.end(), [&](const Control& c) {
            return std::none_of(left.begin(), left.end(),
                                [&](const Control& o) { return ReadBefore(o.box, c.box); });
        });
        if (first == left.end())
            first =
                std::min_element(left.begin(), left.end(), [](const Control& a, const Control& b) {
                    return a.box.top() < b.box.top();
                });
        if (previous)
            QWidget::setTabOrder(previous, first->widget);
        previous = first->widget;
        left.erase(first);
    }
}

} // namespace zel
