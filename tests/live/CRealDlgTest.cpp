#include "live/CRealDlg.h"
#include "GuiTestSupport.h"
#include "LiveTestSupport.h"
#include "common/LocalTime.h"
#include "live/LiveEventWatch.h"
#include "live/LiveKeys.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/RecordFile.h"
#include "widgets/CDigital.h"
#include "widgets/CTimeWnd.h"
#include "widgets/ClientEdgeFrame.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

using namespace zel;
using namespace zel::test;

namespace {

class CRealDlgTest : public LiveWindowTest {
protected:
    void Open() {
        window = std::make_unique<CRealDlg>(Status(), link, nullptr, dir.path());
        window->show();
    }
    void TearDown() override {
        window.reset();
        LiveWindowTest::TearDown();
    }
    QString Readout(int id) const { return window->Readout(id)->Text(); }
    QString BarValue(int line) const { return LineValue(window->InfoBar()->Line(line)); }
    void Click(int id) { QTest::mouseClick(window->Button(id), Qt::LeftButton); }

    std::unique_ptr<CRealDlg> window;
};

TEST_F(CRealDlgTest, FirstBlockCreatesTheFileAndSetsStartTimeAndCount) {
    StartSimulator([](sim::SimConfig& c) { c.streamFrames = 1; });
    Open();
    EXPECT_EQ(window->Title(), QStringLiteral("Velquist-实时查看"));
    EXPECT_EQ(window->InfoBar()->Line(0), QStringLiteral("设备编号:191012"));
    EXPECT_EQ(window->InfoBar()->Line(1), QStringLiteral("版本号:V1.203"));
    EXPECT_EQ(BarValue(2), QString());
    EXPECT_EQ(BarValue(4), QStringLiteral("0"));

    ASSERT_TRUE(WaitFor([&] { return BarValue(4) == QStringLiteral("1"); }));
    const auto files = RecordFiles("S");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(window->RecordPath(), files[0]);
    const auto file = ReadRecordFile(files[0]);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->header.kind, 1);
    EXPECT_EQ(file->header.deviceNumber, 12);
    EXPECT_EQ(file->header.deviceVersion, 1203);
    EXPECT_TRUE(SameBlocks(file->blocks, GoodBlocksSent()));
    ASSERT_EQ(file->blocks.size(), 1u);
    EXPECT_EQ(window->WavePlot()->BlockCount(), 1);
    EXPECT_EQ(window->TrendPlot()->PointCount(), 1);

    // The start time is the local time of the first block, taken just after the file was
    // made; the file's name carries the time it was made.
    ASSERT_TRUE(WaitFor([&] { return !BarValue(2).isEmpty(); }));
    const QString start = BarValue(2);
    const std::int64_t made = file->header.startTime;
    EXPECT_TRUE(start == QString::fromStdString(FormatLocalTime(made, "%Y-%m-%d %H:%M:%S")) ||
                start == QString::fromStdString(FormatLocalTime(made + 1, "%Y-%m-%d %H:%M:%S")))
        << start.toStdString();
    EXPECT_NE(files[0].find("/S-191012-" + FormatLocalTime(made, "%Y%m%d%H%M%S") + ".zmr"),
              std::string::npos);
    EXPECT_TRUE(messages.empty());
}

// Each way of ending the window runs the same closing sequence.
enum class CloseWay { EscapeKey, CloseButton, CloseCall };

std::string CloseWayName(const ::testing::TestParamInfo<CloseWay>& info) {
    static const char* const names[] = {"EscapeKey", "CloseButton", "CloseCall"};
    return names[static_cast<int>(info.param)];
}

class CRealDlgClosingTest : public CRealDlgTest, public ::testing::WithParamInterface<CloseWay> {};

