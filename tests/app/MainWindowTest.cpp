#include "GuiTestSupport.h"
#include "app/CSetDlg.h"
#include "app/CZelmarineDlg.h"
#include "common/DeviceAddress.h"
#include "common/IniFile.h"
#include "common/LocalTime.h"
#include "device/Frame.h"
#include "sim/Simulator.h"
#include "tests/support/TempDir.h"
#include "widgets/CButtonTR.h"
#include "widgets/IpAddressEdit.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

using namespace zel;
using Clock = std::chrono::steady_clock;

namespace {

// Waits, running the event loop, until the condition holds or the time is up.
template <typename Condition> bool WaitFor(Condition condition, int ms = 5000) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (Clock::now() > until)
            return false;
        QTest::qWait(20);
    }
    return true;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimConfig c;
        c.state = 2;
        simulator = std::make_unique<sim::Simulator>(c);
        ASSERT_TRUE(simulator->Start());
        link.SetEndpoint("127.0.0.1", simulator->Port());
    }
    void TearDown() override {
        window.reset();
        simulator->Stop();
    }

    void Open() {
        MainWindowEnvironment environment;
        environment.link = &link;
        environment.wifiProbe = [this](WifiStatusTexts& texts, std::stop_token) {
            ++probes;
            texts = {QStringLiteral("连接状态：已连接"), QStringLiteral("SSID：Bench"),
                     QStringLiteral("信号强度：80%"), QStringLiteral("连接类型：")};
            return wifi.load();
        };
        environment.configPath = dir / "config.ini";
        window = std::make_unique<CZelmarineDlg>(environment);
        window->show();
    }
    QString Text(int id) { return window->findChild<QLabel*>(QString::number(id))->text(); }
    bool WaitConnected() {
        return WaitFor([&] { return Text(1038) == QStringLiteral("连接状态：已连接"); });
    }
    void Click(int id) { window->Button(id)->click(); }

    test::TempDir dir;
    std::unique_ptr<sim::Simulator> simulator;
    DeviceLink link;
    std::atomic<bool> wifi{true};
    std::atomic<int> probes{0};
    std::unique_ptr<CZelmarineDlg> window;
    std::vector<QString> messages;
    MessageBox::Answer answer = MessageBox::Answer::Yes;
    ScopedMessageBoxHandler boxes{[this](const MessageBox::Request& r) {
        messages.push_back(r.text);
        return r.buttons == MessageBox::Buttons::YesNo ? answer : MessageBox::Answer::Ok;
    }};
};

TEST_F(MainWindowTest, WithoutWifiTheInstrumentIsNeverContacted) {
    wifi = false;
    Open();
    ASSERT_TRUE(WaitFor([&] { return probes.load() >= 3; }));
    EXPECT_EQ(simulator->Connections(), 0);
    EXPECT_EQ(Text(1038), QStringLiteral("连接状态：未连接"));
    EXPECT_EQ(Text(1043), QStringLiteral("设备状态: "));
    EXPECT_FALSE(window->SyncButton()->isEnabled());
}

TEST_F(MainWindowTest, ConnectedViewingEnablesSyncAndShowsTheStatus) {
    Open();
    ASSERT_TRUE(WaitConnected());
    EXPECT_TRUE(WaitFor([&] { return window->SyncButton()->isEnabled(); }, 2000));
    EXPECT_EQ(Text(1039), QStringLiteral("设备编号：191012"));
    EXPECT_EQ(Text(1041), QStringLiteral("设备版本：V1.203"));
    EXPECT_EQ(Text(1040), QStringLiteral("设备电量：87%"));
    EXPECT_EQ(Text(1043), QStringLiteral("设备状态：查看状态"));
    EXPECT_EQ(Text(1037), QStringLiteral("SSID：Bench"));
    EXPECT_TRUE(Text(1042).startsWith(QStringLiteral("设备时间：20")));

    simulator->Update([](sim::SimConfig& c) { c.state = 1; });
    ASSERT_TRUE(WaitFor([&] { return Text(1043) == QStringLiteral("设备状态：测量状态"); }));
    EXPECT_FALSE(window->SyncButton()->isEnabled());
    simulator->Update([](sim::SimConfig& c) { c.state = 0; });
    ASSERT_TRUE(WaitFor([&] { return Text(1043) == QStringLiteral("设备状态：错误"); }));
}

