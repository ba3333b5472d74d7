// Curve drawing of both plots at the live view's size: the plot's own path (rebuild with column
// reduction, clear, draw both channels) against the plain one (every vertex, drawPolyline).
// Whole paints at the widest span are measured at device pixel ratios 1 and 2.
#include "BenchApplication.h"
#include "plot/CurseWnd.h"
#include "plot/CurveRaster.h"
#include "plot/WaveWnd.h"
#include "tests/support/MainsSignal.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <random>

namespace {

using namespace zel;

constexpr int kW = 1900, kH = 400;

QApplication& App() {
    return bench::BenchApplication();
}

// The live waveform plot at `span`, filled with 1024 blocks, fixed scale "200".
struct WaveSetup {
    explicit WaveSetup(int span) {
        wnd.resize(kW, kH);
        wnd.ResetCursor();
        for (int b = 0; b < CWaveWnd::kMaxLiveBlocks; ++b) {
            blocks.push_back(test::MainsOf<WaveBlock>(test::BenchMains(), b));
            wnd.AddBlock(blocks.back());
        }
        while (wnd.Span() < span)
            wnd.Zoom(false);
        wnd.SelectScale(2);
        image = QImage(kW, kH, QImage::Format_RGB32);
    }
    QApplication& app = App(); // before any widget
    CWaveWnd wnd;
    std::vector<WaveBlock> blocks;
    QImage image;
};

void FullWaveVertices(const WaveSetup& s, int first, int span, std::vector<QPoint> (&out)[2]) {
    const int h2 = kH / 2;
    const float scale = 200.0f;
    out[0].clear();
    out[1].clear();
    for (int i = 0; i < span && first + i < static_cast<int>(s.blocks.size()); ++i)
        for (int p = 0; p < kSamplesPerChannel; ++p) {
            const int x = static_cast<int>((i * 400 + p) / (span * 400.0) * kW);
            for (int c = 0; c < 2; ++c) {
                const int v = c == 0 ? s.blocks[first + i].ch1[p] : s.blocks[first + i].ch2[p];
                const int d = static_cast<int>(std::abs(v) / scale * h2);
                out[c].emplace_back(x, v >= 0 ? h2 - d : h2 + d);
            }
        }
}

void BM_WaveCurves(benchmark::State& state) {
    WaveSetup s(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.wnd.RefreshTick(); // rebuild (fixed scale) and cursor readout
        s.image.fill(Qt::black);
        s.wnd.DrawCurves(s.image);
        benchmark::DoNotOptimize(s.image.constBits());
    }
    state.counters["vertices"] = static_cast<double>(s.wnd.Points(0).size());
}

void BM_WaveCurvesNaive(benchmark::State& state) {
    const int span = static_cast<int>(state.range(0));
    WaveSetup s(span);
    std::vector<QPoint> full[2];
    for (auto _ : state) {
        FullWaveVertices(s, s.wnd.First(), span, full);
        s.image.fill(Qt::black);
        DrawPolyline(s.image, full[0], qRgb(0, 255, 0));
        DrawPolyline(s.image, full[1], qRgb(255, 0, 0));
        benchmark::DoNotOptimize(s.image.constBits());
    }
    state.counters["vertices"] = static_cast<double>(full[0].size());
}

// A live refresh (rebuild, readout) and the paint it asks for, at `ratio`.
void WaveFullPaint(benchmark::State& state, qreal ratio) {
    WaveSetup s(static_cast<int>(state.range(0)));
    QImage image;
    for (auto _ : state) {
        s.wnd.RefreshTick();
        s.wnd.Render(image, ratio);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["vertices"] = static_cast<double>(s.wnd.Points(0).size());
}

void BM_WaveFullPaint(benchmark::State& state) {
    WaveFullPaint(state, 1);
}

void BM_WaveFullPaintRatio2(benchmark::State& state) {
    WaveFullPaint(state, 2);
}

// The viewer's trend plot zoomed out to 76,800 steps over 80,000 drifting points, scale "300".
struct TrendSetup {
    TrendSetup() {
        std::mt19937 random(5);
        std::normal_distribution<double> noise(0.0, 1.5);
        double a = 120, b = 95;
        for (int k = 0; k < 80000; ++k) {
            a = std::clamp(a + noise(random), 20.0, 260.0);
            b = std::clamp(b + noise(random), 10.0, 240.0);
            points.push_back({static_cast<int>(a), static_cast<int>(b)});
        }
        wnd.resize(kW, kH);
        wnd.SetPoints(points);
        while (wnd.Zoom(false) != 0) {
        }
        wnd.SelectScale(3);
        image = QImage(kW, kH, QImage::Format_RGB32);
    }
    QApplication& app = App();
    CCurseWnd wnd;
    std::vector<TrendPoint> points;
    QImage image;
};

void BM_TrendCurves(benchmark::State& state) {
    TrendSetup s;
    for (auto _ : state) {
        s.wnd.SelectScale(3); // rebuild at the fixed scale, readout
        s.image.fill(Qt::black);
        s.wnd.DrawCurves(s.image);
        benchmark::DoNotOptimize(s.image.constBits());
    }
    state.counters["span"] = s.wnd.Span();
}

// A scale selection (rebuild, readout) and a whole paint at the widest span, at `ratio`.
void TrendFullPaint(benchmark::State& state, qreal ratio) {
    TrendSetup s;
    QImage image;
    for (auto _ : state) {
        s.wnd.SelectScale(3);
        s.wnd.Render(image, ratio);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["span"] = s.wnd.Span();
    state.counters["vertices"] = static_cast<double>(s.wnd.Points(0).size());
}

void BM_TrendFullPaint(benchmark::State& state) {
    TrendFullPaint(state, 1);
}

void BM_TrendFullPaintRatio2(benchmark::State& state) {
    TrendFullPaint(state, 2);
}

void BM_TrendCurvesNaive(benchmark::State& state) {
    TrendSetup s;
    const int span = s.wnd.Span(), b = kH - 5;
    std::vector<QPoint> full[2];
    for (auto _ : state) {
        full[0].clear();
        full[1].clear();
        for (int k = 0; k <= span && k < static_cast<int>(s.points.size()); ++k) {
            const int x = static_cast<int>(static_cast<double>(k) / span * kW);
            full[0].emplace_back(x, b - static_cast<int>(s.points[k].ch1 / 300.0f * b));
            full[1].emplace_back(x, b - static_cast<int>(s.points[k].ch2 / 300.0f * b));
        }
        s.image.fill(Qt::black);
        DrawPolyline(s.image, full[0], qRgb(0, 255, 0));
        DrawPolyline(s.image, full[1], qRgb(255, 0, 0));
        benchmark::DoNotOptimize(s.image.constBits());
    }
    state.counters["vertices"] = static_cast<double>(full[0].size());
}

} // namespace

BENCHMARK(BM_WaveCurves)->Arg(8)->Arg(128)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaveCurvesNaive)->Arg(8)->Arg(128)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaveFullPaint)->Arg(8)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaveFullPaintRatio2)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrendCurves)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrendCurvesNaive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrendFullPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrendFullPaintRatio2)->Unit(benchmark::kMillisecond);
