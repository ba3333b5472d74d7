#include "PlotTestSupport.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zel {
namespace {

// Workers append as the live view's acquisition thread does while the window thread keeps
// refreshing, zooming, placing the cursor and painting; the sanitizer builds watch the lock.
TEST(PlotConcurrency, WorkersAppendWhileTheWindowThreadDrawsAndZooms) {
    CWaveWnd wave;
    CCurseWnd trend;
    QImage image;
    for (CPlotWnd* plot : {static_cast<CPlotWnd*>(&wave), static_cast<CPlotWnd*>(&trend)}) {
        plot->resize(640, 300);
        plot->ResetCursor();
        plot->Render(image); // fonts and glyph caches are loaded before the race starts
    }
    int readouts = 0;
    wave.SetCursorNotify([&](int) { ++readouts; });
    trend.SetCursorNotify([&](int) { ++readouts; });

    // Separate workers, so that the trend's queued repaints (which pass through Qt's event
    // queue) do not order the waveform appends for the race detector. They append until the
    // window thread has done its rounds.
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0}, points{0};
    std::thread waveWorker([&] {
        for (int b = 0; !stop.load(); ++b) {
            wave.AddBlock(test::MainsBlock(b, 1000 + b % 500, 600));
            ++blocks;
        }
    });
    std::thread trendWorker([&] {
        for (int k = 0; !stop.load(); ++k) {
            trend.AddPoint(100 + k % 50, 80 - k % 30);
            ++points;
        }
    });
    while (blocks.load() == 0 || points.load() == 0)
        std::this_thread::yield();

    constexpr int kRounds = 40;
    for (int round = 0; round < kRounds; ++round) {
        wave.RefreshTick();
        trend.RefreshTick();
        const bool in = round % 4 < 2;
        wave.Zoom(in);
        trend.Zoom(in);
        wave.PlaceCursor(round * 16);
        trend.PlaceCursor(round * 16);
        wave.Render(image);
        trend.Render(image);
        QCoreApplication::processEvents(); // runs the repaints the trend worker queued
    }
    stop = true;
    waveWorker.join();
    trendWorker.join();
    QCoreApplication::processEvents();

    const int kept = std::min(blocks.load(), CWaveWnd::kMaxLiveBlocks);
    EXPECT_EQ(wave.BlockCount(), kept);
    EXPECT_EQ(wave.Dropped(), static_cast<std::uint32_t>(blocks.load() - kept));
    EXPECT_EQ(trend.PointCount(), points.load());
    EXPECT_EQ(readouts, 6 * kRounds); // two refreshes, two zooms, two cursor placements per round
}

class PaintCountingTrend : public CCurseWnd {
public:
    int paints = 0;
    std::thread::id paintThread;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        paintThread = std::this_thread::get_id();
        CCurseWnd::paintEvent(event);
    }
};

// Processes events until `done` holds or five seconds pass; returns whether it held.
template <typename Done> bool ProcessEventsUntil(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(PlotConcurrency, PointFromAWorkerIsRepaintedOnTheWindowThread) {
    PaintCountingTrend plot;
    plot.resize(400, 200);
    plot.ResetCursor();
    plot.show();
    ASSERT_TRUE(ProcessEventsUntil([&] { return plot.paints > 0; }));
    const int before = plot.paints;
    std::thread worker([&] { plot.AddPoint(120, 80); });
    worker.join();
    EXPECT_EQ(plot.paints, before); // the worker only queued the request
    ASSERT_TRUE(ProcessEventsUntil([&] { return plot.paints > before; }));
    EXPECT_EQ(plot.paintThread, std::this_thread::get_id());
    EXPECT_EQ(plot.PointCount(), 1);
}

} // namespace
} // namespace zel
