#include "plot/CurseWnd.h"
#include "PlotTestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace zel {
namespace {

using test::CountInColumn;
using test::CountInRow;
using test::IsColour;
using test::kCh1;
using test::kCh2;
using test::kGrid;
using test::TextAtMismatch;
using test::TextMismatch;

constexpr int kTop = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

using TrendPlot = test::PlotUnderTest<CCurseWnd>;

std::vector<TrendPoint> Counting(int count) {
    std::vector<TrendPoint> points;
    for (int k = 0; k < count; ++k)
        points.push_back({k, -k});
    return points;
}

TEST(CurseWnd, ValuesMapUpwardFromTheBaseline) {
    TrendPlot plot(700, 255);
    plot.wnd.SetPoints({{50, -50}, {50, -50}, {50, -50}});
    plot.wnd.SelectScale(1);
    EXPECT_FLOAT_EQ(plot.wnd.Scale(), 100.0f);
    const std::vector<QPoint> ch1 = plot.wnd.Points(0), ch2 = plot.wnd.Points(1);
    ASSERT_EQ(ch1.size(), 3u);
    EXPECT_EQ(ch1[1], QPoint(2, 125)); // x = trunc(1 / 300 × 700)
    EXPECT_EQ(ch2[1], QPoint(2, 375)); // below the bottom edge

    const QImage image = plot.wnd.grab().toImage().convertToFormat(QImage::Format_RGB32);
    test::SaveSnapshot(image, "trend_h255_scale100");
    EXPECT_EQ(CountInRow(image, 125, 0, 5, kCh1), 5);
    EXPECT_EQ(CountInRow(image, 124, 0, 700, kCh1) + CountInRow(image, 126, 0, 700, kCh1), 0);
    EXPECT_EQ(CountInRow(image, 254, 0, 700, kCh2), 0);
    // Grid upward from the baseline at 250 in 20 px steps, nothing mirrored below it.
    for (int y : {250, 230, 210, 10})
        EXPECT_TRUE(IsColour(image, 310, y, kGrid)) << y;
    EXPECT_FALSE(IsColour(image, 310, 240, kGrid));
    EXPECT_FALSE(IsColour(image, 310, 252, kGrid));
    const QFont& font = plot.wnd.LabelFont();
    const QRect eight(0, 222, 40, 18);
    EXPECT_LE(TextAtMismatch(image, 1, 225, font, "8.0", eight), 2);
    EXPECT_GT(TextAtMismatch(image, 1, 225, font, "-8.0", eight), 4);
    EXPECT_LE(TextAtMismatch(image, 15, 15, font, "A", QRect(13, 20, 15, 7)), 2);
    EXPECT_LE(TextAtMismatch(image, 30, 5, plot.wnd.ScaleFont(), "(100)", QRect(30, 2, 48, 18)), 2);
}

TEST(CurseWnd, AutomaticScaleTruncatesAndTheLiveRefreshAddsATenth) {
    struct Case {
        int peak;
        float viewScale, liveScale;
    };
    for (const Case c :
         {Case{9, 10.0f, 11.0f}, Case{95, 104.0f, 114.4f}, Case{-95, 104.0f, 114.4f}}) {
        TrendPlot viewer;
        viewer.wnd.SetPoints({{1, 2}, {3, c.peak}, {0, 0}});
        EXPECT_FLOAT_EQ(viewer.wnd.Scale(), c.viewScale) << c.peak;
        viewer.wnd.SelectScale(2);
        viewer.wnd.SelectScale(0);
        EXPECT_FLOAT_EQ(viewer.wnd.Scale(), c.viewScale) << c.peak;

        TrendPlot live;
        for (int k = 0; k < 5; ++k)
            live.wnd.AddPoint(c.peak, 0);
        live.wnd.RefreshTick();
        EXPECT_FLOAT_EQ(live.wnd.Scale(), c.liveScale) << c.peak;
        live.wnd.RefreshTick(); // settles, does not compound
        EXPECT_FLOAT_EQ(live.wnd.Scale(), c.liveScale) << c.peak;
    }
    TrendPlot empty;
    empty.wnd.SetPoints({});
    EXPECT_FLOAT_EQ(empty.wnd.Scale(), 10.0f);
    empty.wnd.SelectScale(5);
    EXPECT_FLOAT_EQ(empty.wnd.Scale(), 500.0f); // the trend selector's own last item
}

TEST(CurseWnd, LiveViewFollowsTheNewestPoints) {
    TrendPlot plot;
    const std::vector<TrendPoint> points = Counting(1030);
    for (const TrendPoint& p : points)
        plot.wnd.AddPoint(p.ch1, p.ch2);
    EXPECT_EQ(plot.wnd.PointCount(), 1030);
    EXPECT_EQ(plot.wnd.First(), 5);
    plot.wnd.RefreshTick();
    const std::vector<QPoint> ch1 = plot.wnd.Points(0);
    ASSERT_EQ(ch1.size(), 1025u); // points 5 … 1029
    EXPECT_EQ(ch1.front().x(), 0);
    EXPECT_EQ(ch1.back().x(), 700);
    const float scale = plot.wnd.Scale();
    const int b = 395;
    EXPECT_EQ(ch1.front().y(), b - static_cast<int>(5.0f / scale * b));
    EXPECT_EQ(ch1.back().y(), b - static_cast<int>(1029.0f / scale * b));
    EXPECT_LE(TextAtMismatch(plot.Paint(), 1, 388, plot.wnd.LabelFont(), "0时0分2秒",
                             QRect(0, 388, 60, 8)),
              2);
}

TEST(CurseWnd, CursorReadsThePointBeforeItsStep) {
    TrendPlot plot(600, 300);
    plot.wnd.SetPoints(Counting(400));
    plot.codes.clear();
    plot.wnd.PlaceCursor(1);
    EXPECT_EQ(plot.codes, std::vector<int>{CursorTrendEmpty});
    plot.wnd.PlaceCursor(300);
    EXPECT_EQ(plot.codes.back(), CursorTrendValid);
    EXPECT_EQ(plot.wnd.CursorCh1(), 149);
    EXPECT_EQ(plot.wnd.CursorCh2(), -149);

    TrendPlot few(600, 300);
    few.wnd.SetPoints(Counting(100));
    few.wnd.PlaceCursor(300); // a = 150 > 100 − 0
    EXPECT_EQ(few.codes.back(), CursorTrendEmpty);
    few.wnd.PlaceCursor(200); // a = 100: the last point
    EXPECT_EQ(few.codes.back(), CursorTrendValid);
    EXPECT_EQ(few.wnd.CursorCh1(), 99);
}

TEST(CurseWnd, TimeLabelsCountHalfSecondsFromFirst) {
    TrendPlot plot;
    plot.wnd.SetPoints(Counting(10));
    const QImage image = plot.Paint();
    const QFont& font = plot.wnd.LabelFont();
    const QRect centre(80, 388, 40, 12), right(635, 388, 65, 12), rightBelowTime(635, 391, 65, 9);
    EXPECT_LE(TextMismatch(image, centre, kTop | Qt::AlignHCenter, font, "0时0分21秒", centre), 2);
    EXPECT_LE(TextMismatch(image, right, kTop | Qt::AlignRight, font, "0时2分30秒", rightBelowTime),
              2);
    EXPECT_GT(TextMismatch(image, right, kTop | Qt::AlignRight, font, "0时2分31秒", rightBelowTime),
              4);
}

TEST(CurseWnd, ZoomStopsAt18And76800) {
    TrendPlot plot;
    plot.wnd.SetPoints(Counting(1000));
    std::vector<int> in;
    for (int r = plot.wnd.Zoom(true); r != 0; r = plot.wnd.Zoom(true))
        in.push_back(r);
    EXPECT_EQ(in, (std::vector<int>{150, 75, 37, 18}));
    EXPECT_EQ(plot.wnd.Span(), 18);
    std::vector<int> out;
    for (int r = plot.wnd.Zoom(false); r != 0; r = plot.wnd.Zoom(false))
        out.push_back(r);
    EXPECT_EQ(out.back(), 73728); // 18 doubled up to the first span at or above 40960
    TrendPlot from300;
    from300.wnd.SetPoints(Counting(1000));
    int last = 0;
    for (int r = from300.wnd.Zoom(false); r != 0; r = from300.wnd.Zoom(false))
        last = r;
    EXPECT_EQ(last, 76800);
    EXPECT_EQ(from300.wnd.First(), 0);
}

TEST(CurseWnd, ZoomInFromTheLiveSpanStopsAt32) {
    // The live plot starts at 1024 points; halving lands exactly on the limit.
    TrendPlot plot;
    for (int k = 0; k < 2000; ++k)
        plot.wnd.AddPoint(k, -k);
    EXPECT_EQ(plot.wnd.Span(), CCurseWnd::kLiveSpan);
    std::vector<int> in;
    for (int r = plot.wnd.Zoom(true); r != 0 && in.size() < 20; r = plot.wnd.Zoom(true))
        in.push_back(r);
    EXPECT_EQ(in, (std::vector<int>{512, 256, 128, 64, 32}));
    EXPECT_EQ(plot.wnd.Span(), 32);
    EXPECT_FALSE(plot.wnd.CanZoom(true));
    EXPECT_TRUE(plot.wnd.CanZoom(false));
}

TEST(CurseWnd, PlaybackAtTopSpeedAdvancesEightPointsPerTick) {
    TrendPlot plot;
    plot.wnd.SetPoints(Counting(1000));
    plot.wnd.Play(10);
    EXPECT_EQ(plot.wnd.PlayPeriod(), 18);
    plot.wnd.PlayTick();
    EXPECT_EQ(plot.wnd.First(), 8);
    int ticks = 1;
    while (plot.wnd.IsPlaying() && ticks < 1000) {
        plot.wnd.PlayTick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 88); // 88 × 8 = 704 ≥ 1000 − 300
    EXPECT_EQ(plot.wnd.First(), 700);
}

TEST(CurseWnd, ScrollingCountsPoints) {
    TrendPlot plot;
    plot.wnd.SetPoints(Counting(500));
    plot.wnd.Scroll(ScrollRequest::PageRight);
    EXPECT_EQ(plot.wnd.First(), 100);
    plot.wnd.Scroll(ScrollRequest::ToEnd);
    EXPECT_EQ(plot.wnd.First(), 499);
    EXPECT_EQ(plot.wnd.ScrollBarPos(), 200);
    plot.wnd.Scroll(ScrollRequest::ToStart);
    EXPECT_EQ(plot.wnd.First(), 0);

    TrendPlot empty;
    empty.wnd.SetPoints({});
    empty.codes.clear();
    empty.wnd.Scroll(ScrollRequest::LineRight);
    EXPECT_EQ(empty.wnd.First(), 0);
    EXPECT_TRUE(empty.codes.empty());
}

} // namespace
} // namespace zel
