#include "plot/CurveReducer.h"
#include "PlotTestSupport.h"
#include "plot/CurseWnd.h"
#include "plot/CurveRaster.h"
#include "plot/WaveWnd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

namespace zel {
namespace {

// The plot's size in device pixels; at ratio 2 the plot is half as large in client pixels.
constexpr int kW = 1900, kH = 400;

// The waveform vertices written out plainly, independent of the plot's own loop: client pixels
// scaled to device pixels, the zero row where the zero line is drawn.
std::vector<QPoint> FullWaveCurve(const std::vector<WaveBlock>& blocks, int first, int span, int W,
                                  int H, float scale, int ratio) {
    std::vector<QPoint> out;
    const int h2 = H / 2;
    for (int i = 0; i < span && first + i < static_cast<int>(blocks.size()); ++i)
        for (int p = 0; p < 400; ++p) {
            const int x = static_cast<int>((i * 400 + p) / (span * 400.0) * W * ratio);
            const int v = blocks[first + i].ch1[p];
            const int d = static_cast<int>(std::abs(v) / scale * static_cast<float>(h2 * ratio));
            out.emplace_back(x, v >= 0 ? h2 * ratio - d : h2 * ratio + d);
        }
    return out;
}

struct Difference {
    double share = 0;        // percent of the image's pixels
    bool allAdjacent = true; // every differing pixel touches a pixel of the reference curve
};

// Draws the full polyline the plain way and the plot's own vertices with `draw`, on images of
// the plot's size, and compares them pixel by pixel.
template <typename Draw> Difference Compare(const std::vector<QPoint>& full, Draw draw) {
    QImage reference(kW, kH, QImage::Format_RGB32), other(kW, kH, QImage::Format_RGB32);
    reference.fill(Qt::black);
    other.fill(Qt::black);
    DrawPolyline(reference, full, qRgb(0, 255, 0));
    draw(other);
    const auto lit = [&reference](int x, int y) {
        return reference.rect().contains(x, y) && reference.pixel(x, y) != qRgb(0, 0, 0);
    };
    Difference result;
    long long differing = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            if (reference.pixel(x, y) == other.pixel(x, y))
                continue;
            ++differing;
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    near = near || ((dx || dy) && lit(x + dx, y + dy));
            result.allAdjacent = result.allAdjacent && near;
        }
    result.share = 100.0 * differing / (kW * kH);
    return result;
}

// The reduced list through the general polyline, as the brute-force reference draws it.
Difference ReducedAsPolyline(const std::vector<QPoint>& full, const std::vector<QPoint>& drawn) {
    return Compare(full, [&drawn](QImage& image) { DrawPolyline(image, drawn, qRgb(0, 255, 0)); });
}

// The reduced list as the plot paints it, column runs written straight into the image.
Difference ReducedAsPainted(const std::vector<QPoint>& full, const std::vector<QPoint>& drawn,
                            bool reduced) {
    return Compare(full, [&](QImage& image) { DrawCurve(image, drawn, reduced, qRgb(0, 255, 0)); });
}

std::vector<WaveBlock> Signal(const char* kind, int count) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-3000, 3000);
    std::vector<WaveBlock> blocks;
    for (int b = 0; b < count; ++b) {
        WaveBlock block = test::MainsBlock(b, 1800, 900);
        for (int p = 0; p < 400; ++p) {
            if (std::string_view(kind) == "noise")
                block.ch1[p] = static_cast<std::int16_t>(noise(random));
            else if (std::string_view(kind) == "slow") // one cycle every 40 blocks
                block.ch1[p] =
                    static_cast<std::int16_t>(std::lround(1500 * std::sin((b * 400 + p) / 2546.5)));
            else if (std::string_view(kind) == "spikes")
                block.ch1[p] = static_cast<std::int16_t>(p % 97 == 0 ? 2900 : 20);
        }
        blocks.push_back(block);
    }
    return blocks;
}

// The plot at `ratio` with its vertex lists built for it, kW x kH device pixels in all.
template <typename Plot> void ShowAtRatio(Plot& wnd, int ratio) {
    wnd.resize(kW / ratio, kH / ratio);
    wnd.ResetCursor();
    QImage image;
    wnd.Render(image, ratio);
    ASSERT_EQ(image.size(), QSize(kW, kH));
}

