// The program as a new user meets it, in English and in Chinese, on a 1366 x 768 screen with only
// the fonts and font rules a fresh machine has after the setup (see support/fresh-fonts.conf.in):
// every window, read through the accessibility tree as a screen reader reads it, has no Chinese
// text left in English; no text is cut off by the room its control has, also when the values
// that change at run time are at their widest; and Tab goes through the controls in the order
// a user reads them.
#include "GuiTestSupport.h"
#include "PlotTestSupport.h"
#include "ViewerTestSupport.h"
#include "WindowTextChecks.h"
#include "app/CSetDlg.h"
#include "app/CZelmarineDlg.h"
#include "app/DemoEnvironment.h"
#include "app/ProgramWindows.h"
#include "live/CRealDlg.h"
#include "live/CRecordDlg.h"
#include "live/LiveEventWatch.h"
#include "platform/SimulatedWifiBackend.h"
#include "platform/WifiProbe.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "sim/Simulator.h"
#include "stored/CTransDlg.h"
#include "stored/CUsbDlg.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestApplication.h"
#include "viewer/CEventDlg.h"
#include "viewer/CStatDlg.h"
#include "viewer/ViewerEvents.h"
#include "viewer/ViewerStatistics.h"
#include "widgets/CButtonTR.h"
#include "widgets/CDigital.h"
#include "widgets/CTimeWnd.h"
#include "widgets/Translations.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>

using namespace zel;
using test::EveryDigit;

namespace {

QString Tr(const char* context, const char* text) {
    return QCoreApplication::translate(context, text);
}

// A readout as a screen reader reads it: its caption and its number.
const QRegularExpression kWaveReadout(QStringLiteral("(^|\\|)CH1 waveform: -?[0-9]+(\\||$)"));

class WindowTextsTest : public ::testing::TestWithParam<UiLanguage> {
protected:
    void SetUp() override { test::UseLanguage(GetParam()); }
    void TearDown() override { test::UseLanguage(UiLanguage::Chinese); }
    bool English() const { return GetParam() == UiLanguage::English; }
};

// Opens a window from the main window and runs `check` on it once `ready` holds (or after 30 s).
template <typename Window>
bool CheckOpened(CZelmarineDlg& main, int button, const std::function<bool(Window&)>& ready,
                 const std::function<void(Window&)>& check) {
    bool checked = false;
    QTimer driver;
    driver.setInterval(20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window)
            return;
        if (!ready(*window) && std::chrono::steady_clock::now() < deadline)
            return;
        driver.stop();
        check(*window);
        checked = true;
        window->close();
    });
    driver.start();
    main.Button(button)->click();
    return checked;
}

// A time of day today in local time, as the event line shows it.
std::int64_t Today(int hour, int minute, int second) {
    return QDateTime(QDate::currentDate(), QTime(hour, minute, second)).toSecsSinceEpoch();
}

// The information bar of a live window with every line at its widest: device numbers and
// versions of every digit, a start time and counts of every digit, and the longest event line
// of each limit (the largest current, a negative difference, a full unbalance).
void ExpectLiveBarFitsWidest(CTimeWnd& bar, const QString& where) {
    for (const QString& digits : EveryDigit(QStringLiteral("##########"))) {
        const int digit = digits.left(1).toInt();
        bar.SetDevice(111111 * digit, 11111 * digit);
        bar.SetStartTime(
            QStringLiteral("####-##-## ##:##:##").replace(QLatin1Char('#'), digits.at(0)));
        bar.SetDataCount(digits);
        const struct {
            LimitKind limit;
            std::int32_t max;
        } worst[] = {{LimitKind::Ch1, 65535},
                     {LimitKind::Ch2, 65535},
                     {LimitKind::Difference, -65535},
                     {LimitKind::Unbalance, 100}};
        for (const auto& w : worst) {
            for (const std::int64_t time : {Today(8, 8, 8), Today(18, 58, 58), Today(23, 59, 59)}) {
                bar.SetEventLines(LiveEventWatch::CountText(digits.left(7).toLongLong()),
                                  LiveEventWatch::EventText({w.limit, time, w.max}));
                test::ExpectBarFits(bar, where);
            }
        }
    }
}