TEST_F(MainWindowTest, DeviceWindowChecksAndThePollerHandOff) {
    bool pollerRanDuringWindow = true;
    DeviceStatus given;
    window.reset();
    Open();
    window->SetWindowFactory(CZelmarineDlg::kTransfer, [&](QWidget*, const DeviceStatus* status) {
        pollerRanDuringWindow = window->Poller().Running();
        if (status)
            given = *status;
        auto dialog = std::make_unique<QDialog>();
        QTimer::singleShot(0, dialog.get(), &QDialog::accept);
        return dialog;
    });

    // Not connected yet in the first instant is unlikely to hold; use an unreachable one.
    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::BadChecksum; });
    ASSERT_TRUE(WaitFor([&] { return probes.load() >= 2; }));
    Click(CZelmarineDlg::kLiveView);
    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::None; });
    ASSERT_TRUE(WaitConnected());
    Click(CZelmarineDlg::kLiveView);  // viewing, not measuring
    Click(CZelmarineDlg::kRecording); // same check
    const int generation = window->Poller().Generation();
    Click(CZelmarineDlg::kTransfer); // viewing: opens
    EXPECT_EQ(messages, (std::vector<QString>{QStringLiteral("未能连接到设备!"),
                                              QStringLiteral("设备不是在测量状态"),
                                              QStringLiteral("设备不是在测量状态")}));
    EXPECT_FALSE(pollerRanDuringWindow);
    EXPECT_EQ(given.serial, 12);
    EXPECT_EQ(given.state, 2);
    EXPECT_TRUE(window->Poller().Running());
    EXPECT_EQ(window->Poller().Generation(), generation + 1);

    simulator->Update([](sim::SimConfig& c) { c.state = 1; });
    ASSERT_TRUE(WaitFor([&] { return Text(1043) == QStringLiteral("设备状态：测量状态"); }));
    messages.clear();
    Click(CZelmarineDlg::kTransfer);
    EXPECT_EQ(messages, (std::vector<QString>{QStringLiteral("设备不是在查看状态")}));
}

TEST_F(MainWindowTest, PollerStopsWithinTheRuleWhileTheInstrumentIsSilent) {
    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::NoReply; });
    Open();
    // Let the poller get into its 3 s wait for a reply.
    ASSERT_TRUE(WaitFor([&] { return simulator->Requests().size() >= 1; }));
    QTest::qWait(100);
    const auto start = Clock::now();
    const bool endedByItself = window->Poller().Stop();
    const auto took = Clock::now() - start;
    EXPECT_FALSE(endedByItself);
    EXPECT_LT(took, std::chrono::milliseconds(700));
    EXPECT_FALSE(link.IsOpen());
    // The window keeps working: its event loop turns, and a restart polls again.
    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::None; });
    window->Poller().Start();
    EXPECT_TRUE(WaitConnected());
}

TEST_F(MainWindowTest, ExitQuestionAndTheFarewell) {
    Open();
    ASSERT_TRUE(WaitConnected());
    answer = MessageBox::Answer::No;
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Poller().Running());
    EXPECT_EQ(messages.back(), QStringLiteral("确定要退出Velquist软件吗?"));

    answer = MessageBox::Answer::Yes;
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Poller().Running());
    ASSERT_TRUE(WaitFor([&] {
        const auto r = simulator->Requests();
        return !r.empty() && r.back() == BuildRequest(kCmdStop, {0x56, 0x78});
    }));
}

TEST_F(MainWindowTest, ExitWhileNotConnectedSendsNothing) {
    wifi = false;
    Open();
    ASSERT_TRUE(WaitFor([&] { return probes.load() >= 2; }));
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    QTest::qWait(300);
    EXPECT_EQ(simulator->Connections(), 0);
    EXPECT_TRUE(simulator->Requests().empty());
}

