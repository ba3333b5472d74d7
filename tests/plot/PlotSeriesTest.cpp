// The plots read a record's blocks in place; whatever they show must be exactly what they show
// for the same data handed over as plain WaveBlocks and TrendPoints.
#include "PlotTestSupport.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"

#include <gtest/gtest.h>

#include <memory>

namespace zel {
namespace {

std::shared_ptr<const std::vector<SampleBlock>>
AsRecordBlocks(const std::vector<WaveBlock>& waves) {
    auto blocks = std::make_shared<std::vector<SampleBlock>>(waves.size());
    for (std::size_t i = 0; i < waves.size(); ++i) {
        (*blocks)[i].headWord = 0xA5A5A5A5; // the header fields must never be read as samples
        (*blocks)[i].ch1Current = 0x7FFF7FFF;
        (*blocks)[i].ch2Current = 0x80008000;
        std::copy_n(waves[i].ch1, kSamplesPerChannel, (*blocks)[i].ch1);
        std::copy_n(waves[i].ch2, kSamplesPerChannel, (*blocks)[i].ch2);
    }
    return blocks;
}

std::shared_ptr<const std::vector<TrendBlock>>
AsTrendBlocks(const std::vector<TrendPoint>& points) {
    auto blocks = std::make_shared<std::vector<TrendBlock>>(points.size() / kTrendPointsPerBlock);
    for (std::size_t i = 0; i < blocks->size() * kTrendPointsPerBlock; ++i) {
        (*blocks)[i / kTrendPointsPerBlock].ch1[i % kTrendPointsPerBlock] =
            static_cast<std::int16_t>(points[i].ch1);
        (*blocks)[i / kTrendPointsPerBlock].ch2[i % kTrendPointsPerBlock] =
            static_cast<std::int16_t>(points[i].ch2);
    }
    return blocks;
}

// Everything a plot shows and reports, after each step of a walk through its views.
template <typename Plot> struct Shown {
    explicit Shown(Plot& plot) : plot(plot) {
        plot.resize(900, 300);
        plot.ResetCursor();
        plot.SetCursorNotify([this](int code) { codes.push_back(code); });
    }
    void Record() {
        QImage image;
        plot.Render(image);
        images.push_back(image);
        points.push_back(plot.Points(0));
        points.push_back(plot.Points(1));
        values.push_back({plot.First(), plot.Span(), plot.CursorCh1(), plot.CursorCh2()});
    }
    void Walk() {
        Record();
        for (bool in : {false, false, false, true})
            plot.Zoom(in), Record();
        plot.Scroll(ScrollRequest::PageRight), Record();
        plot.Scroll(ScrollRequest::ToEnd), Record();
        plot.PlaceCursor(123), Record();
        plot.SelectScale(2), Record();
        plot.PlayTick(), Record();
    }
    Plot& plot;
    std::vector<int> codes;
    std::vector<QImage> images;
    std::vector<std::vector<QPoint>> points;
    std::vector<std::vector<int>> values;
};

TEST(PlotSeries, WaveformPlotShowsARecordsBlocksAsItsOwnCopy) {
    std::vector<WaveBlock> waves;
    for (int b = 0; b < 300; ++b)
        waves.push_back(test::MainsBlock(b, 40 + b, 200 - b / 2));
    CWaveWnd copy, shared;
    Shown<CWaveWnd> a(copy), b(shared);
    copy.SetBlocks(waves);
    shared.SetSeries(WaveSeries(AsRecordBlocks(waves)));
    a.Walk();
    b.Walk();
    EXPECT_EQ(a.codes, b.codes);
    EXPECT_EQ(a.values, b.values);
    EXPECT_EQ(a.points, b.points);
    ASSERT_EQ(a.images.size(), b.images.size());
    for (std::size_t i = 0; i < a.images.size(); ++i)
        EXPECT_EQ(a.images[i], b.images[i]) << "step " << i;
    EXPECT_GT(a.points[0].size(), 100u);
}

TEST(PlotSeries, TrendPlotShowsATrendRecordsBlocksAsItsOwnCopy) {
    std::vector<TrendPoint> points = test::DriftingCurrents(62 * 40, 9);
    points[1000] = {-300, 32767}; // extremes survive the 16-bit values
    points[1001] = {-32768, 0};
    CCurseWnd copy, shared;
    Shown<CCurseWnd> a(copy), b(shared);
    copy.SetPoints(points);
    shared.SetSeries(TrendSeries(AsTrendBlocks(points)));
    EXPECT_EQ(shared.PointCount(), 62 * 40);
    a.Walk();
    b.Walk();
    EXPECT_EQ(a.codes, b.codes);
    EXPECT_EQ(a.values, b.values);
    EXPECT_EQ(a.points, b.points);
    for (std::size_t i = 0; i < a.images.size(); ++i)
        EXPECT_EQ(a.images[i], b.images[i]) << "step " << i;
}

TEST(PlotSeries, AppendingAfterASharedLoadKeepsTheLoadedDataAndLeavesTheRecordAlone) {
    std::vector<WaveBlock> waves = {test::RampBlock(0), test::RampBlock(400)};
    const auto record = AsRecordBlocks(waves);
    CWaveWnd wave;
    wave.resize(700, 400);
    wave.SetSeries(WaveSeries(record));
    wave.AddBlock(test::RampBlock(800));
    EXPECT_EQ(wave.BlockCount(), 3);
    EXPECT_EQ(record->size(), 2u);
    wave.PlaceCursor(88); // block 1, sample 2
    EXPECT_EQ(wave.CursorCh1(), 402);
    wave.PlaceCursor(175); // block 2, sample 0: the one appended
    EXPECT_EQ(wave.CursorCh1(), 800);

    const auto trendRecord = AsTrendBlocks(test::DriftingCurrents(62, 1));
    CCurseWnd trend;
    trend.resize(700, 400);
    trend.SetSeries(TrendSeries(trendRecord));
    trend.AddPoint(5, 6);
    EXPECT_EQ(trend.PointCount(), 63);
    EXPECT_EQ(trendRecord.use_count(), 1); // the copy replaced the shared view
}

} // namespace
} // namespace zel