TEST_P(CRealDlgClosingTest, ClosingBeforeAnyBlockLeavesNoFileAndStopsTheStream) {
    StartSimulator([](sim::SimConfig& c) { c.streamFrames = 0; });
    Open();
    ASSERT_TRUE(WaitForStreamRequests(0xA0, 1)); // the worker has started the stream
    switch (GetParam()) {
    case CloseWay::EscapeKey:
        QTest::keyClick(window.get(), Qt::Key_Escape);
        break;
    case CloseWay::CloseButton:
        ClickCloseButton(*window);
        break;
    case CloseWay::CloseCall:
        window->close();
        break;
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(link.IsOpen());
    // The window's stop request, and the worker's own when it ended within the wait.
    ASSERT_TRUE(WaitForStreamRequests(0xA1, 1));
    EXPECT_LE(StreamRequests(0xA1), 2u);
    EXPECT_EQ(StreamRequests(0xA0), 1u);
    EXPECT_TRUE(RecordFiles("S").empty());
    EXPECT_EQ(window->RecordPath(), "");
    EXPECT_EQ(BarValue(2), QString());
    EXPECT_EQ(BarValue(4), QStringLiteral("0"));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, CRealDlgClosingTest,
                         ::testing::Values(CloseWay::EscapeKey, CloseWay::CloseButton,
                                           CloseWay::CloseCall),
                         CloseWayName);

struct TrendCase {
    int ch1, ch2;
    const char* shown[4]; // 1003 to 1006
};

// Keeps ctest's listing readable: without it the parameter prints as raw bytes with pointers.
void PrintTo(const TrendCase& c, std::ostream* out) {
    *out << "(" << c.ch1 << ", " << c.ch2 << ")";
}

std::string TrendCaseName(const ::testing::TestParamInfo<TrendCase>& info) {
    return "Ch1_" + std::to_string(info.param.ch1) + "_Ch2_" + std::to_string(info.param.ch2);
}

class CRealDlgTrendTest : public CRealDlgTest, public ::testing::WithParamInterface<TrendCase> {};

// The trend readouts come from the trend cursor: the two currents, their difference and the
// unbalance coefficient; a cursor past the last point blanks all four.
TEST_P(CRealDlgTrendTest, TrendCursorReadouts) {
    const TrendCase& c = GetParam();
    StartSimulator([&](sim::SimConfig& config) {
        config.streamFrames = 20;
        config.frameIntervalMs = 2;
        config.fixedCh1Current = c.ch1;
        config.fixedCh2Current = c.ch2;
    });
    Open();
    CCurseWnd* trend = window->TrendPlot();
    ASSERT_TRUE(WaitFor([&] { return trend->PointCount() == 20; }));
    const int W = trend->ClientRect().width();
    // On the tenth step of the 1024 in view, well inside the 20 points.
    QTest::mouseClick(trend, Qt::LeftButton, {}, QPoint(W * 10 / 1024 + 1, 20));
    const int ids[] = {CRealDlg::kCh1Trend, CRealDlg::kCh2Trend, CRealDlg::kDifference,
                       CRealDlg::kUnbalance};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Readout(ids[i]), QString::fromUtf8(c.shown[i])) << ids[i];
    // A screen reader finds the six readouts with their captions and numbers.
    QTest::mouseClick(window->WavePlot(), Qt::LeftButton, {}, QPoint(0, 20));
    const QStringList wanted = {QStringLiteral("CH1波形：") + Readout(CRealDlg::kCh1Wave),
                                QStringLiteral("CH2波形：") + Readout(CRealDlg::kCh2Wave),
                                QStringLiteral("CH1曲线(A)：") + QString::fromUtf8(c.shown[0]),
                                QStringLiteral("CH2曲线(A)：") + QString::fromUtf8(c.shown[1]),
                                QStringLiteral("电流差：") + QString::fromUtf8(c.shown[2]),
                                QStringLiteral("不平衡系数(%)：") + QString::fromUtf8(c.shown[3])};
    QStringList names;
    ASSERT_TRUE(WaitFor([&] {
        names.clear();
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
        for (int i = 0; root && i < root->childCount(); ++i)
            names << root->child(i)->text(QAccessible::Name);
        return std::all_of(wanted.begin(), wanted.end(),
                           [&](const QString& w) { return names.contains(w); });
    })) << names.join(QLatin1Char('|')).toStdString();

    QTest::mouseClick(trend, Qt::LeftButton, {}, QPoint(W - 2, 20));
    for (const int id : ids)
        EXPECT_EQ(Readout(id), QString()) << id;
}

