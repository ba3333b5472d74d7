// Frame buttons of the title strip and the seven-segment glyph strip. Both are pixel art: the
// lines sit on whole pixels and are drawn without anti-aliasing so that they stay crisp.
#include "Art.h"

#include <QPainter>

namespace art {

namespace {

const QColor kGlyphWhite(0xFF, 0xFF, 0xFF);
const QColor kCloseHover(0xE8, 0x11, 0x23);
const QColor kClosePressed(0xB0, 0x0C, 0x1A);
const QColor kButtonHover(0x5A, 0x6E, 0x96);
const QColor kButtonPressed(0x22, 0x2F, 0x47);

QColor Background(FrameButton button, ButtonState state) {
    if (state == ButtonState::Normal)
        return Qt::transparent;
    if (button == FrameButton::Close)
        return state == ButtonState::Hover ? kCloseHover : kClosePressed;
    return state == ButtonState::Hover ? kButtonHover : kButtonPressed;
}

void DrawCross(QPainter& p) {
    // Two 10-pixel diagonals, anti-aliased: a cross looks ragged without it.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kGlyphWhite, 1.25, Qt::SolidLine, Qt::SquareCap));
    p.drawLine(QPointF(15.5, 5.5), QPointF(23.5, 13.5));
    p.drawLine(QPointF(23.5, 5.5), QPointF(15.5, 13.5));
}

void DrawSquare(QPainter& p, int x, int y, int side) {
    p.fillRect(x, y, side, 1, kGlyphWhite);
    p.fillRect(x, y + 1, side, 1, kGlyphWhite); // a heavier top edge, like a title bar
    p.fillRect(x, y + side - 1, side, 1, kGlyphWhite);
    p.fillRect(x, y, 1, side, kGlyphWhite);
    p.fillRect(x + side - 1, y, 1, side, kGlyphWhite);
}

void DrawGlyph(QPainter& p, FrameButton button, const QColor& background) {
    switch (button) {
    case FrameButton::Close:
        DrawCross(p);
        break;
    case FrameButton::Minimize:
        p.fillRect(9, 10, 10, 2, kGlyphWhite);
        break;
    case FrameButton::Maximize:
        DrawSquare(p, 9, 5, 10);
        break;
    case FrameButton::Restore: {
        // The back window shows only its top and right edges behind the front one.
        p.fillRect(12, 4, 8, 2, kGlyphWhite);
        p.fillRect(19, 4, 1, 8, kGlyphWhite);
        p.fillRect(17, 11, 2, 1, kGlyphWhite);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(9, 7, 8, 8, background);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        DrawSquare(p, 9, 7, 8);
        break;
    }
    }
}

} // namespace

QImage FrameButtonImage(FrameButton button, ButtonState state, int scale) {
    const int width = button == FrameButton::Close ? 39 : 28;
    QImage image(width * scale, 20 * scale, QImage::Format_ARGB32);
    image.fill(Background(button, state));
    QPainter p(&image);
    p.scale(scale, scale);
    DrawGlyph(p, button, Background(button, state));
    return image;
}

// ---------------------------------------------------------------------------------------------
// Seven-segment glyphs. Segments: a top, b upper right, c lower right, d bottom, e lower left,
// f upper left, g middle. Cell layout (12 x 32): columns x 1-2 and 9-10, rows y 4-5, 15-16 and
// 26-27; the segments leave a one-pixel gap at every corner like a real display.

namespace {

const QColor kCyan(0, 255, 255);
const QColor kMagenta(255, 0, 255);

enum Segment { A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64 };

void DrawSegments(QPainter& p, int cell, int segments, const QColor& colour) {
    const int x = cell * 12;
    auto horizontal = [&](int y) { p.fillRect(x + 3, y, 6, 2, colour); };
    auto vertical = [&](int left, int top) { p.fillRect(x + left, top, 2, 9, colour); };
    if (segments & A)
        horizontal(4);
    if (segments & G)
        horizontal(15);
    if (segments & D)
        horizontal(26);
    if (segments & F)
        vertical(1, 6);
    if (segments & B)
        vertical(9, 6);
    if (segments & E)
        vertical(1, 17);
    if (segments & C)
        vertical(9, 17);
}

void DrawV(QPainter& p, int cell) {
    const int x = cell * 12;
    // Two strokes that lean in towards the foot of the cell, one pixel per three rows.
    for (int row = 0; row < 24; ++row) {
        const int inset = row / 6;
        p.fillRect(x + 1 + inset, 4 + row, 2, 1, kMagenta);
        p.fillRect(x + 9 - inset, 4 + row, 2, 1, kMagenta);
    }
    p.fillRect(x + 5, 27, 2, 1, kMagenta);
}

} // namespace

QImage GlyphStrip() {
    QImage image(204, 32, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    static const int digits[10] = {
        A | B | C | D | E | F, B | C,         A | B | D | E | G,
        A | B | C | D | G,     B | C | F | G, A | C | D | F | G,
        A | C | D | E | F | G, A | B | C,     A | B | C | D | E | F | G,
        A | B | C | D | F | G,
    };
    for (int i = 0; i < 10; ++i)
        DrawSegments(p, i, digits[i], kCyan);
    DrawSegments(p, 11, A | B | C | E | F | G, kMagenta); // A
    DrawV(p, 12);
    p.fillRect(13 * 12 + 5, 25, 3, 3, kCyan); // point
    p.fillRect(14 * 12 + 5, 10, 3, 3, kCyan); // colon
    p.fillRect(14 * 12 + 5, 21, 3, 3, kCyan);
    DrawSegments(p, 16, G, kCyan); // minus
    return image;
}

} // namespace art
