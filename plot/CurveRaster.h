#pragma once

#include <QImage>
#include <QPoint>

#include <vector>

namespace zel {

// Strokes a curve's vertex list as a polyline one device pixel wide in `colour`. The vertices
// are in the image's device pixels, whatever its device pixel ratio. A list reduced by
// CurveReducer is drawn column by column straight into the image; a full list goes through
// QPainter::drawPolyline.
void DrawCurve(QImage& image, const std::vector<QPoint>& vertices, bool reduced, QRgb colour);

// The general path, kept as the reference the fast one is measured against.
void DrawPolyline(QImage& image, const std::vector<QPoint>& vertices, QRgb colour);

} // namespace zel
