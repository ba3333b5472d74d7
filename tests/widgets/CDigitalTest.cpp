#include "GuiTestSupport.h"

#include "widgets/CDigital.h"
#include "widgets/ImageResources.h"

#include <QTest>
#include <gtest/gtest.h>
#include <thread>

using namespace zel;
using zel::test::GrabWidget;

namespace {

class CDigitalTest : public ::testing::Test {
protected:
    void SetUp() override {
        strip = LoadBitmapResource(130).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(strip.size(), QSize(204, 32));
        readout.resize(100, 40);
        readout.show();
    }

    // Checks that the readout shows exactly these cells from left, and black everywhere else.
    void ExpectCells(const QImage& image, int left, const std::vector<int>& cells) {
        QImage expected(image.size(), QImage::Format_ARGB32);
        expected.fill(Qt::black);
        for (std::size_t i = 0; i < cells.size(); ++i)
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 12; ++x) {
                    const QPoint at(left + 12 * int(i) + x, 3 + y);
                    if (expected.rect().contains(at))
                        expected.setPixel(at, strip.pixel(12 * cells[i] + x, y));
                }
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_EQ(image.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
    }

    QImage strip;
    CDigital readout;
};

TEST_F(CDigitalTest, CharacterToCellTable) {
    for (char c = '0'; c <= '9'; ++c)
        EXPECT_EQ(CDigital::CellFor(QChar(c)), c - '0');
    const std::pair<QChar, int> others[] = {
        {u'A', 11}, {u'V', 12}, {u'.', 13}, {u'-', 16}, {u' ', 10},          {u':', 10},
        {u'a', 10}, {u'v', 10}, {u'B', 10}, {u'+', 10}, {QChar(0x4E00), 10}, {QChar(0x2212), 10},
    };
    for (const auto& [c, cell] : others)
        EXPECT_EQ(CDigital::CellFor(c), cell) << int(c.unicode());
}

TEST_F(CDigitalTest, MinusFifteenIsCentredThreePixelsFromTheTop) {
    readout.SetText(QStringLiteral("-15"));
    EXPECT_EQ(CDigital::FirstGlyphX(100, 3), 32);
    ExpectCells(GrabWidget(readout, "minus15"), 32, {16, 1, 5});
}

TEST_F(CDigitalTest, LettersAndPointsUseTheirCells) {
    readout.SetText(QStringLiteral("12.5A"));
    ExpectCells(GrabWidget(readout, "12.5A"), (100 - 60) / 2, {1, 2, 13, 5, 11});
    readout.SetText(QStringLiteral("V1.203"));
    ExpectCells(GrabWidget(readout, "V1.203"), (100 - 72) / 2, {12, 1, 13, 2, 0, 3});
    readout.SetText(QStringLiteral("1 2:3"));
    ExpectCells(GrabWidget(readout, "blanks"), (100 - 60) / 2, {1, 10, 2, 10, 3});
}

TEST_F(CDigitalTest, EmptyTextLeavesABlackBox) {
    readout.SetText(QStringLiteral("8"));
    readout.SetText(QString());
    ExpectCells(GrabWidget(readout, "empty"), 0, {});
}

TEST_F(CDigitalTest, TooWideTextOverflowsOnBothSides) {
    readout.SetText(QStringLiteral("1234567890"));
    // (100 - 120) / 2 = -10: the first cell starts ten pixels left of the readout.
    ExpectCells(GrabWidget(readout, "overflow"), -10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0});
    // An odd overshoot truncates toward zero.
    EXPECT_EQ(CDigital::FirstGlyphX(101, 10), -9);
    EXPECT_EQ(CDigital::FirstGlyphX(101, 3), 32);
}

TEST_F(CDigitalTest, TextFromAWorkerThreadArrivesOnTheWindowThread) {
    std::thread worker([this] { readout.SetText(QStringLiteral("153A")); });
    worker.join();
    EXPECT_EQ(readout.Text(), QString());
    ASSERT_TRUE(QTest::qWaitFor([this] { return readout.Text() == QStringLiteral("153A"); }));
    ExpectCells(GrabWidget(readout, "from-thread"), (100 - 48) / 2, {1, 5, 3, 11});
}

TEST_F(CDigitalTest, GlyphStripHasCyanFiguresMagentaLettersAndBlankCells) {
    auto colours = [this](int cell) {
        std::set<QRgb> found;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 12; ++x)
                found.insert(strip.pixel(12 * cell + x, y));
        return found;
    };
    const QRgb black = 0xFF000000, cyan = 0xFF00FFFF, magenta = 0xFFFF00FF;
    for (int cell : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 14, 16})
        EXPECT_EQ(colours(cell), (std::set<QRgb>{black, cyan})) << cell;
    for (int cell : {11, 12})
        EXPECT_EQ(colours(cell), (std::set<QRgb>{black, magenta})) << cell;
    for (int cell : {10, 15})
        EXPECT_EQ(colours(cell), std::set<QRgb>{black}) << cell;
    test::SaveSnapshot(strip.scaled(strip.size() * 4), "strip");
}

} // namespace
