#include "widgets/DialogUnits.h"

#include <QFontMetrics>

namespace zel {

namespace {

// value × numerator ÷ denominator, rounded half away from zero.
int ScaleRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

} // namespace

DialogUnits::DialogUnits(const QFont& templateFont) {
    const QFontMetrics metrics(templateFont);
    // The average width of the 52 Latin letters, rounded to the nearest pixel.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseWidth_ = (letters / 26 + 1) / 2;
    baseHeight_ = metrics.height();
}

int DialogUnits::X(int units) const {
    return ScaleRounded(units, baseWidth_, 4);
}

int DialogUnits::Y(int units) const {
    return ScaleRounded(units, baseHeight_, 8);
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    // Position and size are converted one by one, so a control's right edge may round apart
    // from its neighbour's left edge by a pixel.
    return QRect(X(x), Y(y), X(width), Y(height));
}

QRect DialogUnits::ToPixels(const QRect& units) const {
    return ToPixels(units.x(), units.y(), units.width(), units.height());
}

} // namespace zel
