// The program as an English-speaking user meets it: every window, read through the accessibility
// tree as a screen reader reads it, has no Chinese text left, and no text is cut off by the room
// its control has.
#include "GuiTestSupport.h"
#include "PlotTestSupport.h"
#include "ViewerTestSupport.h"
#include "app/CSetDlg.h"
#include "app/CZelmarineDlg.h"
#include "app/DemoEnvironment.h"
#include "app/ProgramWindows.h"
#include "live/CRealDlg.h"
#include "live/CRecordDlg.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "stored/CTransDlg.h"
#include "stored/CUsbDlg.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestApplication.h"
#include "viewer/CEventDlg.h"
#include "viewer/CStatDlg.h"
#include "viewer/ViewerEvents.h"
#include "viewer/ViewerStatistics.h"
#include "widgets/CButtonTR.h"
#include "widgets/CTimeWnd.h"
#include "widgets/Translations.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

using namespace zel;

namespace {

bool HasChinese(const QString& text) {
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 0x3000 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// Name, description and value of every element of the window's accessibility tree.
void CollectAccessibleTexts(QAccessibleInterface* node, QStringList& texts, int depth = 0) {
    if (!node || depth > 30)
        return;
    for (const auto kind : {QAccessible::Name, QAccessible::Description, QAccessible::Value})
        if (const QString text = node->text(kind); !text.isEmpty())
            texts << text;
    for (int i = 0; i < node->childCount(); ++i)
        CollectAccessibleTexts(node->child(i), texts, depth + 1);
}

// A readout as a screen reader reads it: its caption and its number.
const QRegularExpression kWaveReadout(QStringLiteral("(^|\\|)CH1 waveform: -?[0-9]+(\\||$)"));

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

int WidestLine(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// The checks, each fault named with the window, the control and its text.
void ExpectEnglishAndFitting(QWidget& window, const QString& name) {
    QStringList texts;
    CollectAccessibleTexts(QAccessible::queryAccessibleInterface(&window), texts);
    EXPECT_GE(texts.size(), 3) << name.toStdString();
    for (const QString& text : texts) {
        // The language list names each language in itself.
        if (text != QStringLiteral("中文")) {
            EXPECT_FALSE(HasChinese(text)) << name.toStdString() << ": " << text.toStdString();
        }
    }

    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window))
            continue;
        const QFontMetrics metrics = w->fontMetrics();
        QString text;
        int room = 0;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->wordWrap() || label->textFormat() == Qt::RichText ||
                Qt::mightBeRichText(label->text()))
                continue;
            text = label->text().trimmed();
            room = label->contentsRect().width() - 2 * label->margin();
            const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
            if (!text.isEmpty()) {
                EXPECT_LE(lines * metrics.height(), label->contentsRect().height() + 2)
                    << name.toStdString() << ": " << text.toStdString() << " (height)";
            }
        } else if (auto* bar = qobject_cast<CTimeWnd*>(w)) {
            const QFontMetrics lineMetrics(bar->LineFont());
            EXPECT_LE(bar->LineTop(4) + lineMetrics.height(), bar->height() - 1)
                << name.toStdString();
            for (int i = 0; i < 5; ++i)
                EXPECT_LE(lineMetrics.horizontalAdvance(bar->Line(i)),
                          bar->width() - CTimeWnd::kLineLeft - 1)
                    << name.toStdString() << ": \"" << bar->Line(i).toStdString() << "\"";
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            text = Plain(box->text());
            room = box->width() - 20; // the tick box and its gap
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            text = Plain(button->text());
            room = button->width() - 6;
            if (qobject_cast<CButtonTR*>(w))
                room = button->width() - 40; // the icon beside the caption
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            text = Plain(group->title());
            room = group->width() - 16;
        }
        if (text.isEmpty())
            continue;
        EXPECT_LE(WidestLine(metrics, text), room)
            << name.toStdString() << ": \"" << text.toStdString() << "\" in "
            << w->metaObject()->className() << " " << w->objectName().toStdString();
    }
    test::GrabWidget(window, QStringLiteral("en-") + name);
}

class EnglishWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { test::UseLanguage(UiLanguage::English); }
    void TearDown() override { test::UseLanguage(UiLanguage::Chinese); }
};

