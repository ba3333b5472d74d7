#pragma once

#include <QFont>
#include <QRect>

namespace zel {

// Converts dialog-template units to pixels: a horizontal unit is a quarter of the template font's
// average character width, a vertical unit an eighth of its height, so that a window laid out in
// units grows and shrinks with its font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& templateFont);
    DialogUnits(int baseWidth, int baseHeight) : baseWidth_(baseWidth), baseHeight_(baseHeight) {}

    int BaseWidth() const { return baseWidth_; }
    int BaseHeight() const { return baseHeight_; }

    int X(int units) const;
    int Y(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;
    QRect ToPixels(const QRect& units) const;

private:
    int baseWidth_ = 0;
    int baseHeight_ = 0;
};

} // namespace zel