TEST_F(MainWindowTest, ClockSyncSendsThePcTime) {
    simulator->Update([](sim::SimConfig&) {});
    Open();
    ASSERT_TRUE(WaitFor([&] { return window->SyncButton()->isEnabled(); }));
    const std::int64_t before = NowSeconds();
    window->SyncButton()->click();
    std::vector<std::uint8_t> sync;
    for (const auto& r : simulator->Requests())
        if (r[1] == kCmdSetClock)
            sync = r;
    ASSERT_EQ(sync.size(), 10u);
    std::int64_t sent = 0;
    ASSERT_TRUE(
        FromLocalDateTime({2000 + sync[2], sync[3], sync[4], sync[5], sync[6], sync[7]}, sent));
    EXPECT_GE(sent, before - 1);
    EXPECT_LE(sent, NowSeconds());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(window->Poller().Running());

    // A failing instrument gives the message and leaves the last status alone.
    ASSERT_TRUE(WaitFor([&] { return window->SyncButton()->isEnabled(); }));
    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::BadChecksum; });
    window->SyncButton()->click();
    EXPECT_EQ(messages, (std::vector<QString>{QStringLiteral("时间同步失败!")}));
}

TEST_F(MainWindowTest, SettingsOkStoresAndRestartsCancelTouchesNothing) {
    const std::string config = dir / "config.ini";
    Open();
    ASSERT_TRUE(WaitConnected());
    int generation = window->Poller().Generation();

    window->SetWindowFactory(CZelmarineDlg::kSettings, [&](QWidget* parent, const DeviceStatus*) {
        auto dialog = std::make_unique<CSetDlg>(config, parent);
        EXPECT_EQ(dialog->AddressField()->text(), QStringLiteral("192.168.1.1"));
        dialog->AddressField()->setText(QStringLiteral("192.168.4.1"));
        QTimer::singleShot(0, dialog.get(), [d = dialog.get()] {
            d->findChild<QPushButton*>(QStringLiteral("2"))->click();
        });
        return dialog;
    });
    Click(CZelmarineDlg::kSettings);
    EXPECT_FALSE(std::filesystem::exists(config));
    EXPECT_EQ(window->Poller().Generation(), generation);

    window->SetWindowFactory(CZelmarineDlg::kSettings, [&](QWidget* parent, const DeviceStatus*) {
        auto dialog = std::make_unique<CSetDlg>(config, parent);
        QLineEdit* first = dialog->AddressField()->Field(0);
        dialog->AddressField()->setText(QStringLiteral("10.0.0.5"));
        first->setFocus();
        QTimer::singleShot(0, dialog.get(), [d = dialog.get()] {
            d->findChild<QPushButton*>(QStringLiteral("1"))->click();
        });
        return dialog;
    });
    Click(CZelmarineDlg::kSettings);
    EXPECT_EQ(IniFile::ReadOr(config, "ZELMARINE", "ip", ""), "10.0.0.5");
    EXPECT_EQ(window->Poller().Generation(), generation + 1);
    char address[kDeviceAddressSize];
    ReadDeviceAddress(address, config);
    EXPECT_STREQ(address, "10.0.0.5");
}

TEST_F(MainWindowTest, SnapshotsLookFinished) {
    Open();
    ASSERT_TRUE(WaitConnected());
    for (const QSize size : {QSize(1280, 768), QSize(1920, 1080)}) {
        window->RestoreFromMaximized();
        window->resize(size);
        QTest::qWait(100);
        const QImage image = test::GrabWidget(
            *window, QStringLiteral("main-%1x%2").arg(size.width()).arg(size.height()));
        ASSERT_EQ(image.size(), size);
        // The band behind the button row starts dark blue on the left.
        EXPECT_TRUE(test::SameColour(image.pixel(5, 72), 0xFF293955, 2));
        // The buttons sit in their row, 130 wide, 135 apart.
        EXPECT_EQ(window->Button(CZelmarineDlg::kExit)->geometry(), QRect(825, 30, 130, 40));
    }
}

} // namespace
