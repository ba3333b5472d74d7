// The plots in windows on a display scaled by QT_SCALE_FACTOR (ctest runs this program at 2):
// what the window shows and what a screenshot saves are device pixels, and lines stay one device
// pixel wide.
#include "PlotTestSupport.h"
#include "ViewerTestSupport.h"
#include "plot/BitmapFile.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "tests/support/TempDir.h"
#include "widgets/FileDialog.h"

#include <QFile>
#include <QImageReader>
#include <QPushButton>

#include <gtest/gtest.h>

namespace zel {
namespace {

using test::kGrid;
using test::kYellow;

class PlotScale : public ::testing::Test {
protected:
    void SetUp() override {
        ratio = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
        if (ratio != 2)
            GTEST_SKIP() << "written for a display scaled by 2";
    }
    static QImage ClientImage(QWidget& plot) {
        return plot.grab(plot.contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    }
    static QImage ReadBmp(const QString& path) {
        QImageReader reader(path, "bmp");
        return reader.read().convertToFormat(QImage::Format_RGB32);
    }
    double ratio = 1;
};

TEST_F(PlotScale, ScreenshotOfA300By200PlotHas600By400SharpPixels) {
    const test::TempDir temp;
    const QString path = QString::fromStdString(temp.path()) + "/trend.bmp";
    CCurseWnd plot;
    plot.resize(300, 200);
    plot.ResetCursor();
    plot.SetPoints(test::DriftingCurrents(400, 11));
    ASSERT_EQ(plot.devicePixelRatioF(), 2);
    ASSERT_TRUE(SaveWindowBitmap(path, &plot));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), 54 + 600 * 3 * 400);
    const QImage saved = ReadBmp(path);
    ASSERT_EQ(saved.size(), QSize(600, 400));
    test::SaveSnapshot(saved, "trend_300x200_screenshot_ratio2");
    EXPECT_EQ(saved, ClientImage(plot));
    QImage rendered;
    plot.Render(rendered);
    EXPECT_EQ(saved, rendered.convertToFormat(QImage::Format_RGB32));

    // Grid step 8: the vertical lines fall on device columns 16 i, each alone; device row 3 lies
    // above every label and between two horizontal lines.
    for (int i = 3; i < 35; ++i) {
        EXPECT_TRUE(test::IsColour(saved, 16 * i, 3, kGrid)) << i;
        EXPECT_FALSE(test::IsColour(saved, 16 * i + 1, 3, kGrid)) << i;
    }
    EXPECT_TRUE(test::IsColour(saved, 300, 3, kYellow));
    EXPECT_FALSE(test::IsColour(saved, 301, 3, kYellow));
}

TEST_F(PlotScale, ViewerScreenshotsAreTheDevicePixelsOfEitherPlot) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    test::ViewerUnderTest t;
    std::vector<WaveBlock> blocks;
    for (int b = 0; b < 300; ++b)
        blocks.push_back(test::MainsBlock(b, 150, 90));
    ASSERT_TRUE(t.viewer->OpenRecord(
        test::WriteWaveformRecord(dir, blocks, test::DriftingCurrents(300, 3))));
    test::SaveSnapshot(t.viewer->grab().toImage(), "viewer_waveform_ratio2");

    for (CPlotWnd* plot : {static_cast<CPlotWnd*>(t.viewer->WavePlot()),
                           static_cast<CPlotWnd*>(t.viewer->TrendPlot())}) {
        const QString path = dir + "/plot.bmp";
        ASSERT_TRUE(SaveWindowBitmap(path, plot));
        const QImage saved = ReadBmp(path);
        EXPECT_EQ(saved.size(), plot->contentsRect().size() * 2);
        EXPECT_EQ(saved, ClientImage(*plot));
    }

    // A trend record: the cut button saves the trend plot at once.
    const QString trendPath = dir + "/trend.bmp";
    ScopedFileDialogHandler answer([&](const FileDialog::Request&) { return trendPath; });
    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteTrendRecord(dir, test::DriftingCurrents(620, 4))));
    t.viewer->Button(CViewDlg::kCut)->click();
    test::SaveSnapshot(t.viewer->grab().toImage(), "viewer_trend_ratio2");
    const QImage saved = ReadBmp(trendPath);
    EXPECT_EQ(saved.size(), t.viewer->TrendPlot()->contentsRect().size() * 2);
    EXPECT_EQ(saved, ClientImage(*t.viewer->TrendPlot()));
    EXPECT_TRUE(t.errors.empty());
}

// Realistic data at the live view's size, for a look at the pictures (ZEL_SNAPSHOT_DIR).
TEST_F(PlotScale, LiveWaveformsAndViewerTrendSnapshots) {
    CWaveWnd wave;
    wave.resize(1100, 400);
    wave.ResetCursor();
    for (int b = 0; b < 1030; ++b)
        wave.AddBlock(test::MainsBlock(b, 160, 95));
    wave.Zoom(false);
    wave.RefreshTick();
    const QImage waves = ClientImage(wave);
    test::SaveSnapshot(waves, "wave_live_span16_ratio2");
    ASSERT_EQ(waves.size(), QSize(2200, 800));
    EXPECT_EQ(wave.PointRatio(), 2);

    CCurseWnd trend;
    trend.EnableScrollBar();
    trend.resize(1100, 360);
    trend.SetPoints(test::DriftingCurrents(7200, 5));
    trend.Zoom(false);
    trend.Scroll(ScrollRequest::ThumbTrack, 1500);
    trend.PlaceCursor(700);
    const QImage trends = ClientImage(trend);
    test::SaveSnapshot(trends, "trend_viewer_drift_ratio2");
    EXPECT_EQ(trends.size(), trend.contentsRect().size() * 2);
    // The cursor is one device column wide.
    EXPECT_EQ(test::CountInColumn(trends, 1400, 0, trends.height(), kYellow), trends.height());
    EXPECT_EQ(test::CountInColumn(trends, 1401, 0, trends.height(), kYellow), 0);
}

} // namespace
} // namespace zel
