#include "PlotTestSupport.h"
#include "ViewerTestSupport.h"
#include "common/LocalTime.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/RecordFile.h"
#include "records/RecordStatistics.h"
#include "tests/support/TempDir.h"
#include "viewer/ViewerStatistics.h"
#include "widgets/CTimeWnd.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace zel {
namespace {

using test::ViewerUnderTest;

std::vector<WaveBlock> Ramps(int count) {
    std::vector<WaveBlock> blocks;
    for (int b = 0; b < count; ++b)
        blocks.push_back(test::RampBlock(b * 10));
    return blocks;
}

std::vector<TrendPoint> Same(int count, int ch1, int ch2) {
    return std::vector<TrendPoint>(static_cast<std::size_t>(count), TrendPoint{ch1, ch2});
}

TEST(ViewDlg, LayoutAt1280x727FollowsTheRecordKind) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    ASSERT_EQ(t.viewer->rect(), QRect(0, 0, 1280, 727));
    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteWaveformRecord(dir, Ramps(3), {{5, 6}})));

    // Each plot's window, its border and sunken edge included; the plot's client area lies
    // 3 pixels inside.
    EXPECT_EQ(CViewDlg::Frame(t.viewer->WavePlot())->geometry(), QRect(0, 25, 1280, 300));
    EXPECT_EQ(CViewDlg::Frame(t.viewer->TrendPlot())->geometry(), QRect(0, 327, 1280, 300));
    EXPECT_EQ(t.viewer->WavePlot()->geometry(), QRect(3, 3, 1274, 294));
    EXPECT_EQ(t.viewer->WavePlot()->ClientRect().width(), 1274);
    EXPECT_TRUE(t.viewer->WavePlot()->isVisible());
    EXPECT_EQ(CViewDlg::Frame(t.viewer->InfoBar())->geometry(), QRect(1080, 628, 199, 97));
    const struct {
        int id;
        QRect box;
    } controls[] = {
        {1007, {8, 641, 100, 35}},   {1010, {8, 681, 100, 35}},   {1023, {110, 641, 70, 35}},
        {1024, {110, 681, 70, 35}},  {1008, {182, 641, 70, 35}},  {1009, {182, 681, 70, 35}},
        {1011, {254, 641, 100, 35}}, {1012, {254, 681, 100, 35}}, {1015, {2, 629, 358, 95}},
        {1016, {359, 629, 721, 95}},
    };
    for (const auto& c : controls)
        EXPECT_EQ(t.Control(c.id)->geometry(), c.box) << c.id;
    // G = 116: six columns 118 pixels apart from L + 365.
    const int labels[6] = {1017, 1018, 1022, 1021, 1020, 1019};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(t.Control(labels[k])->geometry(), QRect(365 + 118 * k, 647, 116, 20)) << k;
        EXPECT_EQ(t.Control(1001 + k)->geometry(), QRect(365 + 118 * k, 667, 116, 40)) << k;
    }
    EXPECT_TRUE(t.Enabled(1023) && t.Enabled(1024));
    test::SaveSnapshot(t.viewer->grab().toImage(), "viewer_layout_waveform_1280x727");

    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteTrendRecord(dir, Same(62, 1, 2))));
    EXPECT_EQ(CViewDlg::Frame(t.viewer->TrendPlot())->geometry(), QRect(0, 25, 1280, 600));
    EXPECT_FALSE(t.viewer->WavePlot()->isVisible());
    EXPECT_FALSE(t.Enabled(1023) || t.Enabled(1024));
    EXPECT_EQ(t.Control(1016)->geometry(), QRect(359, 629, 721, 95));
    EXPECT_TRUE(t.errors.empty());
}

