#include "plot/CurveRaster.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace zel {

namespace {

// A vertical run lo … hi of column x, already clipped to the image.
struct Run {
    int x, lo, hi;
};

// Clips the run lo … hi of column x to the image and keeps it when anything is left.
void AddRun(std::vector<Run>& runs, const QImage& image, int x, int lo, int hi) {
    if (x < 0 || x >= image.width())
        return;
    lo = std::max(lo, 0);
    hi = std::min(hi, image.height() - 1);
    if (lo <= hi)
        runs.push_back({x, lo, hi});
}

// Writes the runs (in order of x) straight into the pixels, 16 neighbouring columns at a time.
// Where the runs of a tile overlap, as they do at the widest spans, the tile is written row by
// row: each row of it is one cache line, where writing column by column would fetch a line for
// every pixel of a tall run. Runs scattered over many rows go column by column.
void FillRuns(QImage& image, const std::vector<Run>& runs, QRgb colour) {
    constexpr int kTile = 16;
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    std::size_t i = 0;
    while (i < runs.size()) {
        const int tile = runs[i].x / kTile;
        int top = runs[i].lo, bottom = runs[i].hi;
        long long pixels = runs[i].hi - runs[i].lo + 1;
        std::size_t j = i + 1;
        for (; j < runs.size() && runs[j].x / kTile == tile; ++j) {
            top = std::min(top, runs[j].lo);
            bottom = std::max(bottom, runs[j].hi);
            pixels += runs[j].hi - runs[j].lo + 1;
        }
        const long long area = static_cast<long long>(bottom - top + 1) * (j - i);
        if (area <= 2 * pixels) {
            for (int y = top; y <= bottom; ++y) {
                auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
                for (std::size_t k = i; k < j; ++k)
                    if (runs[k].lo <= y && y <= runs[k].hi)
                        row[runs[k].x] = colour;
            }
        } else {
            for (std::size_t k = i; k < j; ++k) {
                uchar* pixel = bits + runs[k].lo * stride + runs[k].x * 4;
                for (int y = runs[k].lo; y <= runs[k].hi; ++y, pixel += stride)
                    *reinterpret_cast<QRgb*>(pixel) = colour;
            }
        }
        i = j;
    }
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
    // when they span more rows than their own end points. A step into the next column that
    // stays within the runs of both columns adds no pixel either: at the widest spans nearly
    // every step is such, and drawing them would cost more than the runs themselves.
    std::vector<Run> runs;
    runs.reserve(vertices.size() / 2 + 1);
    std::vector<QLine> steps;
    QLine step;           // the step into the current column, while it may still be needed
    bool pending = false; // whether `step` waits for the current column's run
    int arrival = 0;      // vertical direction of a steep step into the current column, 0 if none
    int previousX = 0, previousLo = 0, previousHi = 0;
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
        AddRun(runs, image, x, lo, hi);
        if (pending) {
            const int top = std::min(step.y1(), step.y2());
            const int bottom = std::max(step.y1(), step.y2());
            const bool covered = x == previousX + 1 && top >= std::max(lo, previousLo) &&
                                 bottom <= std::min(hi, previousHi);
            if (!covered)
                steps.push_back(step);
        }
        pending = false;
        arrival = 0;
        if (j < vertices.size()) {
            const QPoint& last = vertices[j - 1];
            const QPoint& next = vertices[j];
            const int dy = next.y() - last.y();
            if (std::abs(next.x() - last.x()) > 1 || std::abs(dy) > 1) {
                step = QLine(last, next);
                pending = true;
            }
            if (std::abs(dy) > std::abs(next.x() - last.x()))
                arrival = dy > 0 ? 1 : -1;
        }
        previousX = x;
        previousLo = lo;
        previousHi = hi;
        i = j;
    }
    FillRuns(image, runs, colour | 0xFF000000);
    if (steps.empty())
        return;
    QImage device = DevicePixels(image);
    QPainter painter(&device);
    painter.setPen(QPen(QColor(colour), 0));
    painter.drawLines(steps.data(), static_cast<int>(steps.size()));
}

} // namespace zel
