#include "GuiTestSupport.h"
#include "app/CZelmarineDlg.h"
#include "app/DemoEnvironment.h"
#include "app/ProgramWindows.h"
#include "stored/CTransDlg.h"
#include "stored/CUsbDlg.h"
#include "stored/ReportList.h"
#include "tests/support/TempDir.h"
#include "widgets/CButtonTR.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

using namespace zel;

namespace {

// Opens the window behind a main-window button and drives it with `step`, called every 20 ms
// while the window's own modal loop runs, until step returns true (or time runs out).
template <typename Window>
void RunWindow(CZelmarineDlg& main, int button, const std::function<bool(Window&)>& step) {
    QTimer driver;
    driver.setInterval(20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window)
            return;
        if (step(*window) || std::chrono::steady_clock::now() > deadline)
            window->close();
    });
    driver.start();
    main.Button(button)->click(); // returns when the window has closed
}

TEST(StoredDemoTest, TheDemoInstrumentIsTransferredAndItsStickAnalysed) {
    test::TempDir dir;
    std::vector<QString> boxes;
    ScopedMessageBoxHandler handler([&](const MessageBox::Request& r) {
        boxes.push_back(r.text);
        return MessageBox::Answer::Ok;
    });
    DemoEnvironment demo;
    ASSERT_TRUE(demo.Start());
    const MainWindowEnvironment environment = demo.Environment();
    CZelmarineDlg main(environment);
    RegisterStoredRecordWindows(main, *environment.link, demo.RemovableDrives(), dir / "ZMR");
    main.show();
    const auto stateText = [&] { return main.findChild<QLabel*>(QStringLiteral("1043"))->text(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return stateText() == QStringLiteral("设备状态：测量状态"); },
                                10000));

    // The title strip's menu switches the demo instrument to viewing, as the transfer needs.
    QMenu menu;
    environment.extendTitleMenu(menu);
    QAction* measuring = menu.findChild<QAction*>(QStringLiteral("demo-measuring"));
    QAction* viewing = menu.findChild<QAction*>(QStringLiteral("demo-viewing"));
    ASSERT_TRUE(measuring && viewing);
    EXPECT_TRUE(measuring->isChecked());
    viewing->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return stateText() == QStringLiteral("设备状态：查看状态"); },
                                10000));

    bool started = false;
    int transferred = -1;
    RunWindow<CTransDlg>(main, CZelmarineDlg::kTransfer, [&](CTransDlg& window) {
        if (!started) {
            started = true;
            window.StartButton()->click();
        }
        if (boxes.empty())
            return false;
        transferred = window.List()->RowCount();
        test::GrabWidget(window, QStringLiteral("demo-transfer"));
        return true;
    });
    ASSERT_EQ(boxes, std::vector<QString>{QStringLiteral("数据传输完成!")});
    EXPECT_EQ(transferred, 3);

    int listed = -1;
    int analysed = -1;
    RunWindow<CUsbDlg>(main, CZelmarineDlg::kFileAnalysis, [&](CUsbDlg& window) {
        if (listed < 0) {
            listed = window.FileList()->RowCount();
            window.findChild<QCheckBox*>(QStringLiteral("1058"))->click();
            window.findChild<QPushButton*>(QStringLiteral("1054"))->click();
        }
        if (window.Analysing())
            return false;
        analysed = window.RecordList()->RowCount();
        test::GrabWidget(window, QStringLiteral("demo-analysis"));
        return true;
    });
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(analysed, 2);
    EXPECT_EQ(boxes.size(), 1u);
}

} // namespace
