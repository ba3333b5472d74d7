#include "plot/WaveWnd.h"
#include "PlotTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QScrollBar>

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
using test::RampBlock;
using test::TextAtMismatch;
using test::TextMismatch;

constexpr int kTop = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
// Time labels of a 700 × 400 plot; the compared areas leave out the neighbouring texts (the
// lowest value label reaches into the bottom rows of the first time label).
const QRect kLeftLabel(0, 388, 60, 8);
const QRect kRightBox(635, 388, 65, 12);
const QRect kRightLabel(635, 391, 65, 9);

using WavePlot = test::PlotUnderTest<CWaveWnd>;

std::vector<WaveBlock> Ramps(int count) {
    std::vector<WaveBlock> blocks;
    for (int b = 0; b < count; ++b)
        blocks.push_back(RampBlock((b % 16) * 400));
    return blocks;
}

TEST(WaveWnd, EmptyPlotDrawsGridLabelsZeroLineAndNoCurves) {
    WavePlot plot;
    const QImage image = plot.wnd.grab().toImage().convertToFormat(QImage::Format_RGB32);
    test::SaveSnapshot(image, "wave_empty_700x400");
    ASSERT_EQ(image.size(), QSize(700, 400));

    // 36 vertical lines 20 px apart (the last one, x = 700, falls just outside).
    for (int i = 1; i < 35; ++i) {
        EXPECT_TRUE(IsColour(image, i * 20, 110, kGrid)) << "line " << i;
        EXPECT_FALSE(IsColour(image, i * 20 + 10, 110, kGrid)) << "between " << i;
    }
    // Horizontal lines every 20 px both ways from the grey zero line at 200.
    EXPECT_EQ(CountInRow(image, 200, 360, 600, kZero), 240);
    for (int y : {0, 20, 180, 220, 380}) {
        EXPECT_TRUE(IsColour(image, 310, y, kGrid)) << y;
        EXPECT_FALSE(IsColour(image, 310, y + 10, kGrid)) << y + 10;
    }
    EXPECT_EQ(CountInRow(image, 111, 0, 700, kCh1) + CountInRow(image, 111, 0, 700, kCh2), 0);
    EXPECT_EQ(CountInColumn(image, 350, 0, 400, kYellow), 400); // cursor in the middle
    // With span 8 the labels run 0, 0, 1, 1, 2, 2, 3 and 4 seconds.

    const QFont& font = plot.wnd.LabelFont();
    const QRect minusOne(0, 212, 40, 18), plusOne(0, 172, 40, 18);
    EXPECT_LE(TextAtMismatch(image, 1, 215, font, "-1.0", minusOne), 2);
    EXPECT_LE(TextAtMismatch(image, 1, 175, font, "1.0", plusOne), 2);
    EXPECT_LE(TextAtMismatch(image, 1, 388, font, "0时0分0秒", kLeftLabel), 2);
    EXPECT_LE(TextMismatch(image, kRightBox, kTop | Qt::AlignRight, font, "0时0分4秒", kRightLabel),
              2);
    // The comparison does tell texts and positions apart.
    EXPECT_GT(TextAtMismatch(image, 1, 215, font, "-2.0", minusOne), 4);
    EXPECT_GT(TextAtMismatch(image, 1, 178, font, "1.0", plusOne), 4);
}

TEST(WaveWnd, LiveBlocksBeyondTheCapDropTheOldestAndShiftTheTimeLabels) {
    WavePlot plot;
    plot.wnd.StartAutoRefresh(200);
    for (int b = 0; b < 1025; ++b)
        plot.wnd.AddBlock(RampBlock(b % 50));
    EXPECT_EQ(plot.wnd.BlockCount(), 1024);
    EXPECT_EQ(plot.wnd.Dropped(), 1u);
    EXPECT_EQ(plot.wnd.First(), 1016);
    EXPECT_TRUE(plot.wnd.Points(0).empty()); // drawn only after the refresh tick

    plot.wnd.RefreshTick();
    EXPECT_FALSE(plot.wnd.Points(0).empty());
    const QImage image = plot.Paint();
    EXPECT_LE(TextAtMismatch(image, 1, 388, plot.wnd.LabelFont(), "0时8分28秒", kLeftLabel), 2);
    EXPECT_GT(TextAtMismatch(image, 1, 388, plot.wnd.LabelFont(), "0时8分24秒", kLeftLabel), 4);
}

TEST(WaveWnd, SpanEightLabelsEndAtFourSeconds) {
    WavePlot plot;
    plot.wnd.SetBlocks(Ramps(30));
    const QImage image = plot.Paint();
    EXPECT_LE(TextMismatch(image, kRightBox, kTop | Qt::AlignRight, plot.wnd.LabelFont(),
                           "0时0分4秒", kRightLabel),
              2);
    EXPECT_GT(TextMismatch(image, kRightBox, kTop | Qt::AlignRight, plot.wnd.LabelFont(),
                           "0时0分5秒", kRightLabel),
              4);
}

