#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QWidget;

namespace zel::test {

// The widget's pixels as ARGB32. When ZEL_SNAPSHOT_DIR is set, the picture is also saved there
// as <test case>-<test>-<name>.png so that a person can look at it.
QImage GrabWidget(QWidget& widget, const QString& name);

void SaveSnapshot(const QImage& image, const QString& name);

// True when every channel differs by at most tolerance.
bool SameColour(QRgb a, QRgb b, int tolerance = 0);

// The smallest rectangle holding every pixel of area that satisfies the test; empty if none.
template <typename Test> QRect BoundingBox(const QImage& image, const QRect& area, Test test) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace zel::test