// The six readouts of a live window or the viewer: the samples and the difference may be
// negative five-digit values, the currents five digits, the unbalance up to 100.
template <typename Window> void ExpectReadoutsHoldTheirValues(const Window& w, const QString& at) {
    const int widest[] = {6, 6, 5, 5, 6, 3};
    for (int k = 0; k < 6; ++k)
        test::ExpectReadoutHolds(w.Readout(1001 + k), widest[k], at);
}

TEST_P(WindowTextsTest, TheDemoProgramsWindowsFitTheirTextsAndReadInOrder) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().size(), QSize(1366, 768));
    test::TempDir dir;
    ScopedMessageBoxHandler boxes(
        [](const MessageBox::Request&) { return MessageBox::Answer::Ok; });
    DemoEnvironment demo;
    ASSERT_TRUE(demo.Start());
    const MainWindowEnvironment environment = demo.Environment();
    CZelmarineDlg main(environment);
    RegisterProgramWindows(main, *environment.link, demo.RemovableDrives(), dir / "ZMR");
    main.show();
    QLabel* state = main.findChild<QLabel*>(QStringLiteral("1043"));
    const auto polled = [&](const char* stateText) {
        const QString text =
            Tr("zel::StatusPoller", "设备状态：") + Tr("zel::DeviceText", stateText);
        state->clear();
        return QTest::qWaitFor([&] { return state->text() == text && main.Poller().Connected(); },
                               10000);
    };
    ASSERT_TRUE(polled("测量状态"));
    test::ExpectTextsFit(main, QStringLiteral("main"));
    test::ExpectReadingTabOrder(main, QStringLiteral("main"));
    if (English()) {
        // The readouts of the present currents, read as their captions and values; the names
        // follow the readouts within a third of a second.
        const QRegularExpression current(QStringLiteral("^CH[12] current: \\d+A$"));
        QStringList mainTexts;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            mainTexts = test::AccessibleTexts(main);
            return mainTexts.filter(current).size() == 2;
        })) << mainTexts.join(QLatin1Char('|')).toStdString();
    }

    // A screen reader's view of the live view: the readouts by their captions, the information
    // bar's lines and what each plot shows.
    QString said;
    EXPECT_TRUE(CheckOpened<CRealDlg>(
        main, CZelmarineDlg::kLiveView,
        [&](CRealDlg& w) {
            said = test::AccessibleTexts(w).join(QLatin1Char('|'));
            return w.WavePlot()->BlockCount() > 3 &&
                   (!English() || kWaveReadout.match(said).hasMatch());
        },
        [](CRealDlg& w) {
            ExpectLiveBarFitsWidest(*w.InfoBar(), QStringLiteral("live"));
            ExpectReadoutsHoldTheirValues(w, QStringLiteral("live"));
            test::ExpectTextsFit(w, QStringLiteral("live"));
            test::ExpectReadingTabOrder(w, QStringLiteral("live"));
        }));
    if (English()) {
        for (const char* part :
             {"CH2 waveform: ", "CH1 trend (A): ", "CH2 trend (A): ", "Difference: ",
              "Unbalance (%): ", "Information bar", "Device No.: 191012", "Waveform plot",
              "Trend plot", "Showing 0h0m"})
            EXPECT_TRUE(said.contains(QLatin1String(part))) << part << " in " << said.toStdString();
    }
    ASSERT_TRUE(polled("测量状态"));
    EXPECT_TRUE(CheckOpened<CRecordDlg>(
        main, CZelmarineDlg::kRecording, [](CRecordDlg&) { return true; },
        [](CRecordDlg& w) {
            ExpectLiveBarFitsWidest(*w.InfoBar(), QStringLiteral("recording"));
            test::ExpectTextsFit(w, QStringLiteral("recording"));
            test::ExpectReadingTabOrder(w, QStringLiteral("recording"));
        }));
    EXPECT_TRUE(CheckOpened<CUsbDlg>(
        main, CZelmarineDlg::kFileAnalysis, [](CUsbDlg&) { return true; },
        [](CUsbDlg& w) {
            test::ExpectEachFits(
                w.findChild<QLabel*>(QString::number(CUsbDlg::kStatusText)),
                {Tr("zel::CUsbDlg", "开始分析..."), Tr("zel::CUsbDlg", "分析完成...")},
                QStringLiteral("file-analysis"));
            test::ExpectTextsFit(w, QStringLiteral("file-analysis"));
            test::ExpectReadingTabOrder(w, QStringLiteral("file-analysis"));
        }));
    QMenu menu;
    environment.extendTitleMenu(menu);
    menu.findChild<QAction*>(QStringLiteral("demo-viewing"))->trigger();
    ASSERT_TRUE(polled("查看状态"));
    // Now with the sync button, which only the viewing state enables.
    test::ExpectReadingTabOrder(main, QStringLiteral("main-viewing"));
    EXPECT_TRUE(CheckOpened<CTransDlg>(
        main, CZelmarineDlg::kTransfer, [](CTransDlg&) { return true; },
        [](CTransDlg& w) {
            // The progress as the transfer reports it: up to 64 slots of 65535 frames each.
            QStringList progress;
            for (const char* text : {"准备传输", "正在读取存储信息", "正在保存数据"})
                progress << DeviceText(text);
            for (const QString& n : EveryDigit(QStringLiteral("#######")))
                progress << DeviceText(QStringLiteral("第%1帧/共%1帧").arg(n).toStdString());
            progress << Tr("zel::CTransDlg", "传输已停止");
            test::ExpectEachFits(w.findChild<QLabel*>(QString::number(CTransDlg::kStatusText)),
                                 progress, QStringLiteral("transfer"));
            test::ExpectTextsFit(w, QStringLiteral("transfer"));
            test::ExpectReadingTabOrder(w, QStringLiteral("transfer"));
        }));
}