INSTANTIATE_TEST_SUITE_P(Values, CRealDlgTrendTest,
                         ::testing::Values(TrendCase{157, 43, {"157", "43", "114", "56"}},
                                           TrendCase{10, 25, {"10", "25", "-15", "42"}},
                                           TrendCase{0, 0, {"0", "0", "0", "0"}}),
                         TrendCaseName);

TEST_F(CRealDlgTest, WaveCursorReadoutsShowTheRecordedSamples) {
    StartSimulator([](sim::SimConfig& c) { c.streamFrames = 2; });
    Open();
    CWaveWnd* wave = window->WavePlot();
    ASSERT_TRUE(WaitFor([&] { return wave->BlockCount() == 2; }));
    QTest::mouseClick(wave, Qt::LeftButton, {}, QPoint(0, 20));
    const auto blocks = BlocksOf(window->RecordPath());
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(Readout(CRealDlg::kCh1Wave), QString::number(blocks[0].ch1[0]));
    EXPECT_EQ(Readout(CRealDlg::kCh2Wave), QString::number(blocks[0].ch2[0]));

    // Readouts change only through the cursor: the refresh keeps them while it is there.
    QTest::qWait(2 * CRealDlg::kRefreshMs);
    EXPECT_EQ(Readout(CRealDlg::kCh1Wave), QString::number(blocks[0].ch1[0]));

    // The middle of the eight blocks in view lies past the two there are.
    QTest::mouseClick(wave, Qt::LeftButton, {}, QPoint(wave->ClientRect().width() / 2, 20));
    EXPECT_EQ(Readout(CRealDlg::kCh1Wave), QString());
    EXPECT_EQ(Readout(CRealDlg::kCh2Wave), QString());
}

// Currents over a limit: the trend plot gets a band of that limit behind the curves, the bar
// counts the event and tells it, the readout of that quantity turns red, and the event's start
// sounds once. The limit not passed leaves its readout as it was.
TEST_F(CRealDlgTest, PointsOverALimitAreMarkedCountedAndShownRed) {
    StartSimulator([](sim::SimConfig& c) {
        c.streamFrames = 40;
        c.frameIntervalMs = 2;
        c.fixedCh1Current = 157;
        c.fixedCh2Current = 43;
    });
    window = std::make_unique<CRealDlg>(Status(), link, nullptr, dir.path());
    EventLimits limits;
    limits[LimitKind::Ch1] = {true, 157};        // not above
    limits[LimitKind::Difference] = {true, 100}; // 114 is
    window->SetLimits(limits, true);
    window->show();
    CCurseWnd* trend = window->TrendPlot();
    ASSERT_TRUE(WaitFor([&] { return trend->PointCount() == 40; }));
    EXPECT_EQ(trend->Bands(), (std::vector<CCurseWnd::Band>{{LimitKind::Difference, 0, 39}}));
    ASSERT_TRUE(WaitFor([&] { return !window->InfoBar()->Line(6).isEmpty(); }));
    EXPECT_EQ(window->InfoBar()->Line(5), QStringLiteral("越限次数:1"));
    EXPECT_TRUE(window->InfoBar()->Line(6).startsWith(QStringLiteral("越限: 电流差 114A ")))
        << window->InfoBar()->Line(6).toStdString();
    EXPECT_EQ(window->Events().Tones(), 1);

    const int W = trend->ClientRect().width();
    QTest::qWait(2 * CRealDlg::kRefreshMs); // the curves of all 40 points
    QTest::mouseClick(trend, Qt::LeftButton, {}, QPoint(W * 10 / 1024 + 1, 20));
    EXPECT_TRUE(window->Readout(CRealDlg::kDifference)->Alarm());
    EXPECT_FALSE(window->Readout(CRealDlg::kCh1Trend)->Alarm());
    EXPECT_FALSE(window->Readout(CRealDlg::kUnbalance)->Alarm());
    // Red digits in the difference readout, cyan ones beside it.
    const QImage red = GrabWidget(*window->Readout(CRealDlg::kDifference), QStringLiteral("red"));
    const QImage cyan = GrabWidget(*window->Readout(CRealDlg::kCh1Trend), QStringLiteral("cyan"));
    const auto count = [](const QImage& image, QRgb colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += SameColour(image.pixel(x, y), colour, 40) ? 1 : 0;
        return n;
    };
    EXPECT_GT(count(red, qRgb(255, 0, 0)), 50);
    EXPECT_EQ(count(red, qRgb(0, 255, 255)), 0);
    EXPECT_GT(count(cyan, qRgb(0, 255, 255)), 50);
    // The band lies behind the first 40 of the 1024 steps, not beyond.
    const QImage plot = GrabWidget(*trend, QStringLiteral("band"));
    const QRgb band = CCurseWnd::BandColour(LimitKind::Difference).rgb();
    const QPoint origin = trend->ClientRect().topLeft();
    const int inside =
        count(plot.copy(QRect(origin + QPoint(2, 30), QSize(W * 30 / 1024, 40))),
              qRgb(qRed(band) * 170 / 255, qGreen(band) * 170 / 255, qBlue(band) * 170 / 255));
    EXPECT_GT(inside, 100);
    const int beyond =
        count(plot.copy(QRect(origin + QPoint(W / 2, 30), QSize(50, 40))),
              qRgb(qRed(band) * 170 / 255, qGreen(band) * 170 / 255, qBlue(band) * 170 / 255));
    EXPECT_EQ(beyond, 0);
    GrabWidget(*window, QStringLiteral("window"));
}

