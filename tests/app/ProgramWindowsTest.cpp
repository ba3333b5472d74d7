#include "app/ProgramWindows.h"
#include "GuiTestSupport.h"
#include "app/CZelmarineDlg.h"
#include "app/DemoEnvironment.h"
#include "live/CRealDlg.h"
#include "live/CRecordDlg.h"
#include "plot/WaveWnd.h"
#include "stored/CTransDlg.h"
#include "stored/CUsbDlg.h"
#include "tests/support/TempDir.h"
#include "viewer/ViewDlg.h"
#include "widgets/CButtonTR.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

using namespace zel;

namespace {

// Clicks a main-window button and, while the window it opens runs its own modal loop, checks
// every 20 ms whether `ready` holds for it; closes it then (or after 30 s). Returns whether a
// window of the expected class opened and became ready.
template <typename Window>
bool OpensAndWorks(CZelmarineDlg& main, int button, const std::function<bool(Window&)>& ready) {
    bool opened = false, worked = false;
    QTimer driver;
    driver.setInterval(20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == &main)
            return;
        auto* window = qobject_cast<Window*>(modal);
        opened = opened || window;
        if (!window) {
            modal->close();
            return;
        }
        worked = ready(*window);
        if (worked || std::chrono::steady_clock::now() > deadline)
            window->close();
    });
    driver.start();
    main.Button(button)->click(); // returns when the window has closed
    return opened && worked;
}

// The program on its simulated instrument, as `zelmarine --demo` runs it: every button of the
// main window opens its own window, and the device windows work against the demo instrument.
TEST(ProgramWindowsTest, EveryButtonOfTheDemoOpensItsWindow) {
    test::TempDir dir;
    ScopedMessageBoxHandler boxes(
        [](const MessageBox::Request&) { return MessageBox::Answer::Ok; });
    DemoEnvironment demo;
    ASSERT_TRUE(demo.Start());
    const MainWindowEnvironment environment = demo.Environment();
    CZelmarineDlg main(environment);
    RegisterProgramWindows(main, *environment.link, demo.RemovableDrives(), dir / "ZMR");
    main.show();
    QLabel* stateLabel = main.findChild<QLabel*>(QStringLiteral("1043"));
    // A device window stops the poller and starts it again when it closes; the buttons check
    // the latest poll, so wait for a poll made since then (the label is only set by polls).
    const auto freshPollShows = [&](const QString& state) {
        stateLabel->clear();
        return QTest::qWaitFor(
            [&] { return stateLabel->text() == state && main.Poller().Connected(); }, 10000);
    };
    const QString measuring = QStringLiteral("设备状态：测量状态");
    ASSERT_TRUE(freshPollShows(measuring));

    EXPECT_TRUE(
        OpensAndWorks<CViewDlg>(main, CZelmarineDlg::kViewer, [](CViewDlg&) { return true; }));
    EXPECT_TRUE(OpensAndWorks<CRealDlg>(main, CZelmarineDlg::kLiveView, [](CRealDlg& window) {
        return window.WavePlot()->BlockCount() > 0;
    }));
    ASSERT_TRUE(freshPollShows(measuring));
    EXPECT_TRUE(OpensAndWorks<CRecordDlg>(main, CZelmarineDlg::kRecording,
                                          [](CRecordDlg&) { return true; }));
    EXPECT_TRUE(
        OpensAndWorks<CUsbDlg>(main, CZelmarineDlg::kFileAnalysis, [](CUsbDlg&) { return true; }));

    // The transfer needs the instrument in its viewing state; the demo's title menu sets it.
    QMenu menu;
    environment.extendTitleMenu(menu);
    QAction* viewing = menu.findChild<QAction*>(QStringLiteral("demo-viewing"));
    ASSERT_TRUE(viewing);
    viewing->trigger();
    ASSERT_TRUE(freshPollShows(QStringLiteral("设备状态：查看状态")));
    EXPECT_TRUE(
        OpensAndWorks<CTransDlg>(main, CZelmarineDlg::kTransfer, [](CTransDlg&) { return true; }));
}

} // namespace