// The main window on an instrument at the end of every range it reports, on a network whose
// name is as long as names go (32 bytes) and as wide as letters go.
struct MainAtWidest {
    MainAtWidest() : simulator(Config()) {
        EXPECT_TRUE(simulator.Start());
        link.SetEndpoint("127.0.0.1", simulator.Port());
        MainWindowEnvironment environment;
        environment.link = &link;
        environment.wifiProbe = [](WifiStatusTexts& texts, std::stop_token) {
            return Probe(texts, kWifiAuthRsnaPsk);
        };
        environment.configPath = dir / "config.ini";
        window = std::make_unique<CZelmarineDlg>(environment);
        window->show();
    }
    static sim::SimConfig Config() {
        sim::SimConfig config;
        config.serial = 65535;
        config.version = 65535;
        config.battery = 100;
        config.state = 3;
        config.ch1Current = config.ch2Current = 65535;
        return config;
    }
    static bool Probe(WifiStatusTexts& texts, std::uint32_t security) {
        SimulatedWifiBackend backend(kSsid, 100, security);
        return ProbeWifiStatus(texts, backend) == 0;
    }
    bool Polled() const {
        return QTest::qWaitFor(
            [&] {
                return window->findChild<CDigital*>(QStringLiteral("1004"))->Text() ==
                           QStringLiteral("65535A") &&
                       Line(1043)->text() != Tr("zel::StatusPoller", "设备状态: ");
            },
            10000);
    }
    QLabel* Line(int id) const { return window->findChild<QLabel*>(QString::number(id)); }

    // The texts the status lines take at other times, each at its widest: the clock for every
    // digit (and the largest year a byte gives), every state, every security, the device
    // numbers and versions of every digit, both connection states.
    std::map<int, QStringList> OtherTexts() const {
        std::map<int, QStringList> texts;
        const QString clock = Tr("zel::StatusPoller", "设备时间：");
        for (int d = 0; d <= 9; ++d)
            texts[1042] << clock +
                               QStringLiteral("%1-%2-%2 %2:%2:%2").arg(2000 + 11 * d).arg(11 * d);
        texts[1042] << clock + QStringLiteral("2255-12-31 23:59:59");
        texts[1043] << Tr("zel::StatusPoller", "设备状态: ");
        for (const char* s : {"测量状态", "查看状态", "回放状态", "错误"})
            texts[1043] << Tr("zel::StatusPoller", "设备状态：") + Tr("zel::DeviceText", s);
        for (std::uint32_t code = kWifiAuthOpen; code <= kWifiAuthWpa3Enterprise; ++code) {
            WifiStatusTexts probed;
            EXPECT_TRUE(Probe(probed, code));
            texts[1036] << probed[3];
        }
        for (const QString& n : EveryDigit(QStringLiteral("######")))
            texts[1039] << Tr("zel::StatusPoller", "设备编号：") + n;
        for (const QString& v : EveryDigit(QStringLiteral("V##.###")))
            texts[1041] << Tr("zel::StatusPoller", "设备版本：") + v;
        for (const int id : {1033, 1038})
            texts[id] << Tr("zel::StatusPoller", "连接状态：未连接")
                      << Tr("zel::StatusPoller", "连接状态：已连接");
        return texts;
    }
    void ExpectOtherTextsFit(const QString& where) const {
        for (const auto& [id, texts] : OtherTexts())
            test::ExpectEachFits(Line(id), texts,
                                 where + QStringLiteral(": line ") + QString::number(id));
    }