TEST_F(CRealDlgTest, ZoomButtonsDisableThemselvesAtTheLimitsAndTheKeysWorkLive) {
    StartSimulator([](sim::SimConfig& c) { c.frameIntervalMs = 10; });
    Open();
    const auto enabled = [&](int id) { return window->Button(id)->isEnabled(); };
    for (int i = 0; i < 2; ++i)
        Click(CRealDlg::kWaveZoomIn);
    EXPECT_TRUE(enabled(CRealDlg::kWaveZoomIn));
    Click(CRealDlg::kWaveZoomIn);
    EXPECT_EQ(window->WavePlot()->Span(), 1);
    EXPECT_FALSE(enabled(CRealDlg::kWaveZoomIn));
    EXPECT_TRUE(enabled(CRealDlg::kWaveZoomOut));
    for (int i = 0; i < 10; ++i)
        Click(CRealDlg::kWaveZoomOut);
    EXPECT_EQ(window->WavePlot()->Span(), 1024);
    EXPECT_TRUE(enabled(CRealDlg::kWaveZoomIn));
    EXPECT_FALSE(enabled(CRealDlg::kWaveZoomOut));

    for (int i = 0; i < 5; ++i)
        Click(CRealDlg::kTrendZoomIn);
    EXPECT_EQ(window->TrendPlot()->Span(), 32);
    EXPECT_FALSE(enabled(CRealDlg::kTrendZoomIn));
    EXPECT_TRUE(enabled(CRealDlg::kTrendZoomOut));
    for (int i = 0; i < 10; ++i)
        Click(CRealDlg::kTrendZoomOut);
    EXPECT_TRUE(enabled(CRealDlg::kTrendZoomOut));
    Click(CRealDlg::kTrendZoomOut);
    EXPECT_EQ(window->TrendPlot()->Span(), 65536);
    EXPECT_TRUE(enabled(CRealDlg::kTrendZoomIn));
    EXPECT_FALSE(enabled(CRealDlg::kTrendZoomOut));

    // The keys while blocks come in: +/− zoom the plot under the pointer (the trend plot
    // otherwise); ← and Home hold a plot back from the newest data, End or → past the newest
    // view let it follow again.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->Button(CRealDlg::kWaveZoomIn)->setFocus(); // would take the arrows itself
    const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    CWaveWnd* wave = window->WavePlot();
    CCurseWnd* trend = window->TrendPlot();
    const LiveKeys& keys = *window->Keys();
    const auto pointAt = [](QWidget* w) { QCursor::setPos(w->mapToGlobal(w->rect().center())); };
    pointAt(window->Button(CRealDlg::kTrendZoomIn));
    for (int i = 0; i < 11; ++i)
        key(Qt::Key_Plus);
    EXPECT_EQ(trend->Span(), 32);
    EXPECT_EQ(wave->Span(), 1024);
    pointAt(wave);
    ASSERT_EQ(keys.Target(), wave);
    for (int i = 0; i < 7; ++i)
        key(Qt::Key_Plus);
    key(Qt::Key_Minus);
    EXPECT_EQ(wave->Span(), 16);
    EXPECT_EQ(trend->Span(), 32);
    ASSERT_TRUE(WaitFor([&] { return wave->BlockCount() >= 60; }));

    key(Qt::Key_Left);
    EXPECT_TRUE(keys.Held(wave));
    EXPECT_FALSE(keys.Held(trend));
    const int held = wave->First();
    EXPECT_LE(held, wave->BlockCount() - 16 - 10);
    const int count = wave->BlockCount();
    ASSERT_TRUE(WaitFor([&] { return wave->BlockCount() >= count + 20; }));
    QTest::qWait(2 * CRealDlg::kRefreshMs);
    EXPECT_EQ(wave->First(), held);
    key(Qt::Key_Home);
    EXPECT_EQ(wave->First(), 0);
    key(Qt::Key_End);
    EXPECT_FALSE(keys.Held(wave));
    EXPECT_TRUE(WaitFor([&] { return wave->First() > held + 10; }));
    key(Qt::Key_Left);
    key(Qt::Key_Right);
    EXPECT_FALSE(keys.Held(wave));

    pointAt(window->Button(CRealDlg::kTrendZoomIn));
    ASSERT_TRUE(WaitFor([&] { return trend->PointCount() >= 80; }));
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_TRUE(keys.Held(trend));
    EXPECT_FALSE(keys.Held(wave));
    const int trendHeld = trend->First();
    const int points = trend->PointCount();
    ASSERT_TRUE(WaitFor([&] { return trend->PointCount() >= points + 20; }));
    QTest::qWait(2 * CRealDlg::kRefreshMs);
    EXPECT_EQ(trend->First(), trendHeld);
    EXPECT_TRUE(WaitFor([&] { return wave->First() > held + 30; })); // the other follows on
    GrabWidget(*window, QStringLiteral("live-trend-held"));

    EXPECT_TRUE(window->toolTip().contains(QStringLiteral("Home/End")));
    EXPECT_FALSE(window->toolTip().contains(QStringLiteral("Ctrl+O")));
}

