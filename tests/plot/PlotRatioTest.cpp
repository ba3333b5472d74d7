// Both plots drawn for a display scaled by 2 (and 1.5): the bitmap has device pixels, every
// line is one device pixel wide where a scaled-up picture would show pairs, and the curves are
// built at device resolution.
#include "PlotTestSupport.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

using test::CountInColumn;
using test::CountInRow;
using test::IsColour;
using test::kCh1;
using test::kCh2;
using test::kGrid;
using test::kYellow;
using test::kZero;

// Blocks whose every CH1 sample is `ch1` and every CH2 sample `ch2`.
std::vector<WaveBlock> Flat(int count, int ch1, int ch2) {
    WaveBlock block;
    std::fill(std::begin(block.ch1), std::end(block.ch1), static_cast<std::int16_t>(ch1));
    std::fill(std::begin(block.ch2), std::end(block.ch2), static_cast<std::int16_t>(ch2));
    return std::vector<WaveBlock>(static_cast<std::size_t>(count), block);
}

TEST(PlotRatio, WaveGridZeroLineAndCursorAreOneDevicePixelWide) {
    test::PlotUnderTest<CWaveWnd> plot; // 700 x 400, grid step 20
    QImage image;
    plot.wnd.Render(image, 2);
    test::SaveSnapshot(image, "wave_empty_700x400_ratio2");
    ASSERT_EQ(image.size(), QSize(1400, 800));
    EXPECT_EQ(image.devicePixelRatio(), 2);

    // Row 421 lies between horizontal grid lines (400 and 440).
    for (int i = 1; i < 35; ++i) {
        EXPECT_TRUE(IsColour(image, 40 * i, 421, kGrid)) << "line " << i;
        EXPECT_FALSE(IsColour(image, 40 * i + 1, 421, kGrid)) << "beside line " << i;
        EXPECT_FALSE(IsColour(image, 40 * i - 1, 421, kGrid)) << "beside line " << i;
    }
    for (int j : {1, 2, 5, 9}) {
        for (int y : {400 + 40 * j, 400 - 40 * j}) {
            EXPECT_TRUE(IsColour(image, 621, y, kGrid)) << y;
            EXPECT_FALSE(IsColour(image, 621, y + 1, kGrid)) << y + 1;
            EXPECT_FALSE(IsColour(image, 621, y - 1, kGrid)) << y - 1;
        }
    }
    EXPECT_EQ(CountInRow(image, 400, 720, 1200, kZero), 480);
    EXPECT_EQ(CountInRow(image, 401, 0, 1400, kZero) + CountInRow(image, 399, 0, 1400, kZero), 0);
    EXPECT_EQ(CountInColumn(image, 700, 0, 800, kYellow), 800);
    EXPECT_EQ(
        CountInColumn(image, 701, 0, 800, kYellow) + CountInColumn(image, 699, 0, 800, kYellow), 0);
}

TEST(PlotRatio, WaveCurvesLieOnDeviceRowsAClientPixelCannotReach) {
    test::PlotUnderTest<CWaveWnd> plot;
    plot.wnd.SetBlocks(Flat(8, 14, -14));
    plot.wnd.SelectScale(3); // 500: a client pixel is 2.5, a device pixel 1.25 amperes
    QImage image;
    plot.wnd.Render(image, 2);
    test::SaveSnapshot(image, "wave_flat_ratio2");
    // d = trunc(14 / 500 x 400) = 11: the curves run on rows 389 and 411, odd rows that a picture
    // drawn at ratio 1 (d = 5, rows 195 and 205) and doubled would cover as the pairs 390-391
    // and 410-411.
    // Columns left of the legend (device x 1100 on) and off the cursor (700).
    for (int x : {3, 101, 640, 699, 1001, 1077}) {
        EXPECT_TRUE(IsColour(image, x, 389, kCh1)) << x;
        EXPECT_EQ(CountInColumn(image, x, 0, 800, kCh1), 1) << x;
        EXPECT_TRUE(IsColour(image, x, 411, kCh2)) << x;
        EXPECT_EQ(CountInColumn(image, x, 0, 800, kCh2), 1) << x;
    }
    const std::vector<QPoint> ch1 = plot.wnd.Points(0);
    ASSERT_EQ(plot.wnd.PointRatio(), 2);
    ASSERT_FALSE(ch1.empty());
    EXPECT_EQ(ch1.front(), QPoint(0, 389));
    EXPECT_EQ(ch1.back().x(), 1399); // 3199 / 3200 of 1400 device columns
}