TEST(ViewDlg, OpeningShowsEveryWholeBlockAndTheHeader) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    EXPECT_FALSE(t.Enabled(1011)); // nothing to play yet
    const QString wave = test::WriteWaveformRecord(dir, Ramps(3), {{70, 30}, {71, 31}, {72, 32}});
    ASSERT_TRUE(t.viewer->OpenRecord(wave));
    EXPECT_TRUE(t.viewer->HasWave());
    EXPECT_EQ(t.viewer->WavePlot()->BlockCount(), 3);
    EXPECT_EQ(t.viewer->TrendPlot()->PointCount(), 3);
    CTimeWnd& bar = *t.viewer->InfoBar();
    EXPECT_EQ(bar.Line(0), QStringLiteral("设备编号:191012"));
    EXPECT_EQ(bar.Line(1), QStringLiteral("版本号:V1.203"));
    const std::int64_t start =
        ReadRecordFile(QFile::encodeName(wave).toStdString())->header.startTime;
    EXPECT_EQ(bar.Line(2), QStringLiteral("开始时间:") +
                               QString::fromStdString(FormatLocalTime(start, "%Y-%m-%d %H:%M:%S")));
    EXPECT_EQ(bar.Line(4), QStringLiteral("总数据数:3"));
    EXPECT_TRUE(t.Enabled(1011));

    // Device number and version are signed 16-bit values in the header.
    const QString trend = test::WriteTrendRecord(dir, Same(186, 157, 43), 0xFFFF, 1001,
                                                 test::Local(2014, 3, 5, 8, 9, 10));
    ASSERT_TRUE(t.viewer->OpenRecord(trend));
    EXPECT_FALSE(t.viewer->HasWave());
    EXPECT_EQ(t.viewer->TrendPlot()->PointCount(), 186);
    EXPECT_EQ(bar.Line(0), QStringLiteral("设备编号:190999"));
    EXPECT_EQ(bar.Line(1), QStringLiteral("版本号:V1.001"));
    EXPECT_EQ(bar.Line(2), QStringLiteral("开始时间:2014-03-05 08:09:10"));
    EXPECT_EQ(bar.Line(4), QStringLiteral("总数据数:186"));
    // The hidden waveform plot let go of the previous record; its readouts are blank.
    EXPECT_EQ(t.viewer->WavePlot()->BlockCount(), 0);
    EXPECT_EQ(t.Text(1001), QString());

    // A record without a whole block: empty plots, blank readouts, count 0, playable.
    const std::string empty = CreateWaveformRecord("R", 1, 1, QFile::encodeName(dir).toStdString());
    ASSERT_TRUE(t.viewer->OpenRecord(QFile::decodeName(empty.c_str())));
    EXPECT_EQ(t.viewer->WavePlot()->BlockCount(), 0);
    EXPECT_EQ(t.viewer->TrendPlot()->PointCount(), 0);
    EXPECT_EQ(bar.Line(4), QStringLiteral("总数据数:0"));
    for (int id = 1001; id <= 1006; ++id)
        EXPECT_EQ(t.Text(id), QString()) << id;
    EXPECT_TRUE(t.Enabled(1011));
    EXPECT_TRUE(t.errors.empty());
}

// What both plots show at the widest spans, at places across the record, back and forth.
std::vector<std::vector<QPoint>> Pages(CViewDlg& viewer) {
    std::vector<std::vector<QPoint>> shown;
    for (CPlotWnd* plot :
         {static_cast<CPlotWnd*>(viewer.WavePlot()), static_cast<CPlotWnd*>(viewer.TrendPlot())}) {
        while (plot->Zoom(false) != 0) {
        }
        for (int pos : {100, 3000, 4500, 5990, 200, 4000}) {
            plot->Scroll(ScrollRequest::ThumbPosition, pos);
            shown.push_back(plot->Points(0));
            shown.push_back(plot->Points(1));
            shown.push_back({QPoint(plot->CursorCh1(), plot->CursorCh2())});
        }
    }
    return shown;
}

TEST(ViewDlg, AWaveformRecordReadFromItsFileShowsWhatItsBlocksInMemoryShowed) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    std::vector<WaveBlock> blocks;
    for (int b = 0; b < 6000; ++b)
        blocks.push_back(test::MainsBlock(b, 100 + b % 300, 50 + b % 97));
    const std::vector<TrendPoint> currents = test::DriftingCurrents(6000, 3);
    const QString wave = test::WriteWaveformRecord(dir, blocks, currents);
    ASSERT_TRUE(t.viewer->OpenRecord(wave));
    t.viewer->Statistics()->Record()->currents->WaitForScan();
    const auto fromFile = Pages(*t.viewer);
    t.viewer->WavePlot()->SetBlocks(blocks);
    t.viewer->TrendPlot()->SetPoints(currents);
    EXPECT_EQ(fromFile, Pages(*t.viewer));

    // Cut short while it is open: the blocks gone read as silence, statistics are refused.
    ASSERT_TRUE(t.viewer->OpenRecord(wave));
    const auto record = t.viewer->Statistics()->Record();
    std::filesystem::resize_file(QFile::encodeName(wave).toStdString(), 60 + 1000 * 1612 + 5);
    record->currents->WaitForScan();
    CWaveWnd& plot = *t.viewer->WavePlot();
    plot.Scroll(ScrollRequest::ThumbPosition, 5000); // past the blocks read at the start
    t.viewer->repaint();
    EXPECT_EQ(plot.CursorCh1(), 0);
    EXPECT_EQ(plot.CursorCh2(), 0);
    EXPECT_EQ(t.viewer->TrendPlot()->PointCount(), 6000);
    EXPECT_FALSE(ComputeRecordStatistics(*record, {0, 6000}));
    EXPECT_TRUE(ComputeRecordStatistics(*record, {0, 1000}));
    EXPECT_TRUE(t.errors.empty());
}