// A work area of 1280 x 727: the maximised window's client area.
class SizedRealDlg : public CRealDlg {
public:
    using CRealDlg::CRealDlg;

protected:
    QRect WorkArea() const override { return QRect(0, 0, 1280, 727); }
};

TEST_F(CRealDlgTest, LayoutOfAMaximisedWindowWith1280By727) {
    StartSimulator([](sim::SimConfig& c) { c.frameIntervalMs = 20; });
    window = std::make_unique<SizedRealDlg>(Status(), link, nullptr, dir.path());
    window->show();
    ASSERT_EQ(window->rect(), QRect(0, 0, 1280, 727));

    EXPECT_EQ(window->WaveFrame()->geometry(), QRect(0, 25, 1280, 300));
    EXPECT_EQ(window->TrendFrame()->geometry(), QRect(0, 327, 1280, 300));
    EXPECT_EQ(window->InfoBarFrame()->geometry(), QRect(1080, 628, 199, 97));
    // Inside a border and a sunken edge.
    EXPECT_EQ(window->WavePlot()->geometry(), QRect(3, 3, 1274, 294));
    EXPECT_EQ(window->WavePlot()->ClientRect(), QRect(0, 0, 1274, 294));
    EXPECT_EQ(window->WavePlot()->CursorX(), 637);
    EXPECT_EQ(window->TrendPlot()->CursorX(), 637);

    EXPECT_EQ(window->Button(CRealDlg::kWaveZoomIn)->geometry(), QRect(8, 641, 100, 35));
    EXPECT_EQ(window->Button(CRealDlg::kWaveZoomOut)->geometry(), QRect(8, 681, 100, 35));
    EXPECT_EQ(window->Button(CRealDlg::kTrendZoomIn)->geometry(), QRect(110, 641, 100, 35));
    EXPECT_EQ(window->Button(CRealDlg::kTrendZoomOut)->geometry(), QRect(110, 681, 100, 35));
    const auto frame = [&](int id) { return window->findChild<QFrame*>(QString::number(id)); };
    EXPECT_EQ(frame(CRealDlg::kButtonFrame)->geometry(), QRect(2, 629, 218, 95));
    EXPECT_EQ(frame(CRealDlg::kReadoutFrame)->geometry(), QRect(215, 629, 865, 95));

    const int labels[] = {1017, 1018, 1022, 1021, 1020, 1019};
    const char* captions[] = {"CH1波形：",    "CH2波形：", "CH1曲线(A)：",
                              "CH2曲线(A)：", "电流差：",  "不平衡系数(%)："};
    const int columns[] = {225, 367, 509, 651, 793, 935};
    for (int k = 0; k < 6; ++k) {
        const auto* label = window->findChild<QLabel*>(QString::number(labels[k]));
        ASSERT_TRUE(label);
        EXPECT_EQ(label->text(), QString::fromUtf8(captions[k]));
        EXPECT_EQ(label->geometry(), QRect(columns[k], 647, 140, 20)) << labels[k];
        EXPECT_EQ(window->Readout(1001 + k)->geometry(), QRect(columns[k], 667, 140, 40));
    }

    // Computed once: resizing leaves everything where it is.
    window->resize(1000, 600);
    EXPECT_EQ(window->TrendFrame()->geometry(), QRect(0, 327, 1280, 300));
    window->resize(1280, 727);

    ASSERT_TRUE(WaitFor([&] { return window->WavePlot()->BlockCount() >= 12; }));
    QTest::qWait(2 * CRealDlg::kRefreshMs);
    GrabWidget(*window, QStringLiteral("streaming"));
}

} // namespace

