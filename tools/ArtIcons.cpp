// The logo and the command-row icons. Each is drawn as vectors in its own unit square (256 for
// the logo, 48 for the icons) and scaled to the size asked for, so every size is sharp.
#include "Art.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace art {

namespace {

QImage Canvas(int size, QPainter& p, qreal units) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / units, size / units);
    return image;
}

QPainterPath SineWave(qreal left, qreal right, qreal middle, qreal amplitude) {
    QPainterPath path;
    const int steps = 64;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        const QPointF point(left + (right - left) * t, middle - amplitude * qSin(2 * M_PI * t));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    return path;
}

void PaintLogo(QPainter& p) {
    QLinearGradient tile(0, 8, 0, 248);
    tile.setColorAt(0, QColor(0x2F, 0xD3, 0xE0));
    tile.setColorAt(1, QColor(0x1A, 0x45, 0x86));
    p.setPen(QPen(QColor(0x10, 0x2C, 0x55), 4));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 52, 52);

    // The clamp jaw around the conductor: a ring open at the top.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 110), 16, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(44, 44, 168, 168), 120 * 16, 300 * 16);

    p.setPen(QPen(Qt::white, 28, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(SineWave(50, 206, 132, 44));
}

void PaintExit(QPainter& p) {
    QRadialGradient disc(20, 16, 30);
    disc.setColorAt(0, QColor(0xFF, 0x7A, 0x70));
    disc.setColorAt(1, QColor(0xC6, 0x28, 0x28));
    p.setPen(QPen(QColor(0x7A, 0x12, 0x12), 1.5));
    p.setBrush(disc);
    p.drawEllipse(QRectF(3, 3, 42, 42));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(12, 13, 24, 24), 60 * 16, -300 * 16);
    p.drawLine(QPointF(24, 10), QPointF(24, 24));
}

void PaintDocument(QPainter& p) {
    QPainterPath sheet;
    sheet.moveTo(8, 3);
    sheet.lineTo(28, 3);
    sheet.lineTo(38, 13);
    sheet.lineTo(38, 45);
    sheet.lineTo(8, 45);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x8A, 0x96, 0xA8), 1.5));
    p.setBrush(QColor(0xFA, 0xFB, 0xFD));
    p.drawPath(sheet);
    p.setBrush(QColor(0xD5, 0xDC, 0xE6));
    p.drawPolygon(QPolygonF({QPointF(28, 3), QPointF(28, 13), QPointF(38, 13)}));
    p.setPen(QPen(QColor(0xA8, 0xB3, 0xC2), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int y = 19; y <= 33; y += 7)
        p.drawLine(QPointF(13, y), QPointF(y < 30 ? 32 : 22, y));
}

void PaintAnalysis(QPainter& p) {
    PaintDocument(p);
    p.setPen(QPen(QColor(0x24, 0x36, 0x52), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(37, 37), QPointF(44, 44));
    QRadialGradient lens(28, 26, 12);
    lens.setColorAt(0, QColor(0xE8, 0xFB, 0xFF, 230));
    lens.setColorAt(1, QColor(0x9F, 0xE3, 0xF5, 230));
    p.setBrush(lens);
    p.setPen(QPen(QColor(0x1F, 0x78, 0xD1), 4));
    p.drawEllipse(QPointF(30, 30), 10, 10);
}

void PaintLiveRecording(QPainter& p) {
    p.setPen(QPen(QColor(0xCF, 0xD8, 0xE6), 2));
    p.setBrush(QColor(0x17, 0x22, 0x36));
    p.drawRoundedRect(QRectF(2, 8, 40, 34), 5, 5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0xFF, 0xFF), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(SineWave(7, 37, 27, 9));
    QRadialGradient dot(35, 8, 9);
    dot.setColorAt(0, QColor(0xFF, 0x8A, 0x80));
    dot.setColorAt(1, QColor(0xE0, 0x1E, 0x1E));
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(dot);
    p.drawEllipse(QPointF(38, 10), 8, 8);
}

void PaintViewer(QPainter& p) {
    p.setPen(QPen(QColor(0x8A, 0x96, 0xA8), 1.5));
    p.setBrush(QColor(0xFA, 0xFB, 0xFD));
    p.drawRoundedRect(QRectF(3, 6, 42, 36), 4, 4);
    p.setPen(QPen(QColor(0x9A, 0xA6, 0xB8), 1.5));
    p.drawLine(QPointF(9, 11), QPointF(9, 36));
    p.drawLine(QPointF(9, 36), QPointF(40, 36));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x00, 0xB8, 0xD4), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF(
        {QPointF(11, 28), QPointF(18, 18), QPointF(25, 24), QPointF(32, 14), QPointF(39, 17)}));
    p.setPen(QPen(QColor(0xD6, 0x2C, 0xD6), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF(
        {QPointF(11, 33), QPointF(18, 27), QPointF(25, 31), QPointF(32, 24), QPointF(39, 27)}));
}

// The two 16-pixel-only icons are drawn on the pixel grid; they are shown doubled.
void PaintSettings16(QPainter& p) {
    // A gear set pixel by pixel: eight teeth round a ring with a hole, no blur.
    static const char* const rows[16] = {
        "................", "......####......", "..##..####..##..", "..############..",
        "...##########...", "..#####..#####..", ".#####....#####.", ".####......####.",
        ".####......####.", ".#####....#####.", "..#####..#####..", "...##########...",
        "..############..", "..##..####..##..", "......####......", "................",
    };
    const QColor body(0xE4, 0xE9, 0xF0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (rows[y][x] == '#')
                p.fillRect(x, y, 1, 1, body);
}

void PaintTransfer16(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor tray(0xE4, 0xE9, 0xF0);
    p.fillRect(1, 10, 2, 5, tray);
    p.fillRect(13, 10, 2, 5, tray);
    p.fillRect(1, 13, 14, 2, tray);
    const QColor arrow(0x3E, 0xE0, 0x8A);
    p.fillRect(7, 1, 2, 7, arrow);
    for (int row = 0; row < 4; ++row)
        p.fillRect(4 + row, 7 + row, 8 - 2 * row, 1, arrow);
}

} // namespace

QImage Logo(int size) {
    QPainter p;
    QImage image = Canvas(size, p, 256);
    PaintLogo(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage ButtonIcon(int id, int size) {
    if (id == 128)
        return Logo(size);
    QPainter p;
    const bool small = id == 136 || id == 137;
    QImage image = Canvas(size, p, small ? 16 : 48);
    switch (id) {
    case 133:
        PaintExit(p);
        break;
    case 134:
        PaintAnalysis(p);
        break;
    case 135:
        PaintLiveRecording(p);
        break;
    case 136:
        PaintSettings16(p);
        break;
    case 137:
        PaintTransfer16(p);
        break;
    case 138:
        PaintViewer(p);
        break;
    default:
        break;
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace art
