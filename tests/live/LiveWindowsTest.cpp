#include "LiveTestSupport.h"
#include "app/CZelmarineDlg.h"
#include "app/ProgramWindows.h"
#include "app/TerminationSignals.h"
#include "device/Frame.h"
#include "live/CRealDlg.h"
#include "live/CRecordDlg.h"
#include "plot/CurseWnd.h"
#include "widgets/CButtonTR.h"
#include "widgets/CTimeWnd.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <csignal>

using namespace zel;
using namespace zel::test;

namespace {

class LiveWindowsTest : public LiveWindowTest {
protected:
    void OpenMainWindow() {
        MainWindowEnvironment environment;
        environment.link = &link;
        environment.wifiProbe = [](WifiStatusTexts& texts, std::stop_token) {
            texts = {QStringLiteral("连接状态：已连接"), QStringLiteral("SSID：Bench"),
                     QStringLiteral("信号强度：80%"), QStringLiteral("连接类型：")};
            return true;
        };
        environment.configPath = dir / "config.ini";
        mainWindow = std::make_unique<CZelmarineDlg>(environment);
        RegisterLiveWindows(*mainWindow, link, dir.path());
        mainWindow->show();
    }
    bool WaitForMeasuring() {
        return WaitFor([&] {
            return mainWindow->Poller().Connected() &&
                   mainWindow->Poller().LastStatus().state == kStateMeasuring;
        });
    }
    void TearDown() override {
        mainWindow.reset();
        LiveWindowTest::TearDown();
    }

    // Presses a main-window button whose window runs modally; `inside` acts on that window
    // from within its modal run and must close it.
    void RunModal(int button, const std::function<void(QWidget*)>& inside) {
        QTimer::singleShot(0, mainWindow.get(), [inside] {
            QWidget* modal = QApplication::activeModalWidget();
            inside(modal);
            if (modal && modal->isVisible())
                modal->close(); // never leave the test hanging in the modal run
        });
        mainWindow->Button(button)->click();
    }

    std::unique_ptr<CZelmarineDlg> mainWindow;
};

// The demo and the real program register the windows the same way.
TEST_F(LiveWindowsTest, MainWindowButtonsOpenStreamingLiveWindows) {
    StartSimulator([](sim::SimConfig& c) { c.frameIntervalMs = 20; });
    OpenMainWindow();
    ASSERT_TRUE(WaitForMeasuring());

    bool pollerStopped = false;
    int points = 0;
    RunModal(CZelmarineDlg::kLiveView, [&](QWidget* modal) {
        auto* live = qobject_cast<CRealDlg*>(modal);
        ASSERT_TRUE(live);
        pollerStopped = !mainWindow->Poller().Running();
        ASSERT_TRUE(WaitFor([&] { return live->TrendPlot()->PointCount() >= 3; }));
        points = live->TrendPlot()->PointCount();
        ClickCloseButton(*live);
    });
    EXPECT_TRUE(pollerStopped);
    EXPECT_GE(points, 3);
    EXPECT_TRUE(mainWindow->Poller().Running());
    ASSERT_EQ(RecordFiles("S").size(), 1u);
    EXPECT_GE(BlocksOf(RecordFiles("S")[0]).size(), 3u);

    // The restarted poller has to see the instrument again before the next device window: a
    // status request of its own, then its answer.
    const std::size_t polls = sim::Simulator::CountRequests(simulator->Requests(), kCmdStatus);
    ASSERT_TRUE(simulator->WaitForRequestCount(polls + 1, kCmdStatus));
    ASSERT_TRUE(WaitForMeasuring());
    int counted = 0;
    RunModal(CZelmarineDlg::kRecording, [&](QWidget* modal) {
        auto* recording = qobject_cast<CRecordDlg*>(modal);
        ASSERT_TRUE(recording);
        QTest::mouseClick(recording->Button(CRecordDlg::kStart), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return LineValue(recording->InfoBar()->Line(4)).toInt() >= 3; }));
        QTest::mouseClick(recording->Button(CRecordDlg::kStop), Qt::LeftButton);
        counted = LineValue(recording->InfoBar()->Line(4)).toInt();
        ClickCloseButton(*recording);
    });
    EXPECT_TRUE(mainWindow->Poller().Running());
    ASSERT_EQ(RecordFiles("R").size(), 1u);
    EXPECT_GE(static_cast<int>(BlocksOf(RecordFiles("R")[0]).size()), counted);
    EXPECT_TRUE(messages.empty());
}

// SIGTERM while recording, as a desktop session's logout sends it: the recording window closes
// as its own close would (the stop request, every block received kept), then the main window
// without its exit question, and its modal run returns.
TEST_F(LiveWindowsTest, TerminationSignalClosesTheRecordingLikeItsCloseAndEndsTheMainWindow) {
    StartSimulator([](sim::SimConfig& c) { c.frameIntervalMs = 20; });
    OpenMainWindow();
    ASSERT_TRUE(WaitForMeasuring());
    TerminationSignals ending(*mainWindow, [this] { mainWindow->CloseWithoutQuestion(); });
    ASSERT_TRUE(ending.Installed());

    CRecordDlg* recording = nullptr;
    std::string recordPath;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (!recording) {
            recording = qobject_cast<CRecordDlg*>(QApplication::activeModalWidget());
            if (recording)
                QTest::mouseClick(recording->Button(CRecordDlg::kStart), Qt::LeftButton);
        } else if (LineValue(recording->InfoBar()->Line(4)).toInt() >= 3) {
            recordPath = recording->RecordPath();
            driver.stop();
            ::raise(SIGTERM);
        }
    });
    // Whatever happens, the signal comes: a window that ignores it leaves the test hanging.
    QTimer::singleShot(30000, mainWindow.get(), [&] {
        if (driver.isActive()) {
            driver.stop();
            ::raise(SIGTERM);
        }
    });
    QTimer::singleShot(0, mainWindow.get(), [&] {
        driver.start();
        mainWindow->Button(CZelmarineDlg::kRecording)->click();
    });
    mainWindow->exec();

    EXPECT_FALSE(mainWindow->isVisible());
    EXPECT_TRUE(messages.empty()); // no exit question, no error
    ASSERT_FALSE(recordPath.empty());
    ASSERT_TRUE(WaitForStreamRequests(0xA1, 1)); // the recording's stop request
    const auto blocks = BlocksOf(recordPath);
    ASSERT_GE(blocks.size(), 3u);
    const auto sent = GoodBlocksSent();
    ASSERT_GE(sent.size(), blocks.size());
    EXPECT_TRUE(
        SameBlocks(blocks, std::vector<SampleBlock>(sent.begin(), sent.begin() + blocks.size())));
}

} // namespace
