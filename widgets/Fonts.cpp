#include "widgets/Fonts.h"

#include <QStringList>

namespace zel {

namespace {

QFont MakeFont(const QStringList& families, QFont::StyleHint hint, int pixelHeight) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPixelSize(pixelHeight);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

QFont SongtiFont(int pixelHeight) {
    return MakeFont({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("NSimSun"),
                     QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")},
                    QFont::SansSerif, pixelHeight);
}

QFont ArialFont(int pixelHeight) {
    return MakeFont({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                     QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")},
                    QFont::SansSerif, pixelHeight);
}

QFont GuiFont(int pixelHeight) {
    return MakeFont({QStringLiteral("Microsoft YaHei"), QStringLiteral("WenQuanYi Micro Hei"),
                     QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")},
                    QFont::SansSerif, pixelHeight);
}

QFont ShellDlgFont(int pointSize) {
    // Windows sizes the template font as -MulDiv(points, 96, 72) pixels.
    const int pixels = (pointSize * 96 + 36) / 72;
    return MakeFont({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                     QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("DejaVu Sans")},
                    QFont::SansSerif, pixels);
}

} // namespace zel