    static inline const std::string kSsid = std::string(32, 'W');
    sim::Simulator simulator;
    DeviceLink link;
    test::TempDir dir;
    std::unique_ptr<CZelmarineDlg> window;
};

TEST_P(WindowTextsTest, TheMainWindowFitsItsWidestStatus) {
    MainAtWidest t;
    ASSERT_TRUE(t.Polled());
    CZelmarineDlg& main = *t.window;
    test::ExpectTextsFit(main, QStringLiteral("main-widest"));
    test::ExpectReadoutHolds(main.findChild<CDigital*>(QStringLiteral("1003")), 6, "main");
    test::ExpectReadoutHolds(main.findChild<CDigital*>(QStringLiteral("1004")), 6, "main");
    test::ExpectReadingTabOrder(main, QStringLiteral("main-widest"));

    // The name, too long for its line, is shortened in the middle; the whole name is the
    // line's tooltip and what a screen reader says.
    const QString name = Tr("zel::WifiProbe", "SSID：") + QString::fromStdString(t.kSsid);
    QLabel* ssidLine = t.Line(1037);
    EXPECT_TRUE(ssidLine->text().contains(QChar(0x2026))) << ssidLine->text().toStdString();
    EXPECT_TRUE(ssidLine->text().startsWith(Tr("zel::WifiProbe", "SSID：") + "WW"));
    EXPECT_TRUE(ssidLine->text().endsWith(QStringLiteral("WW")));
    EXPECT_EQ(ssidLine->toolTip(), name);
    EXPECT_TRUE(test::AccessibleTexts(main).contains(name));

    t.ExpectOtherTextsFit(QStringLiteral("main"));
    // For a person to look at: every line at its widest.
    for (const auto& [id, texts] : t.OtherTexts())
        t.Line(id)->setText(
            *std::max_element(texts.begin(), texts.end(), [&](const QString& a, const QString& b) {
                return main.fontMetrics().horizontalAdvance(a) <
                       main.fontMetrics().horizontalAdvance(b);
            }));
    test::GrabWidget(main, QStringLiteral("main-widest-values"));
}

// A language whose words are longer than the room the windows were drawn with: the main
// window's panels and the bars make room, in the face this machine has.
class LongerWords : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override {
        const QByteArray text(source);
        if (text == "设备时间：")
            return QStringLiteral("Time on the instrument's own clock: ");
        if (text == "连接类型：")
            return QStringLiteral("Security of the wireless network: ");
        if (text == "总数据数:" && QByteArray(context) == "zel::CTimeWnd")
            return QStringLiteral("Number of data points recorded: ");
        return {};
    }
};

