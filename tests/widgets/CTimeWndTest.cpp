#include "GuiTestSupport.h"

#include "widgets/CTimeWnd.h"

#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

using namespace zel;
using zel::test::GrabWidget;

namespace {

class CTimeWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar.resize(220, 100);
        bar.show();
    }

    // Rows of the image in which some pixel differs from the other image.
    static QRect Differences(const QImage& a, const QImage& b) {
        QRect box;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y))
                    box |= QRect(x, y, 1, 1);
        return box;
    }

    CTimeWnd bar;
};

TEST_F(CTimeWndTest, VersionTexts) {
    const std::pair<int, const char*> cases[] = {
        {1203, "V1.203"}, {7, "V0.007"}, {12345, "V12.345"}, {0, "V0.000"}, {1000, "V1.000"},
    };
    for (const auto& [version, text] : cases)
        EXPECT_EQ(CTimeWnd::VersionText(version), QString::fromLatin1(text)) << version;
}

TEST_F(CTimeWndTest, InitialLines) {
    EXPECT_EQ(bar.Line(0), QStringLiteral("设备编号:0"));
    EXPECT_EQ(bar.Line(1), QStringLiteral("版本号:V0.000"));
    EXPECT_EQ(bar.Line(2), QStringLiteral("开始时间:"));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^当前时间:\\d{4}-\\d{2}-\\d{2},\\d{2}:\\d{2}:\\d{2}$"))
            .match(bar.Line(3))
            .hasMatch())
        << bar.Line(3).toStdString();
    EXPECT_EQ(bar.Line(4), QStringLiteral("总数据数:0"));
}

TEST_F(CTimeWndTest, DeviceAndVersionAreDrawnOnTheirLines) {
    bar.SetDevice(191012, 1203);
    EXPECT_EQ(bar.Line(0), QStringLiteral("设备编号:191012"));
    EXPECT_EQ(bar.Line(1), QStringLiteral("版本号:V1.203"));
    const QImage v1203 = GrabWidget(bar, "V1.203");

    // Background, outline and black text at the left margin.
    EXPECT_EQ(v1203.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(v1203.pixel(219, 99), 0xFF000000u);
    EXPECT_EQ(v1203.pixel(210, 95), CTimeWnd::kBackground);
    const QRect text =
        test::BoundingBox(v1203, QRect(1, 1, 218, 98), [](QRgb c) { return qGray(c) < 0x60; });
    ASSERT_FALSE(text.isEmpty());
    EXPECT_GE(text.left(), 5);
    EXPECT_LE(text.left(), 7);
    EXPECT_GE(text.top(), 10);

    // Another version changes the second line only; another device number the first only.
    for (const auto& [version, name] : {std::pair{7, "V0.007"}, std::pair{12345, "V12.345"}}) {
        bar.SetDevice(191012, version);
        const QRect changed = Differences(v1203, GrabWidget(bar, name));
        ASSERT_FALSE(changed.isEmpty()) << name;
        EXPECT_GE(changed.top(), bar.LineTop(1)) << name;
        EXPECT_LT(changed.bottom(), bar.LineTop(2)) << name;
    }
    bar.SetDevice(191013, 1203);
    const QRect changed = Differences(v1203, GrabWidget(bar, "191013"));
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_LT(changed.bottom(), bar.LineTop(1));
}

TEST_F(CTimeWndTest, SettersWorkFromAWorkerThread) {
    std::thread worker([this] {
        bar.SetStartTime(QStringLiteral("2026-12-09 08:00:00"));
        bar.SetDataCount(QStringLiteral("17"));
        bar.SetDevice(191000, 1);
    });
    worker.join();
    // Nothing is changed on the worker's thread; the values wait for the bar's own thread.
    EXPECT_EQ(bar.Line(4), QStringLiteral("总数据数:0"));
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return bar.Line(0) == QStringLiteral("设备编号:191000"); }));
    EXPECT_EQ(bar.Line(4), QStringLiteral("总数据数:17"));
    EXPECT_EQ(bar.Line(2), QStringLiteral("开始时间:2026-12-09 08:00:00"));
    GrabWidget(bar, "from-thread");
}

TEST_F(CTimeWndTest, ClockAdvancesEverySecond) {
    const QString first = bar.Line(3);
    // The clock ticks once a second; within three seconds the shown second must have changed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Line(3) != first; }, 3000));
}

} // namespace