TEST(ViewDlg, ReadoutsShowTheValuesUnderTheCursors) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    // Trend cursor in the middle of 300 steps reads point 149.
    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteTrendRecord(dir, Same(186, 157, 43))));
    EXPECT_EQ(t.Text(1003), "157");
    EXPECT_EQ(t.Text(1004), "43");
    EXPECT_EQ(t.Text(1005), "114");
    EXPECT_EQ(t.Text(1006), "56");
    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteTrendRecord(dir, Same(186, 0, 0))));
    for (int id = 1003; id <= 1006; ++id)
        EXPECT_EQ(t.Text(id), "0") << id;

    // Waveform cursor in the middle of 8 blocks: past the data of a 3-block record, block 4
    // sample 0 of a longer one (ramp base 40).
    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteWaveformRecord(dir, Ramps(3), {{-7, 9}})));
    EXPECT_EQ(t.Text(1001), "");
    EXPECT_EQ(t.Text(1002), "");
    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteWaveformRecord(dir, Ramps(160), {{-7, 9}})));
    EXPECT_EQ(t.Text(1001), "40");
    EXPECT_EQ(t.Text(1002), "-40");
    EXPECT_EQ(t.Text(1003), "-7");
    EXPECT_EQ(t.Text(1004), "9");
    EXPECT_EQ(t.Text(1005), "-16");
    EXPECT_EQ(t.Text(1006), "100");
    t.viewer->WavePlot()->PlaceCursor(1273); // block 7, sample 397
    EXPECT_EQ(t.Text(1001), "467");
}

struct ShownState {
    bool hasWave, waveVisible, playEnabled;
    int blocks, points;
    QRect trend;
    QStringList texts;
    bool operator==(const ShownState&) const = default;
};

ShownState StateOf(const ViewerUnderTest& t) {
    ShownState s{t.viewer->HasWave(),
                 t.viewer->WavePlot()->isVisible(),
                 t.Enabled(1011),
                 t.viewer->WavePlot()->BlockCount(),
                 t.viewer->TrendPlot()->PointCount(),
                 CViewDlg::Frame(t.viewer->TrendPlot())->geometry(),
                 {}};
    for (int line : {0, 1, 2, 4})
        s.texts << t.viewer->InfoBar()->Line(line);
    for (int id = 1001; id <= 1006; ++id)
        s.texts << t.Text(id);
    return s;
}

TEST(ViewDlg, AFileThatFailsToLoadChangesNothingAndSaysWhyInOneLine) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    QByteArray header(60, '\0');
    for (int i = 0; i < 16; ++i)
        header[2 * i] = "TAVKEN-ZELMARINX"[i];
    QFile bad(dir + "/bad.zmr");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(header + QByteArray(1612, '\1'));
    bad.close();

    // Empty viewer: play stays disabled.
    EXPECT_FALSE(t.viewer->OpenRecord(bad.fileName()));
    EXPECT_FALSE(t.Enabled(1011));
    ASSERT_EQ(t.errors.size(), 1u);
    EXPECT_EQ(t.errors[0], QStringLiteral("不是记录文件：bad.zmr"));

    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteTrendRecord(dir, Same(186, 157, 43))));
    const ShownState before = StateOf(t);
    EXPECT_FALSE(t.viewer->OpenRecord(bad.fileName()));
    EXPECT_FALSE(t.viewer->OpenRecord(dir + "/missing.zmr"));
    EXPECT_FALSE(t.viewer->OpenRecord(dir));
    EXPECT_TRUE(StateOf(t) == before);
    ASSERT_EQ(t.errors.size(), 4u);
    EXPECT_EQ(t.errors[2], QStringLiteral("无法读取 missing.zmr：") +
                               QString::fromLocal8Bit(std::strerror(ENOENT)));
    EXPECT_TRUE(t.errors[3].startsWith(QStringLiteral("无法读取 ")));
    for (const QString& text : t.errors)
        EXPECT_FALSE(text.contains('\n')) << text.toStdString();
}

void Drag(CViewDlg& viewer, const QString& path, bool& entered) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at(400, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&viewer, &enter);
    entered = enter.isAccepted();
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&viewer, &drop);
    QApplication::processEvents(); // the drop opens the file once it has ended
}

TEST(ViewDlg, DroppingARecordFileOpensIt) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    bool entered = false;
    Drag(*t.viewer, test::WriteTrendRecord(dir, Same(124, 3, 4)), entered);
    EXPECT_TRUE(entered);
    EXPECT_EQ(t.viewer->TrendPlot()->PointCount(), 124);

    QFile other(dir + "/notes.txt");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    Drag(*t.viewer, other.fileName(), entered);
    EXPECT_FALSE(entered);

    // Nothing is opened during playback.
    t.viewer->Button(CViewDlg::kPlay)->click();
    ASSERT_TRUE(t.viewer->Playing());
    Drag(*t.viewer, test::WriteTrendRecord(dir, Same(62, 3, 4)), entered);
    EXPECT_FALSE(entered);
    EXPECT_EQ(t.viewer->TrendPlot()->PointCount(), 124);
    EXPECT_TRUE(t.errors.empty());
}

} // namespace
} // namespace zel