TEST(WindowTextsGrowTest, TheWindowsMakeRoomForLongerWords) {
    test::UseLanguage(UiLanguage::English);
    LongerWords longer;
    QCoreApplication::installTranslator(&longer);
    {
        MainAtWidest t;
        ASSERT_TRUE(t.Polled());
        test::ExpectTextsFit(*t.window, QStringLiteral("main-longer"));
        t.ExpectOtherTextsFit(QStringLiteral("main-longer"));
        // The panels keep their order without overlapping, the sync button right of the clock
        // and inside its panel.
        std::vector<QRect> panels;
        for (QGroupBox* box : t.window->findChildren<QGroupBox*>())
            panels.push_back(box->geometry());
        std::sort(panels.begin(), panels.end(),
                  [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
        ASSERT_EQ(panels.size(), 3u);
        EXPECT_LT(panels[0].right(), panels[1].left());
        EXPECT_LT(panels[1].right(), panels[2].left());
        const QRect sync = t.window->findChild<QPushButton*>(QStringLiteral("1052"))->geometry();
        EXPECT_GT(sync.left(), t.Line(1042)->geometry().right());
        EXPECT_TRUE(panels[1].contains(sync));
        EXPECT_TRUE(panels[0].contains(t.Line(1036)->geometry()));
    }
    {
        const test::TempDir temp;
        test::ViewerUnderTest t(1366, 768);
        ASSERT_TRUE(t.viewer->OpenRecord(test::WriteTrendRecord(QString::fromStdString(temp.path()),
                                                                test::DriftingCurrents(620, 4))));
        t.viewer->InfoBar()->SetDataCount(QStringLiteral("4294967295"));
        test::ExpectBarFits(*t.viewer->InfoBar(), QStringLiteral("viewer-longer"));
        // The columns give the bar its room.
        EXPECT_LE(t.Control(1016)->geometry().right(),
                  t.viewer->InfoBar()->mapTo(t.viewer.get(), QPoint(0, 0)).x());
        test::GrabWidget(*t.viewer, QStringLiteral("viewer-longer"));
    }
    QCoreApplication::removeTranslator(&longer);
    test::UseLanguage(UiLanguage::Chinese);
}

TEST_P(WindowTextsTest, TheViewerStatisticsEventsAndSettingsFit) {
    const test::TempDir temp;
    test::ViewerUnderTest t(1366, 768);
    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteTrendRecord(QString::fromStdString(temp.path()),
                                                            test::DriftingCurrents(620, 4))));
    // A record file holds the device number and version as signed 16-bit values and the count
    // in 32 bits: the bar at its widest for each digit.
    CTimeWnd& bar = *t.viewer->InfoBar();
    for (const QString& digits : EveryDigit(QStringLiteral("##########"))) {
        const int digit = digits.left(1).toInt();
        for (const int version : {11111 * digit, -(20000 + 1111 * digit)}) {
            bar.SetDevice(111111 * digit, version);
            bar.SetStartTime(
                QStringLiteral("####-##-## ##:##:##").replace(QLatin1Char('#'), digits.at(0)));
            bar.SetDataCount(digits);
            test::ExpectBarFits(bar, QStringLiteral("viewer"));
        }
    }
    ExpectReadoutsHoldTheirValues(*t.viewer, QStringLiteral("viewer"));
    test::ExpectTextsFit(*t.viewer, QStringLiteral("viewer"));
    test::ExpectReadingTabOrder(*t.viewer, QStringLiteral("viewer"));

    ViewerStatistics& tools = *t.viewer->Statistics();
    QSignalSpy finished(&tools, &ViewerStatistics::JobFinished);
    tools.Button(ViewerStatistics::kStatistics)->click();
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_TRUE(tools.StatisticsWindow());
    test::ExpectTextsFit(*tools.StatisticsWindow(), QStringLiteral("statistics"));
    test::ExpectReadingTabOrder(*tools.StatisticsWindow(), QStringLiteral("statistics"));
    t.viewer->Events()->ShowWindow();
    CEventDlg* events = t.viewer->Events()->Window();
    ASSERT_TRUE(events);
    QStringList counts;
    for (const QString& n : EveryDigit(QStringLiteral("########")))
        counts << Tr("zel::CEventDlg", "共%1个事件（列出前%2个）").arg(n).arg(CEventDlg::kMaxRows);
    counts << Tr("zel::CEventDlg", "未设定越限值") << Tr("zel::CEventDlg", "正在查找…");
    test::ExpectEachFits(events->findChild<QLabel*>(QStringLiteral("count")), counts,
                         QStringLiteral("events"));
    test::ExpectTextsFit(*events, QStringLiteral("events"));
    test::ExpectReadingTabOrder(*events, QStringLiteral("events"));

    CSetDlg settings(temp / "config.ini");
    settings.show();
    test::ExpectTextsFit(settings, QStringLiteral("settings"));
    test::ExpectReadingTabOrder(settings, QStringLiteral("settings"));

    // Qt's own texts (its file dialogs, message boxes) follow the program's language: the
    // Chinese program loads Debian's Chinese translation of them.
    ASSERT_TRUE(InstallTranslations(UiLanguage::Chinese));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
}

INSTANTIATE_TEST_SUITE_P(InEachLanguage, WindowTextsTest,
                         ::testing::Values(UiLanguage::English, UiLanguage::Chinese),
                         [](const ::testing::TestParamInfo<UiLanguage>& info) {
                             return info.param == UiLanguage::English ? "English" : "Chinese";
                         });

} // namespace