TEST(WaveWnd, FixedScaleMapsSamplesToRows) {
    WavePlot plot(700, 201);
    std::vector<WaveBlock> blocks(1);
    for (int p = 0; p < kSamplesPerChannel; ++p) {
        blocks[0].ch1[p] = 250;
        blocks[0].ch2[p] = -250;
    }
    plot.wnd.SetBlocks(blocks);
    plot.wnd.SelectScale(3);
    EXPECT_FALSE(plot.wnd.AutoScale());
    EXPECT_FLOAT_EQ(plot.wnd.Scale(), 500.0f);
    const QImage image = plot.Paint();
    test::SaveSnapshot(image, "wave_scale500_h201");
    // One block of eight fills the leftmost 87 px.
    EXPECT_GE(CountInRow(image, 50, 0, 87, kCh1), 80);
    EXPECT_GE(CountInRow(image, 150, 0, 87, kCh2), 80);
    EXPECT_EQ(CountInRow(image, 49, 0, 700, kCh1) + CountInRow(image, 51, 0, 700, kCh1), 0);
    EXPECT_EQ(CountInRow(image, 50, 100, 600, kCh1), 0);
    EXPECT_LE(TextAtMismatch(image, 30, 5, plot.wnd.ScaleFont(), "(500)", QRect(30, 2, 48, 18)), 2);
}

TEST(WaveWnd, AutomaticScaleFollowsTheLargestSampleInView) {
    struct Case {
        int peak;
        float scale;
    };
    for (const Case c :
         {Case{5, 10.0f}, Case{9, 10.0f}, Case{1000, 1100.0f}, Case{-2000, 2200.0f}}) {
        WavePlot plot;
        std::vector<WaveBlock> blocks(3);
        blocks[2].ch2[123] = static_cast<std::int16_t>(c.peak);
        plot.wnd.SetBlocks(blocks);
        EXPECT_FLOAT_EQ(plot.wnd.Scale(), c.scale) << c.peak;
    }
    WavePlot empty;
    empty.wnd.SetBlocks({});
    EXPECT_FLOAT_EQ(empty.wnd.Scale(), 10.0f);
}

TEST(WaveWnd, CursorReadsTheSampleUnderItOrReportsEmpty) {
    WavePlot plot;
    plot.wnd.SetBlocks(Ramps(8));
    plot.codes.clear();
    plot.wnd.PlaceCursor(350);
    ASSERT_EQ(plot.codes, std::vector<int>{CursorWaveValid});
    EXPECT_EQ(plot.wnd.CursorCh1(), 4 * 400); // block 4, position 0
    EXPECT_EQ(plot.wnd.CursorCh2(), -4 * 400);
    EXPECT_EQ(CountInColumn(plot.Paint(), 350, 0, 400, kYellow), 400);

    plot.wnd.PlaceCursor(701); // outside the client area: ignored
    EXPECT_EQ(plot.codes.size(), 1u);
    EXPECT_EQ(plot.wnd.CursorX(), 350);

    WavePlot few;
    few.wnd.SetBlocks(Ramps(4));
    few.codes.clear();
    few.wnd.PlaceCursor(350);
    EXPECT_EQ(few.codes, std::vector<int>{CursorWaveEmpty});
    few.wnd.PlaceCursor(349); // trunc(349 / 700 × 8 × 400) = 1595: block 3, position 395
    EXPECT_EQ(few.codes.back(), CursorWaveValid);
    EXPECT_EQ(few.wnd.CursorCh1(), 3 * 400 + 395);

    WavePlot none;
    none.wnd.SetBlocks({});
    EXPECT_EQ(none.codes, std::vector<int>{CursorWaveEmpty});
}

TEST(WaveWnd, ZoomHalvesOrDoublesWithinOneTo1024) {
    WavePlot plot;
    plot.wnd.SetBlocks(Ramps(20));
    for (int expected : {4, 2, 1, 0})
        EXPECT_EQ(plot.wnd.Zoom(true), expected);
    EXPECT_EQ(plot.wnd.Span(), 1);
    std::vector<int> out;
    for (int r = plot.wnd.Zoom(false); r != 0; r = plot.wnd.Zoom(false))
        out.push_back(r);
    EXPECT_EQ(out, (std::vector<int>{2, 4, 8, 16, 32, 64, 128, 256, 512, 1024}));
    EXPECT_EQ(plot.wnd.Span(), 1024);
    EXPECT_EQ(plot.wnd.First(), 0);
}

TEST(WaveWnd, ZoomOutNearTheEndPullsTheViewBack) {
    WavePlot plot;
    plot.wnd.SetBlocks(Ramps(20));
    plot.wnd.Scroll(ScrollRequest::ThumbTrack, 12);
    EXPECT_EQ(plot.wnd.First(), 12);
    EXPECT_EQ(plot.wnd.Zoom(false), 16);
    EXPECT_EQ(plot.wnd.First(), 4);
}