void ExpectReducedWaveformCoversTheFullPolyline(int ratio) {
    for (const char* kind : {"mains", "noise", "slow", "spikes"}) {
        const std::vector<WaveBlock> blocks = Signal(kind, 1100);
        CWaveWnd wnd;
        ShowAtRatio(wnd, ratio);
        wnd.SetBlocks(blocks);
        for (int span = 8; span <= 1024; span *= 2) {
            const std::vector<QPoint> full = FullWaveCurve(blocks, wnd.First(), span, kW / ratio,
                                                           kH / ratio, wnd.Scale(), ratio);
            const std::vector<QPoint> drawn = wnd.Points(0);
            const bool reduced = drawn.size() != full.size();
            EXPECT_EQ(reduced, full.size() > 2u * kW) << kind << " span " << span;
            if (!reduced)
                EXPECT_EQ(drawn, full) << kind << " span " << span;
            else
                EXPECT_LE(drawn.size(), 4u * kW);
            EXPECT_LE(ReducedAsPolyline(full, drawn).share, 0.01) << kind << " span " << span;
            const Difference painted = ReducedAsPainted(full, drawn, reduced);
            EXPECT_LE(painted.share, 0.01) << kind << " span " << span;
            EXPECT_TRUE(painted.allAdjacent) << kind << " span " << span;
            wnd.Zoom(false);
        }
        EXPECT_EQ(wnd.PointRatio(), ratio);
    }
}

TEST(CurveReducer, ReducedWaveformCoversTheSamePixelsAsTheFullPolyline) {
    ExpectReducedWaveformCoversTheFullPolyline(1);
}

// At ratio 2 the columns are device columns: the lists keep up to four vertices per device
// column, and the fast path still draws what the full polyline draws.
TEST(CurveReducer, ReducedWaveformAtRatio2CoversTheSamePixelsAsTheFullPolyline) {
    ExpectReducedWaveformCoversTheFullPolyline(2);
}

void ExpectReducedTrendCoversTheFullPolyline(int ratio) {
    const std::vector<TrendPoint> points = test::DriftingCurrents(90000, 3);
    CCurseWnd wnd;
    ShowAtRatio(wnd, ratio);
    wnd.SetPoints(points);
    wnd.SelectScale(5);
    for (int span = 300; span <= 76800; span *= 2) {
        std::vector<QPoint> full;
        const int b = kH / ratio - 5;
        for (int k = 0; k <= span; ++k)
            full.emplace_back(
                static_cast<int>(static_cast<double>(k) / span * (kW / ratio) * ratio),
                b * ratio -
                    static_cast<int>(points[k].ch1 / 500.0f * static_cast<float>(b * ratio)));
        const std::vector<QPoint> drawn = wnd.Points(0);
        const bool reduced = drawn.size() != full.size();
        EXPECT_EQ(reduced, full.size() > 2u * kW) << span;
        EXPECT_LE(ReducedAsPolyline(full, drawn).share, 0.01) << span;
        // The general polyline skips the odd corner pixel of a one-pixel wiggle that the
        // column runs keep; such differences stay next to the curve and rare.
        const Difference painted = ReducedAsPainted(full, drawn, reduced);
        EXPECT_LE(painted.share, 0.05) << span;
        EXPECT_TRUE(painted.allAdjacent) << span;
        wnd.Zoom(false);
    }
    EXPECT_EQ(wnd.PointRatio(), ratio);
}

TEST(CurveReducer, ReducedTrendCoversTheSamePixelsAsTheFullPolyline) {
    ExpectReducedTrendCoversTheFullPolyline(1);
}

TEST(CurveReducer, ReducedTrendAtRatio2CoversTheSamePixelsAsTheFullPolyline) {
    ExpectReducedTrendCoversTheFullPolyline(2);
}

TEST(CurveReducer, KeepsFirstLowestHighestLastInTimeOrder) {
    std::vector<QPoint> out;
    {
        CurveReducer reducer(out, true);
        for (int y : {5, 9, 1, 7}) // high before low
            reducer.Add(0, y);
        for (int y : {3, 0, 8, 8, 2}) // low before high
            reducer.Add(1, y);
        reducer.Add(2, 4); // a column with one vertex
        reducer.Add(3, 6);
        reducer.Add(3, 6);
    }
    const std::vector<QPoint> expected = {{0, 5}, {0, 9}, {0, 1}, {0, 7}, {1, 3},
                                          {1, 0}, {1, 8}, {1, 2}, {2, 4}, {3, 6}};
    EXPECT_EQ(out, expected);
}

} // namespace
} // namespace zel