// Opens a window from the main window and checks it once `ready` holds (or after 30 s).
template <typename Window>
bool CheckOpened(CZelmarineDlg& main, int button, const QString& name,
                 const std::function<bool(Window&)>& ready) {
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
        ExpectEnglishAndFitting(*window, name);
        checked = true;
        window->close();
    });
    driver.start();
    main.Button(button)->click();
    return checked;
}

TEST_F(EnglishWindowsTest, TheDemoProgramsWindowsSpeakEnglishAndFit) {
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
    const auto polled = [&](const QString& text) {
        state->clear();
        return QTest::qWaitFor([&] { return state->text() == text && main.Poller().Connected(); },
                               10000);
    };
    ASSERT_TRUE(polled(QStringLiteral("State: Measuring")));
    ExpectEnglishAndFitting(main, QStringLiteral("main"));
    // The readouts of the present currents, read as their captions and values; the names
    // follow the readouts within a third of a second.
    const QRegularExpression current(QStringLiteral("^CH[12] current: \\d+A$"));
    QStringList mainTexts;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        mainTexts.clear();
        CollectAccessibleTexts(QAccessible::queryAccessibleInterface(&main), mainTexts);
        return mainTexts.filter(current).size() == 2;
    })) << mainTexts.join(QLatin1Char('|')).toStdString();

    // A screen reader's view of the live view: the readouts by their captions, the information
    // bar's lines and what each plot shows.
    QString said;
    EXPECT_TRUE(CheckOpened<CRealDlg>(
        main, CZelmarineDlg::kLiveView, QStringLiteral("live"), [&](CRealDlg& w) {
            QStringList texts;
            CollectAccessibleTexts(QAccessible::queryAccessibleInterface(&w), texts);
            said = texts.join(QLatin1Char('|'));
            return w.WavePlot()->BlockCount() > 3 && kWaveReadout.match(said).hasMatch();
        }));
    for (const char* part :
         {"CH2 waveform: ", "CH1 trend (A): ", "CH2 trend (A): ", "Difference: ", "Unbalance (%): ",
          "Information bar", "Device No.: 191012", "Waveform plot", "Trend plot", "Showing 0h0m"})
        EXPECT_TRUE(said.contains(QLatin1String(part))) << part << " in " << said.toStdString();
    ASSERT_TRUE(polled(QStringLiteral("State: Measuring")));
    EXPECT_TRUE(CheckOpened<CRecordDlg>(main, CZelmarineDlg::kRecording,
                                        QStringLiteral("recording"),
                                        [](CRecordDlg&) { return true; }));
    EXPECT_TRUE(CheckOpened<CUsbDlg>(main, CZelmarineDlg::kFileAnalysis,
                                     QStringLiteral("file-analysis"),
                                     [](CUsbDlg&) { return true; }));
    QMenu menu;
    environment.extendTitleMenu(menu);
    menu.findChild<QAction*>(QStringLiteral("demo-viewing"))->trigger();
    ASSERT_TRUE(polled(QStringLiteral("State: Viewing")));
    EXPECT_TRUE(CheckOpened<CTransDlg>(main, CZelmarineDlg::kTransfer, QStringLiteral("transfer"),
                                       [](CTransDlg&) { return true; }));
}

TEST_F(EnglishWindowsTest, TheViewerStatisticsAndSettingsSpeakEnglishAndFit) {
    const test::TempDir temp;
    test::ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteTrendRecord(QString::fromStdString(temp.path()),
                                                            test::DriftingCurrents(620, 4))));
    ExpectEnglishAndFitting(*t.viewer, QStringLiteral("viewer"));

    ViewerStatistics& tools = *t.viewer->Statistics();
    QSignalSpy finished(&tools, &ViewerStatistics::JobFinished);
    tools.Button(ViewerStatistics::kStatistics)->click();
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_TRUE(tools.StatisticsWindow());
    ExpectEnglishAndFitting(*tools.StatisticsWindow(), QStringLiteral("statistics"));
    t.viewer->Events()->ShowWindow();
    ASSERT_TRUE(t.viewer->Events()->Window());
    ExpectEnglishAndFitting(*t.viewer->Events()->Window(), QStringLiteral("events"));

    CSetDlg settings(temp / "config.ini");
    settings.show();
    ExpectEnglishAndFitting(settings, QStringLiteral("settings"));

    // Qt's own texts (its file dialogs, message boxes) follow the program's language: the
    // Chinese program loads Debian's Chinese translation of them.
    ASSERT_TRUE(InstallTranslations(UiLanguage::Chinese));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
}

} // namespace