namespace {

// A closed link shows within a second, the trend curve breaks where the gap is, and the
// stretches before and after it are two "S" files holding every frame sent.
TEST_F(CRealDlgTest, ALostLinkBreaksTheTrendAndGoesOnInANewFile) {
    StartSimulator([](sim::SimConfig& c) {
        c.dropAfterFrames = 4;
        c.drops = 1;
        c.refuseMs = 1500;
    });
    Open();
    ASSERT_TRUE(WaitFor([&] { return BarValue(4) == QStringLiteral("4"); }));
    const auto dropped = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return window->LinkLine()->text().startsWith("连接中断 "); }, 5000));
    RecordProperty("down_shown_ms",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - dropped)
                                        .count()));
    ASSERT_TRUE(WaitFor([&] { return BarValue(4).toInt() >= 10; }, 15000));
    EXPECT_EQ(window->LinkLine()->text(), QStringLiteral("连接已恢复，本次共中断1次"));
    EXPECT_EQ(window->TrendPlot()->Breaks(), std::vector<int>{4});
    window->close();

    const auto files = RecordFiles("S");
    ASSERT_EQ(files.size(), 2u);
    std::vector<SampleBlock> recorded = BlocksOf(files[0]);
    EXPECT_EQ(recorded.size(), 4u);
    const auto after = BlocksOf(files[1]);
    recorded.insert(recorded.end(), after.begin(), after.end());
    auto sent = GoodBlocksSent();
    ASSERT_GE(sent.size(), recorded.size());
    sent.resize(recorded.size());
    EXPECT_TRUE(SameBlocks(recorded, sent));
}

} // namespace