TEST(PlotRatio, TrendBaselineGridAndCurvesAtRatio2) {
    test::PlotUnderTest<CCurseWnd> plot(700, 255); // baseline 250, grid step 20
    plot.wnd.SetPoints(std::vector<TrendPoint>(301, TrendPoint{33, 0}));
    plot.wnd.SelectScale(1); // 100
    QImage image;
    plot.wnd.Render(image, 2);
    test::SaveSnapshot(image, "trend_flat_ratio2");
    ASSERT_EQ(image.size(), QSize(1400, 510));
    // The grid above the baseline at rows 500, 460, 420, ...; one device row each.
    for (int y : {460, 420, 100}) {
        EXPECT_TRUE(IsColour(image, 621, y, kGrid)) << y;
        EXPECT_FALSE(IsColour(image, 621, y + 1, kGrid)) << y + 1;
    }
    // CH1 at 500 - trunc(33 / 100 x 500) = 335; CH2 (0) on the baseline row itself.
    for (int x : {5, 333, 1050}) {
        EXPECT_TRUE(IsColour(image, x, 335, kCh1)) << x;
        EXPECT_EQ(CountInColumn(image, x, 0, 510, kCh1), 1) << x;
        EXPECT_TRUE(IsColour(image, x, 500, kCh2)) << x;
        EXPECT_EQ(CountInColumn(image, x, 0, 510, kCh2), 1) << x;
    }
}

// At a ratio of 1.5 client rows land between device rows; the curve of the value 0 still lies
// on the very row its zero line or baseline is drawn on.
TEST(PlotRatio, ZeroCurvesSitOnTheirLineAtRatio1Point5) {
    test::PlotUnderTest<CWaveWnd> wave(701, 403); // h2 = 201: device row 301.5
    wave.wnd.SetBlocks(Flat(8, 0, 0));
    QImage image;
    wave.wnd.Render(image, 1.5);
    ASSERT_EQ(image.size(), QSize(1052, 605));
    const int zero = 301;
    EXPECT_EQ(CountInRow(image, zero, 0, 1000, kCh2), 1000 - 1); // less the cursor's column
    EXPECT_EQ(CountInColumn(image, 200, 0, 605, kCh2), 1);
    EXPECT_EQ(CountInColumn(image, 200, 0, 605, kZero), 0); // covered by the curve

    test::PlotUnderTest<CCurseWnd> trend(701, 254); // baseline 249: device row 373.5
    trend.wnd.SetPoints(std::vector<TrendPoint>(301, TrendPoint{0, 0}));
    trend.wnd.Render(image, 1.5);
    const int baseline = 373;
    EXPECT_GE(CountInRow(image, baseline, 0, 1000, kCh2), 1000 - 2);
    for (int x : {200, 800}) // left of the legend
        EXPECT_EQ(CountInColumn(image, x, 0, image.height(), kCh2), 1) << x;
}

TEST(PlotRatio, ListsFollowTheRatioOfEachPaint) {
    test::PlotUnderTest<CWaveWnd> plot;
    plot.wnd.SetBlocks(
        std::vector<WaveBlock>{test::MainsBlock(0, 160, 95), test::MainsBlock(1, 160, 95)});
    QImage once;
    plot.wnd.Render(once, 1);
    const std::vector<QPoint> clientPoints = plot.wnd.Points(0);
    QImage image;
    plot.wnd.Render(image, 2);
    EXPECT_EQ(plot.wnd.PointRatio(), 2);
    EXPECT_NE(plot.wnd.Points(0), clientPoints);
    plot.wnd.Zoom(true); // rebuilds for the ratio last painted
    plot.wnd.Zoom(false);
    EXPECT_EQ(plot.wnd.PointRatio(), 2);
    QImage again;
    plot.wnd.Render(again, 1);
    EXPECT_EQ(plot.wnd.Points(0), clientPoints);
    EXPECT_EQ(again, once);
}

} // namespace
} // namespace zel
