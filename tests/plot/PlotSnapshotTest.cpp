#include "PlotTestSupport.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

int CountColour(const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        count += test::CountInRow(image, y, 0, image.width(), colour);
    return count;
}

// Realistic data at the live view's size: the pictures land in ZEL_SNAPSHOT_DIR for a look.
TEST(PlotSnapshot, LiveWaveformsWithHarmonics) {
    for (int zoomOuts : {0, 3, 7}) {
        CWaveWnd wnd;
        wnd.resize(1100, 400);
        wnd.ResetCursor();
        for (int b = 0; b < 1030; ++b)
            wnd.AddBlock(test::MainsBlock(b, 160, 95));
        for (int z = 0; z < zoomOuts; ++z)
            wnd.Zoom(false);
        wnd.RefreshTick();
        const QImage image = wnd.grab().toImage().convertToFormat(QImage::Format_RGB32);
        test::SaveSnapshot(image, QString("wave_live_span%1").arg(wnd.Span()));
        EXPECT_GT(CountColour(image, QColor(0, 255, 0)), 1000) << wnd.Span();
        EXPECT_GT(CountColour(image, QColor(255, 0, 0)), 1000) << wnd.Span();
    }
}

TEST(PlotSnapshot, ViewerTrendOfDriftingCurrents) {
    CCurseWnd wnd;
    wnd.EnableScrollBar();
    wnd.resize(1100, 360);
    wnd.SetPoints(test::DriftingCurrents(7200, 5));
    wnd.Zoom(false);
    wnd.Zoom(false);
    wnd.Scroll(ScrollRequest::ThumbTrack, 1500);
    wnd.PlaceCursor(700);
    const QImage image = wnd.grab().toImage().convertToFormat(QImage::Format_RGB32);
    test::SaveSnapshot(image, "trend_viewer_drift");
    EXPECT_EQ(wnd.First(), 1500);
    EXPECT_GT(CountColour(image, QColor(0, 255, 0)), 1000);
}

} // namespace
} // namespace zel
