// The main window's picture: the two clamps on their conductors, the instrument with both
// channels on its screen, the Wi-Fi link, and the PC running this program.
#include "Art.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace art {

namespace {

const QColor kCyan(0x00, 0xC8, 0xE0);
const QColor kMagenta(0xD8, 0x2C, 0xD8);
const QColor kStripLeft(0x29, 0x39, 0x55);
const QColor kStripRight(0x44, 0x58, 0x7C);

QPainterPath Wave(QRectF box, qreal cycles, qreal phase, qreal amplitude) {
    QPainterPath path;
    const int steps = 200;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        const qreal y =
            box.center().y() - amplitude * box.height() / 2 * qSin(2 * M_PI * (cycles * t + phase));
        const QPointF point(box.left() + box.width() * t, y);
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    return path;
}

void Shadow(QPainter& p, QPointF centre, qreal rx, qreal ry) {
    QRadialGradient g(centre, rx);
    g.setColorAt(0, QColor(0, 0, 0, 70));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p.save();
    p.translate(centre);
    p.scale(1, ry / rx);
    p.translate(-centre);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, rx, rx);
    p.restore();
}

void Clamp(QPainter& p, QPointF centre, const QColor& band, const QString& label) {
    // The conductor the clamp closes around.
    QLinearGradient copper(centre.x() - 9, 0, centre.x() + 9, 0);
    copper.setColorAt(0, QColor(0x9C, 0x4F, 0x1E));
    copper.setColorAt(0.5, QColor(0xF0, 0xA8, 0x6A));
    copper.setColorAt(1, QColor(0x8A, 0x40, 0x16));
    p.setPen(Qt::NoPen);
    p.setBrush(copper);
    p.drawRoundedRect(QRectF(centre.x() - 9, 10, 18, 300), 6, 6);

    // The jaw: a thick dark ring, its coloured channel band, and the hinge below.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x26, 0x2E, 0x3C), 22, Qt::SolidLine, Qt::FlatCap));
    p.drawEllipse(centre, 44, 44);
    p.setPen(QPen(band, 6, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(QRectF(centre.x() - 44, centre.y() - 44, 88, 88), 200 * 16, 140 * 16);
    p.setPen(QPen(QColor(0x5A, 0x66, 0x7A), 2));
    p.drawLine(centre + QPointF(0, -55), centre + QPointF(0, -33));
    p.setPen(Qt::NoPen);
    QLinearGradient grip(0, centre.y() + 40, 0, centre.y() + 95);
    grip.setColorAt(0, QColor(0x33, 0x3D, 0x50));
    grip.setColorAt(1, QColor(0x1C, 0x22, 0x2E));
    p.setBrush(grip);
    p.drawRoundedRect(QRectF(centre.x() - 20, centre.y() + 40, 40, 56), 10, 10);
    p.setBrush(band);
    p.drawRoundedRect(QRectF(centre.x() - 20, centre.y() + 56, 40, 6), 2, 2);
    p.setPen(QColor(0xF2, 0xF5, 0xFA));
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(centre.x() - 20, centre.y() + 66, 40, 24), Qt::AlignCenter, label);
}

void Cable(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    QPainterPath path(from);
    path.cubicTo(from + QPointF(0, 70), to - QPointF(80, 0), to);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x1C, 0x22, 0x2E), 9, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
}

void Screen(QPainter& p, const QRectF& r) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x05, 0x08, 0x0E));
    p.drawRoundedRect(r, 6, 6);
    p.setPen(QPen(QColor(0x1E, 0x2C, 0x3A), 1));
    for (int i = 1; i < 8; ++i)
        p.drawLine(QPointF(r.left() + r.width() * i / 8, r.top() + 30),
                   QPointF(r.left() + r.width() * i / 8, r.bottom() - 6));
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(r.left() + 6, r.top() + 30 + (r.height() - 36) * i / 4),
                   QPointF(r.right() - 6, r.top() + 30 + (r.height() - 36) * i / 4));
    const QRectF plot(r.left() + 8, r.top() + 36, r.width() - 16, r.height() - 48);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0xFF, 0xFF), 2.2));
    p.drawPath(Wave(plot, 3, 0, 0.8));
    p.setPen(QPen(QColor(0xFF, 0x40, 0xFF), 2.2));
    p.drawPath(Wave(plot, 3, 0.06, 0.62));
    QFont font("DejaVu Sans Mono");
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0xFF, 0xFF));
    p.drawText(QPointF(r.left() + 12, r.top() + 22), "CH1 153A");
    p.setPen(QColor(0xFF, 0x40, 0xFF));
    p.drawText(QPointF(r.left() + 104, r.top() + 22), "CH2 147A");
    p.setPen(QColor(0x9A, 0xF0, 0x9A));
    p.drawText(QPointF(r.right() - 56, r.top() + 22), "87%");
}

