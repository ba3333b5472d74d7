#include "plot/CurveRaster.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace zel {

namespace {

// Writes the vertical run lo … hi of column x straight into the pixels.
void FillRun(QImage& image, int x, int lo, int hi, QRgb colour) {
    if (x < 0 || x >= image.width())
        return;
    lo = std::max(lo, 0);
    hi = std::min(hi, image.height() - 1);
    if (lo > hi)
        return;
    const qsizetype stride = image.bytesPerLine();
    uchar* pixel = image.bits() + lo * stride + x * 4;
    for (int y = lo; y <= hi; ++y, pixel += stride)
        *reinterpret_cast<QRgb*>(pixel) = colour;
}

// The image's own pixels at ratio 1: a painter on the image itself would scale every vertex by
// the image's device pixel ratio.
QImage DevicePixels(QImage& image) {
    return QImage(image.bits(), image.width(), image.height(), image.bytesPerLine(),
                  image.format());
}

} // namespace

void DrawPolyline(QImage& image, const std::vector<QPoint>& vertices, QRgb colour) {
    if (vertices.size() < 2)
        return;
    QImage device = DevicePixels(image);
    QPainter painter(&device);
    painter.setPen(QPen(QColor(colour), 0));
    painter.drawPolyline(vertices.data(), static_cast<int>(vertices.size()));
}

void DrawCurve(QImage& image, const std::vector<QPoint>& vertices, bool reduced, QRgb colour) {
    if (!reduced || image.format() != QImage::Format_RGB32) {
        DrawPolyline(image, vertices, colour);
        return;
    }
    // Inside a column the polyline is one vertical run from its lowest to its highest vertex;
    // only the steps between neighbouring columns need the general line drawing, and only
    // when they span more rows than their own end points.
    std::vector<QLine> steps;
    int arrival = 0; // vertical direction of a steep step into the current column, 0 if none
    std::size_t i = 0;
    while (i < vertices.size()) {
        const int x = vertices[i].x();
        int lo = vertices[i].y(), hi = lo;
        std::size_t j = i + 1;
        for (; j < vertices.size() && vertices[j].x() == x; ++j) {
            lo = std::min(lo, vertices[j].y());
            hi = std::max(hi, vertices[j].y());
        }
        // A steep downward step that lands on the column's lowest point and turns back up gets
        // one more pixel below the turn from the general line drawing (its rounding favours
        // downward ends); match it.
        if (arrival > 0 && vertices[i].y() == hi && lo < hi)
            ++hi;
        FillRun(image, x, lo, hi, colour | 0xFF000000);
        arrival = 0;
        if (j < vertices.size()) {
            const QPoint& last = vertices[j - 1];
            const QPoint& next = vertices[j];
            const int dy = next.y() - last.y();
            if (std::abs(next.x() - last.x()) > 1 || std::abs(dy) > 1)
                steps.emplace_back(last, next);
            if (std::abs(dy) > std::abs(next.x() - last.x()))
                arrival = dy > 0 ? 1 : -1;
        }
        i = j;
    }
    if (steps.empty())
        return;
    QImage device = DevicePixels(image);
    QPainter painter(&device);
    painter.setPen(QPen(QColor(colour), 0));
    painter.drawLines(steps.data(), static_cast<int>(steps.size()));
}

} // namespace zel
