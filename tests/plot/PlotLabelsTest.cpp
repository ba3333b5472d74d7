#include "PlotTestSupport.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

namespace zel {
namespace {

using test::TextAtMismatch;

// The suite draws with the faces the setup installs and nothing else; a different face would
// move every label the pixel tests read.
TEST(PlotLabels, FacesAreTheInstalledOnes) {
    test::PlotUnderTest<CWaveWnd> plot;
    EXPECT_EQ(QFontInfo(plot.wnd.LabelFont()).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFontInfo(plot.wnd.ScaleFont()).family(), QStringLiteral("WenQuanYi Micro Hei"));
    // Nothing else the machine has is visible, not even its usual fallback face; Qt adds only
    // its generic names.
    const QStringList generic = {QStringLiteral("Monospace"), QStringLiteral("Sans Serif"),
                                 QStringLiteral("Serif")};
    for (const QString& family : QFontDatabase::families())
        EXPECT_TRUE(family.startsWith(QStringLiteral("Liberation")) ||
                    family.startsWith(QStringLiteral("WenQuanYi")) || generic.contains(family))
            << family.toStdString();
}

// Whatever the height, and so wherever the top value labels land, and however wide they are,
// the scale label at the top left stays readable.
template <typename Plot> void CheckScaleLabelAtEveryHeight(int item, const char* name) {
    for (int height = 40; height <= 420; ++height) {
        test::PlotUnderTest<Plot> plot(700, height);
        plot.wnd.SelectScale(item);
        const QImage image = plot.Paint();
        const QString label = QStringLiteral("(%1)").arg(QString::fromUtf8(name));
        // The label's own ink: value labels may come up to it, not into it.
        const QFontMetrics metrics(plot.wnd.ScaleFont());
        const QRect ink = metrics.boundingRect(label).translated(30, 5 + metrics.ascent());
        ASSERT_LE(TextAtMismatch(image, 30, 5, plot.wnd.ScaleFont(), label, ink), 2)
            << "height " << height;
    }
}

TEST(PlotLabels, ScaleLabelIsNeverCoveredByAValueLabel) {
    CheckScaleLabelAtEveryHeight<CWaveWnd>(3, "500");
    CheckScaleLabelAtEveryHeight<CWaveWnd>(5, "2000");
    CheckScaleLabelAtEveryHeight<CCurseWnd>(5, "500");
}

// Labels well away from the scale label are all still drawn.
TEST(PlotLabels, LowerValueLabelsAreKept) {
    test::PlotUnderTest<CWaveWnd> plot(700, 201);
    plot.wnd.SelectScale(3);
    const QImage image = plot.Paint();
    // Grid step 20: the label of j = 2 above the zero line reads 2 × 20 × 1000 / 201.
    EXPECT_LE(
        TextAtMismatch(image, 1, 100 - 40 - 5, plot.wnd.LabelFont(), "199.0", QRect(0, 57, 40, 12)),
        2);
}

} // namespace
} // namespace zel