void Instrument(QPainter& p) {
    const QRectF body(260, 18, 300, 292);
    Shadow(p, QPointF(410, 312), 170, 14);
    QLinearGradient shell(0, body.top(), 0, body.bottom());
    shell.setColorAt(0, QColor(0x45, 0x57, 0x78));
    shell.setColorAt(1, QColor(0x1E, 0x28, 0x3B));
    p.setPen(QPen(QColor(0x14, 0x1B, 0x28), 2));
    p.setBrush(shell);
    p.drawRoundedRect(body, 30, 30);
    p.setPen(QPen(QColor(255, 255, 255, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(6, 6, -6, -6), 25, 25);

    Screen(p, QRectF(282, 42, 256, 168));

    // Keys below the screen: four function keys around a round measuring key.
    p.setPen(QPen(QColor(0x10, 0x16, 0x22), 1.5));
    p.setBrush(QColor(0x5E, 0x6E, 0x8C));
    for (int i = 0; i < 4; ++i) {
        const qreal x = i < 2 ? 284 + i * 52 : 444 + (i - 2) * 52;
        p.drawRoundedRect(QRectF(x, 232, 42, 20), 8, 8);
    }
    QRadialGradient key(QPointF(410, 238), 26);
    key.setColorAt(0, QColor(0x4F, 0xE6, 0xF2));
    key.setColorAt(1, QColor(0x12, 0x86, 0xA8));
    p.setBrush(key);
    p.drawEllipse(QPointF(410, 242), 20, 20);
    p.setPen(QColor(0xC8, 0xD2, 0xE2));
    QFont font("DejaVu Sans");
    font.setPixelSize(14);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(font);
    p.drawText(QRectF(body.left(), 272, body.width(), 24), Qt::AlignCenter, "VELQUIST");
}

void Link(QPainter& p) {
    p.setPen(Qt::NoPen);
    for (int x = 590; x <= 830; x += 16) {
        const qreal t = (x - 590) / 240.0;
        p.setBrush(QColor(0x2F + int(t * 0x10), 0x80, 0xED, 90 + int(120 * t)));
        p.drawEllipse(QPointF(x, 176), 3.2, 3.2);
    }
    p.setBrush(Qt::NoBrush);
    const QPointF centre(710, 150);
    for (int i = 0; i < 3; ++i) {
        const qreal radius = 22 + i * 22;
        p.setPen(QPen(QColor(0x2F, 0x80, 0xED, 255 - i * 55), 9, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 50 * 16,
                  80 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2F, 0x80, 0xED));
    p.drawEllipse(centre, 7, 7);
    p.setPen(QColor(0x55, 0x62, 0x78));
    QFont font("DejaVu Sans");
    font.setPixelSize(15);
    p.setFont(font);
    p.drawText(QRectF(600, 190, 220, 24), Qt::AlignCenter, "Wi-Fi  ·  TCP 8080");
}

void MiniWindow(QPainter& p, const QRectF& r) {
    p.fillRect(r, QColor(0xF0, 0xF2, 0xF5));
    QLinearGradient strip(r.left(), 0, r.right(), 0);
    strip.setColorAt(0, kStripLeft);
    strip.setColorAt(0.5, kStripLeft);
    strip.setColorAt(1, kStripRight);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 12), strip);
    p.fillRect(QRectF(r.left(), r.top() + 12, r.width(), 22), strip);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(QColor(0xEE, 0xEE, 0xEE, 190));
        p.drawRoundedRect(QRectF(r.left() + 8 + i * 42, r.top() + 17, 34, 12), 3, 3);
    }
    const QRectF plot(r.left() + 8, r.top() + 44, r.width() - 16, r.height() - 54);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0xB8, 0xC0, 0xCC), 1));
    p.drawRect(plot);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kCyan, 2));
    p.drawPath(Wave(plot.adjusted(4, 8, -4, -8), 2.5, 0, 0.75));
    p.setPen(QPen(kMagenta, 2));
    p.drawPath(Wave(plot.adjusted(4, 8, -4, -8), 2.5, 0.08, 0.55));
}

void Laptop(QPainter& p) {
    Shadow(p, QPointF(1020, 300), 210, 12);
    const QRectF lid(868, 34, 304, 214);
    p.setPen(QPen(QColor(0x12, 0x16, 0x1E), 2));
    p.setBrush(QColor(0x2A, 0x30, 0x3C));
    p.drawRoundedRect(lid, 14, 14);
    MiniWindow(p, lid.adjusted(14, 14, -14, -14));

    QPainterPath base;
    base.moveTo(846, 252);
    base.lineTo(1194, 252);
    base.lineTo(1224, 284);
    base.quadTo(1224, 292, 1214, 292);
    base.lineTo(826, 292);
    base.quadTo(816, 292, 816, 284);
    base.closeSubpath();
    QLinearGradient metal(0, 252, 0, 292);
    metal.setColorAt(0, QColor(0xE2, 0xE6, 0xEC));
    metal.setColorAt(1, QColor(0xA9, 0xB1, 0xBE));
    p.setPen(QPen(QColor(0x7C, 0x86, 0x96), 1.5));
    p.setBrush(metal);
    p.drawPath(base);
    p.setBrush(QColor(0xC6, 0xCC, 0xD6));
    p.drawRoundedRect(QRectF(978, 270, 84, 14), 4, 4);
}

} // namespace

QImage MainPicture(int scale) {
    QImage image(1245 * scale, 328 * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    Cable(p, QPointF(70, 170), QPointF(262, 120), kCyan);
    Cable(p, QPointF(186, 170), QPointF(262, 180), kMagenta);
    Clamp(p, QPointF(70, 90), kCyan, "CH1");
    Clamp(p, QPointF(186, 90), kMagenta, "CH2");
    Instrument(p);
    Link(p);
    Laptop(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace art
