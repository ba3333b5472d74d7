#include "live/CRecordDlg.h"
#include "GuiTestSupport.h"
#include "LiveTestSupport.h"
#include "live/LiveEventWatch.h"
#include "live/LiveRecordSink.h"
#include "widgets/CTimeWnd.h"
#include "widgets/ClientEdgeFrame.h"
#include "widgets/DialogUnits.h"
#include "widgets/Fonts.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include <thread>

using namespace zel;
using namespace zel::test;

namespace {

class CRecordDlgTest : public LiveWindowTest {
protected:
    void Open() {
        window = std::make_unique<CRecordDlg>(Status(), link, nullptr, dir.path());
        window->show();
    }
    void TearDown() override {
        window.reset();
        LiveWindowTest::TearDown();
    }
    QString BarValue(int line) const { return LineValue(window->InfoBar()->Line(line)); }
    void Click(int id) { QTest::mouseClick(window->Button(id), Qt::LeftButton); }
    bool Enabled(int id) const { return window->Button(id)->isEnabled(); }
    void HoldStream(int frames) {
        simulator->Update([frames](sim::SimConfig& c) { c.streamFrames = frames; });
    }

    std::unique_ptr<CRecordDlg> window;
};

const QRegularExpression kStartTime(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$"));

// Every run makes its own file with its first block; the bar keeps the last run's start time
// and count until then. A run that gets no block makes no file and changes nothing.
TEST_F(CRecordDlgTest, EveryRunWithBlocksMakesItsOwnFile) {
    StartSimulator([](sim::SimConfig& c) { c.streamFrames = 10; });
    Open();
    EXPECT_EQ(window->Title(), QStringLiteral("Velquist－数据录制"));
    EXPECT_EQ(window->InfoBar()->Line(0), QStringLiteral("设备编号:191012"));
    EXPECT_TRUE(Enabled(CRecordDlg::kStart));
    EXPECT_TRUE(Enabled(CRecordDlg::kStop));

    Click(CRecordDlg::kStart);
    EXPECT_FALSE(Enabled(CRecordDlg::kStart));
    EXPECT_TRUE(Enabled(CRecordDlg::kStop));
    ASSERT_TRUE(WaitFor([&] { return BarValue(4) == QStringLiteral("10"); }));
    const QString firstStart = BarValue(2);
    EXPECT_TRUE(kStartTime.match(firstStart).hasMatch()) << firstStart.toStdString();
    Click(CRecordDlg::kStop);
    EXPECT_TRUE(Enabled(CRecordDlg::kStart));
    EXPECT_FALSE(Enabled(CRecordDlg::kStop));
    EXPECT_FALSE(link.IsOpen());
    ASSERT_TRUE(WaitForStreamRequests(0xA1, 1));
    auto files = RecordFiles("R");
    ASSERT_EQ(files.size(), 1u);
    const std::string first = window->RecordPath();
    EXPECT_EQ(first, files[0]);
    EXPECT_TRUE(SameBlocks(BlocksOf(first), GoodBlocksSent()));
    EXPECT_EQ(BlocksOf(first).size(), 10u);

    // The second run connects, and its first block is held back for a while.
    HoldStream(0);
    Click(CRecordDlg::kStart);
    ASSERT_TRUE(WaitForStreamRequests(0xA0, 2));
    QTest::qWait(200);
    EXPECT_EQ(BarValue(4), QStringLiteral("10"));
    EXPECT_EQ(BarValue(2), firstStart);
    EXPECT_EQ(RecordFiles("R").size(), 1u);
    HoldStream(1);
    ASSERT_TRUE(WaitFor([&] { return BarValue(4) == QStringLiteral("1"); }));
    EXPECT_TRUE(kStartTime.match(BarValue(2)).hasMatch());
    Click(CRecordDlg::kStop);
    files = RecordFiles("R");
    ASSERT_EQ(files.size(), 2u);
    const std::string second = window->RecordPath();
    EXPECT_NE(second, first);
    EXPECT_TRUE(second == files[0] || second == files[1]);
    EXPECT_EQ(BlocksOf(first).size(), 10u); // the first file is left alone
    EXPECT_TRUE(SameBlocks(BlocksOf(second), GoodBlocksSent(10)));

    // A third run stopped before its first block.
    HoldStream(0);
    Click(CRecordDlg::kStart);
    ASSERT_TRUE(WaitForStreamRequests(0xA0, 3));
    Click(CRecordDlg::kStop);
    ASSERT_TRUE(WaitForStreamRequests(0xA1, 3));
    EXPECT_EQ(RecordFiles("R").size(), 2u);
    EXPECT_EQ(BarValue(4), QStringLiteral("1"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(CRecordDlgTest, StopBeforeAnyStartSendsNothing) {
    StartSimulator();
    Open();
    Click(CRecordDlg::kStop);
    EXPECT_TRUE(Enabled(CRecordDlg::kStart));
    EXPECT_FALSE(Enabled(CRecordDlg::kStop));
    EXPECT_FALSE(link.IsOpen());
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(simulator->Connections(), 0);
}

// Closing while recording stops the run first; every block shown as counted is in the file.
TEST_F(CRecordDlgTest, ClosingWhileRecordingStopsFirst) {
    StartSimulator();
    Open();
    Click(CRecordDlg::kStart);
    ASSERT_TRUE(WaitFor([&] { return BarValue(4).toInt() >= 5; }));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Recording());
    EXPECT_FALSE(link.IsOpen());
    ASSERT_TRUE(WaitForStreamRequests(0xA1, 1));
    const auto blocks = BlocksOf(window->RecordPath());
    ASSERT_GE(blocks.size(), 5u);
    const auto sent = GoodBlocksSent();
    ASSERT_GE(sent.size(), blocks.size());
    EXPECT_TRUE(
        SameBlocks(blocks, std::vector<SampleBlock>(sent.begin(), sent.begin() + blocks.size())));
    // The last count reaches the bar after the close; it matches the file.
    EXPECT_TRUE(WaitFor([&] { return BarValue(4).toInt() == static_cast<int>(blocks.size()); }));
}

TEST_F(CRecordDlgTest, LayoutOfTheInformationBar) {
    StartSimulator();
    Open();
    // The template's size, and the buttons where the template puts them.
    const DialogUnits du(ShellDlgFont(8));
    ASSERT_EQ(window->size(), QSize(du.X(336), du.Y(165)));
    const int W = window->width(), H = window->height();
    EXPECT_EQ(window->InfoBarFrame()->geometry(), QRect(5, 30, W - 15, H - 150));
    EXPECT_EQ(window->Button(CRecordDlg::kStart)->geometry(), du.ToPixels(96, 114, 70, 19));
    EXPECT_EQ(window->Button(CRecordDlg::kStop)->geometry(), du.ToPixels(197, 113, 72, 19));
    GrabWidget(*window, QStringLiteral("idle"));

    window->LayOut(QRect(0, 0, 1280, 727));
    EXPECT_EQ(window->InfoBarFrame()->geometry(), QRect(5, 30, 1265, 577));
    // A sunken edge and no border.
    EXPECT_EQ(window->InfoBar()->geometry(), QRect(2, 2, 1261, 573));
}

} // namespace

namespace {

// The link drops after three frames and the instrument refuses connections for a while: the
// window says so with the time and the attempt, reconnects by itself, then keeps the number of
// drops on view; the frames before and after the gap are in two files, none lost.
TEST_F(CRecordDlgTest, ALostLinkIsShownMendedAndNothingIsLost) {
    StartSimulator([](sim::SimConfig& c) {
        c.dropAfterFrames = 3;
        c.drops = 1;
        c.refuseMs = 1500;
    });
    Open();
    Click(CRecordDlg::kStart);
    const QRegularExpression down(
        QStringLiteral("^连接中断 \\d{2}:\\d{2}:\\d{2}，正在重新连接\\(第[12]次\\)…$"));
    ASSERT_TRUE(WaitFor([&] { return down.match(window->LinkLine()->text()).hasMatch(); }, 5000))
        << window->LinkLine()->text().toStdString();
    EXPECT_EQ(BarValue(4), QStringLiteral("3"));
    ASSERT_TRUE(WaitFor([&] { return BarValue(4).toInt() >= 10; }, 15000));
    EXPECT_EQ(window->LinkLine()->text(), QStringLiteral("连接已恢复，本次共中断1次"));
    Click(CRecordDlg::kStop);

    const auto files = RecordFiles("R");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(window->RecordPaths(), files);
    EXPECT_EQ(BlocksOf(files[0]).size(), 3u);
    std::vector<SampleBlock> recorded = BlocksOf(files[0]);
    const auto after = BlocksOf(files[1]);
    recorded.insert(recorded.end(), after.begin(), after.end());
    // The bar counts the run's total (its last update may still be on its way).
    EXPECT_TRUE(WaitFor([&] { return BarValue(4) == QString::number(recorded.size()); }));
    auto sent = GoodBlocksSent();
    ASSERT_GE(sent.size(), recorded.size());
    sent.resize(recorded.size());
    EXPECT_TRUE(SameBlocks(recorded, sent));
}

// Stopped during an outage, the window no longer says it is reconnecting; what a worker said
// of its link before the stop and is still on its way to the window changes nothing.
TEST_F(CRecordDlgTest, StopDuringAnOutageEndsTheReconnectingLine) {
    StartSimulator([](sim::SimConfig& c) {
        c.dropAfterFrames = 3;
        c.drops = 1;
        c.refuseMs = 60000;
    });
    Open();
    Click(CRecordDlg::kStart);
    ASSERT_TRUE(WaitFor([&] { return window->LinkLine()->text().contains("正在重新连接"); }, 5000));
    Click(CRecordDlg::kStop);
    EXPECT_EQ(window->LinkLine()->text(), QString());
    QCoreApplication::processEvents();
    EXPECT_EQ(window->LinkLine()->text(), QString());

    // The same sink contract with the event certainly queued when the run ends.
    QWidget host;
    CTimeWnd bar(&host);
    QLabel line(&host);
    LiveRecordSink sink(&host, &bar, "R", Status(), dir.path());
    sink.SetLinkLine(&line);
    sink.ClearLinkLine();
    LinkEvent retry;
    retry.kind = LinkEvent::Kind::Retrying;
    retry.attempt = 2;
    std::thread([&] { sink.onLinkEvent(retry); }).join();
    QCoreApplication::processEvents();
    ASSERT_TRUE(line.text().contains("第2次")) << line.text().toStdString();
    retry.attempt = 3;
    std::thread([&] { sink.onLinkEvent(retry); }).join();
    sink.EndRun();
    EXPECT_EQ(line.text(), QString());
    QCoreApplication::processEvents();
    EXPECT_EQ(line.text(), QString());
    // A run that resumed keeps its count of drops after the stop.
    sink.ClearLinkLine();
    LinkEvent resumed;
    resumed.kind = LinkEvent::Kind::Resumed;
    resumed.drops = 1;
    std::thread([&] { sink.onLinkEvent(resumed); }).join();
    QCoreApplication::processEvents();
    sink.EndRun();
    EXPECT_EQ(line.text(), QStringLiteral("连接已恢复，本次共中断1次"));
}

// The bar tells the events of the run: their count and the last one; a new run counts anew.
TEST_F(CRecordDlgTest, TheBarCountsTheEventsOfTheRun) {
    StartSimulator([](sim::SimConfig& c) {
        c.streamFrames = 6;
        c.frameIntervalMs = 2;
        c.fixedCh1Current = 80;
        c.fixedCh2Current = 20;
    });
    Open();
    EventLimits limits;
    limits[LimitKind::Unbalance] = {true, 50}; // 60 % is above
    window->Events().SetLimits(limits, false);
    EXPECT_EQ(window->InfoBar()->Line(5), QStringLiteral("越限次数:0"));
    for (int run = 0; run < 2; ++run) {
        Click(CRecordDlg::kStart);
        ASSERT_TRUE(WaitFor([&] { return BarValue(4) == QStringLiteral("6"); }));
        ASSERT_TRUE(WaitFor([&] { return !window->InfoBar()->Line(6).isEmpty(); }));
        EXPECT_EQ(window->InfoBar()->Line(5), QStringLiteral("越限次数:1"));
        EXPECT_TRUE(window->InfoBar()->Line(6).startsWith(QStringLiteral("越限: 不平衡系数 60% ")));
        GrabWidget(*window, QStringLiteral("events"));
        Click(CRecordDlg::kStop);
        ASSERT_TRUE(WaitForStreamRequests(0xA1, static_cast<std::size_t>(run + 1)));
    }
}

} // namespace
