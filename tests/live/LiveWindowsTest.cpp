#include "LiveTestSupport.h"
#include "app/CZelmarineDlg.h"
#include "app/ProgramWindows.h"
#include "device/Frame.h"
#include "live/CRealDlg.h"
#include "live/CRecordDlg.h"
#include "plot/CurseWnd.h"
#include "widgets/CButtonTR.h"
#include "widgets/CTimeWnd.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

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

} // namespace
