#include "PlotTestSupport.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zel {
namespace {

// A worker appends as the live view's acquisition thread does while the window thread keeps
// refreshing, zooming, placing the cursor and painting; the sanitizer builds watch the lock.
TEST(PlotConcurrency, WorkerAppendsWhileTheWindowThreadDrawsAndZooms) {
    CWaveWnd wave;
    CCurseWnd trend;
    for (CPlotWnd* plot : {static_cast<CPlotWnd*>(&wave), static_cast<CPlotWnd*>(&trend)}) {
        plot->resize(640, 300);
        plot->ResetCursor();
    }
    int readouts = 0;
    wave.SetCursorNotify([&](int) { ++readouts; });
    trend.SetCursorNotify([&](int) { ++readouts; });

    constexpr int kBlocks = 1500;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int b = 0; b < kBlocks; ++b) {
            const WaveBlock block = test::MainsBlock(b, 1000 + b, 600);
            wave.AddBlock(block);
            trend.AddPoint(block.ch1[0], block.ch2[0]);
        }
        done = true;
    });

    QImage image;
    int rounds = 0;
    while (!done.load() || rounds < 5) {
        wave.RefreshTick();
        trend.RefreshTick();
        const bool in = rounds % 4 < 2;
        wave.Zoom(in);
        trend.Zoom(in);
        wave.PlaceCursor(rounds % 640);
        trend.PlaceCursor(rounds % 640);
        wave.Render(image);
        trend.Render(image);
        QCoreApplication::processEvents(); // runs the repaints the worker queued
        ++rounds;
    }
    worker.join();
    QCoreApplication::processEvents();

    EXPECT_EQ(wave.BlockCount(), CWaveWnd::kMaxLiveBlocks);
    EXPECT_EQ(wave.Dropped(), static_cast<std::uint32_t>(kBlocks - CWaveWnd::kMaxLiveBlocks));
    EXPECT_EQ(trend.PointCount(), kBlocks);
    EXPECT_EQ(readouts, 6 * rounds); // two refreshes, two zooms, two cursor placements
    wave.RefreshTick();
    EXPECT_FALSE(wave.Points(0).empty());
}

} // namespace
} // namespace zel
