// The window thread's work per refresh of the live view at 1900 x 1000 with both plots zoomed
// all the way out and full: 1024 waveform blocks and 65,536 trend points in view. A refresh is
// both plots' refresh tick (rebuild of the curves, cursor readouts into the six readouts) and
// the paint of the whole window with its children.
#include "BenchApplication.h"
#include "device/DeviceLink.h"
#include "live/CRealDlg.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "sim/Simulator.h"
#include "tests/support/MainsSignal.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

using namespace zel;

QApplication& App() {
    return bench::BenchApplication();
}

class LargeRealDlg : public CRealDlg {
public:
    using CRealDlg::CRealDlg;

protected:
    QRect WorkArea() const override { return QRect(0, 0, 1900, 1000); }
};

// The live view on a connected instrument that sends nothing: the data is put into the plots
// directly, as the worker would.
struct LiveViewSetup {
    LiveViewSetup() {
        sim::SimConfig config;
        config.streamFrames = 0;
        simulator = std::make_unique<sim::Simulator>(config);
        simulator->Start();
        link.SetEndpoint("127.0.0.1", simulator->Port());
        DeviceStatus status;
        status.serial = 12;
        status.version = 1203;
        window = std::make_unique<LargeRealDlg>(status, link, nullptr,
                                                QDir(records.path()).absolutePath().toStdString());
        window->show();
        CWaveWnd& wave = *window->WavePlot();
        CCurseWnd& trend = *window->TrendPlot();
        for (int b = 0; b < CWaveWnd::kMaxLiveBlocks; ++b)
            wave.AddBlock(test::MainsOf<WaveBlock>(test::BenchMains(1500, 1300, -2.1), b));
        for (int k = 0; k < 65536; ++k)
            trend.AddPoint(static_cast<int>(150 + 25 * std::sin(k / 80.0)),
                           static_cast<int>(118 + 18 * std::sin(k / 110.0 + 1.0)));
        while (wave.Zoom(false) != 0) {
        }
        while (trend.Zoom(false) != 0) {
        }
        image = QImage(window->size(), QImage::Format_ARGB32_Premultiplied);
    }
    ~LiveViewSetup() {
        window.reset();
        simulator->Stop();
    }

    QApplication& app = App(); // before any widget
    QTemporaryDir records;
    std::unique_ptr<sim::Simulator> simulator;
    DeviceLink link;
    std::unique_ptr<LargeRealDlg> window;
    QImage image;
};

void BM_LiveViewRefresh(benchmark::State& state) {
    LiveViewSetup s;
    for (auto _ : state) {
        s.window->WavePlot()->RefreshTick();
        s.window->TrendPlot()->RefreshTick();
        s.window->render(&s.image);
        benchmark::DoNotOptimize(s.image.constBits());
    }
    state.counters["blocks"] = s.window->WavePlot()->Span();
    state.counters["points"] = s.window->TrendPlot()->Span();
}

// The paint alone, from curves already built.
void BM_LiveViewPaint(benchmark::State& state) {
    LiveViewSetup s;
    for (auto _ : state) {
        s.window->render(&s.image);
        benchmark::DoNotOptimize(s.image.constBits());
    }
}

} // namespace

BENCHMARK(BM_LiveViewRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveViewPaint)->Unit(benchmark::kMillisecond);