TEST(WaveWnd, PlaybackStepsToTheLastFullView) {
    struct Case {
        int blocks, zoomOuts, ticks, lastFirst;
    };
    // span 8: one block per tick up to 92; span 1024: one tick of 29 blocks, then back to 0.
    for (const Case c : {Case{100, 0, 92, 92}, Case{100, 7, 1, 0}, Case{3000, 7, 69, 1976}}) {
        WavePlot plot;
        plot.wnd.SetBlocks(Ramps(c.blocks));
        for (int z = 0; z < c.zoomOuts; ++z)
            plot.wnd.Zoom(false);
        plot.wnd.Play(0);
        EXPECT_EQ(plot.wnd.PlayPeriod(), 200);
        int ticks = 0;
        while (plot.wnd.IsPlaying() && ticks < 10000) {
            plot.wnd.PlayTick();
            ++ticks;
        }
        EXPECT_EQ(ticks, c.ticks) << c.blocks << "/" << plot.wnd.Span();
        EXPECT_EQ(plot.wnd.First(), c.lastFirst);
    }
}

TEST(WaveWnd, PlaybackPeriodsForTheElevenSpeeds) {
    CWaveWnd wnd;
    const int expected[] = {200, 100, 66, 50, 40, 33, 28, 25, 22, 20, 18};
    for (int speed = 0; speed <= 10; ++speed) {
        wnd.Play(speed);
        EXPECT_EQ(wnd.PlayPeriod(), expected[speed]);
    }
    wnd.StopPlay();
    EXPECT_FALSE(wnd.IsPlaying());
}

TEST(WaveWnd, ScrollRequestsMoveTheView) {
    WavePlot plot;
    plot.wnd.SetBlocks(Ramps(100));
    plot.wnd.Scroll(ScrollRequest::ThumbTrack, 92);
    plot.wnd.Scroll(ScrollRequest::LineRight);
    EXPECT_EQ(plot.wnd.First(), 99); // past the last full view
    EXPECT_EQ(plot.wnd.ScrollBarPos(), 92);
    const QImage image = plot.Paint();
    test::SaveSnapshot(image, "wave_line_right_past_end");
    int inLeftEighth = 0;
    for (int x = 0; x < 87; ++x)
        inLeftEighth += CountInColumn(image, x, 0, 400, kCh1) > 0;
    EXPECT_GE(inLeftEighth, 85);
    for (int x = 90; x < 690; x += 7)
        EXPECT_EQ(CountInColumn(image, x, 30, 400, kCh1), 0) << x;

    plot.wnd.Scroll(ScrollRequest::ToStart);
    EXPECT_EQ(plot.wnd.First(), 0);
    plot.wnd.Scroll(ScrollRequest::PageRight);
    EXPECT_EQ(plot.wnd.First(), 99);
    plot.wnd.Scroll(ScrollRequest::PageLeft);
    EXPECT_EQ(plot.wnd.First(), 0);
    plot.wnd.Scroll(ScrollRequest::ToEnd);
    EXPECT_EQ(plot.wnd.First(), 99);
    plot.wnd.Scroll(ScrollRequest::LineLeft); // from the thumb's end at 92
    EXPECT_EQ(plot.wnd.First(), 82);
}

TEST(WaveWnd, ScrollBarActionsReachTheView) {
    WavePlot plot;
    plot.wnd.EnableScrollBar();
    plot.wnd.ResetCursor();
    plot.wnd.SetBlocks(Ramps(100));
    auto* bar = plot.wnd.findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 92);
    EXPECT_EQ(bar->pageStep(), 8);
    EXPECT_EQ(plot.wnd.ClientRect().height(), 400 - bar->sizeHint().height());
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(plot.wnd.First(), 99);
    EXPECT_EQ(bar->value(), 92);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(plot.wnd.First(), 82);
    EXPECT_EQ(bar->value(), 82);
}

TEST(WaveWnd, ScaleSelectorShowsOnlyNearTheTopLeftCorner) {
    WavePlot plot;
    QComboBox* box = plot.wnd.ScaleBox();
    EXPECT_TRUE(box->isHidden());
    QMouseEvent inside(QEvent::MouseMove, QPointF(99, 19), QPointF(99, 19), Qt::NoButton,
                       Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&plot.wnd, &inside);
    EXPECT_FALSE(box->isHidden());
    QMouseEvent outside(QEvent::MouseMove, QPointF(100, 5), QPointF(100, 5), Qt::NoButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&plot.wnd, &outside);
    EXPECT_TRUE(box->isHidden());
}

TEST(WaveWnd, NarrowPlotDrawsOnlyItsBackground) {
    for (int width : {0, 1, 34}) {
        WavePlot plot(width, 120);
        plot.wnd.SetBlocks(Ramps(3));
        plot.wnd.PlaceCursor(0);
        plot.wnd.RefreshTick();
        EXPECT_TRUE(plot.wnd.Points(0).empty());
        const QImage image = plot.Paint();
        if (width > 0) {
            ASSERT_EQ(image.size(), QSize(width, 120));
        }
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_TRUE(IsColour(image, x, y, Qt::black)) << width << ": " << x << "," << y;
    }
    WavePlot just(35, 120);
    just.wnd.SetBlocks(Ramps(3));
    EXPECT_FALSE(just.wnd.Points(0).empty());
}

} // namespace
} // namespace zel
