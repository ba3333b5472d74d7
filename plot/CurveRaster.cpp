#include "plot/CurveRaster.h"

#include <QPainter>

namespace zel {

void DrawPolyline(QImage& image, const std::vector<QPoint>& vertices, QRgb colour) {
    if (vertices.size() < 2)
        return;
    QPainter painter(&image);
    painter.setPen(QPen(QColor(colour), 0));
    painter.drawPolyline(vertices.data(), static_cast<int>(vertices.size()));
}

void DrawCurve(QImage& image, const std::vector<QPoint>& vertices, bool reduced, QRgb colour) {
    (void)reduced;
    DrawPolyline(image, vertices, colour);
}

} // namespace zel
