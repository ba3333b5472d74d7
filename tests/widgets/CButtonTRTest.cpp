#include "GuiTestSupport.h"

#include "widgets/CButtonTR.h"
#include "widgets/CMyDialog.h"
#include "widgets/ImageResources.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace zel;
using zel::test::GrabWidget;
using zel::test::SameColour;

namespace {

// A parent that paints one flat colour, which the tests change to see the button's copy of it.
class Backdrop : public QWidget {
public:
    QColor colour = QColor(0x29, 0x39, 0x55);
    std::function<void()> onPaint;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), colour);
        if (onPaint)
            onPaint();
    }
};

QRgb Blend(QRgb under, QRgb over) {
    const int a = qAlpha(over);
    auto mix = [a](int u, int o) { return (o * a + u * (255 - a) + 127) / 255; };
    return qRgb(mix(qRed(under), qRed(over)), mix(qGreen(under), qGreen(over)),
                mix(qBlue(under), qBlue(over)));
}

void SendMove(QWidget& w, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(w.mapToGlobal(at)), Qt::NoButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

class CButtonTRTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.resize(400, 100);
        button = new CButtonTR(QStringLiteral("实时查看"), &parent);
        button->setGeometry(15, 30, 130, 40);
        button->SetIcon(128);
        parent.show();
        parent.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    }

    // Right of the icon, clear of the field's rounded corners.
    static constexpr QRect kCaptionArea{40, 3, 86, 34};

    // Pixels of the caption: those at least half way from the field's colour to the text's.
    static QRect CaptionBox(const QImage& image, QRgb field, QRgb ink) {
        const int middle = (qGreen(field) + qGreen(ink)) / 2;
        const bool darkInk = qGreen(ink) < qGreen(field);
        return test::BoundingBox(image, kCaptionArea, [=](QRgb c) {
            return darkInk ? qGreen(c) < middle : qGreen(c) > middle;
        });
    }

    Backdrop parent;
    CButtonTR* button = nullptr;
};

TEST_F(CButtonTRTest, IconAndCaptionSitWhereTheyBelong) {
    EXPECT_EQ(CButtonTR::IconRect(QSize(130, 40)), QRect(4, 5, 32, 32));
    EXPECT_EQ(CButtonTR::CaptionRect(QSize(130, 40), false), QRect(45, 5, 85, 35));
    EXPECT_EQ(CButtonTR::CaptionRect(QSize(130, 40), true), QRect(46, 6, 85, 35));
    EXPECT_EQ(CButtonTR::IconRect(QSize(130, 20)), QRect(4, 0, 32, 32)); // never above the top

    const QImage image = GrabWidget(*button, "normal");
    const QRgb field = parent.colour.rgb();
    const auto icon =
        LoadIconResource(128).pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(icon.size(), QSize(32, 32));
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(icon.pixel(x, y)) == 255) {
                ASSERT_EQ(image.pixel(4 + x, 5 + y), icon.pixel(x, y)) << x << "," << y;
                ++opaque;
            } else if (qAlpha(icon.pixel(x, y)) == 0) {
                ASSERT_EQ(image.pixel(4 + x, 5 + y), field) << x << "," << y;
            }
    EXPECT_GT(opaque, 400);

    // Around the icon and the caption the button shows the parent's colour.
    for (QPoint p : {QPoint(0, 0), QPoint(3, 20), QPoint(36, 20), QPoint(20, 4), QPoint(129, 39)})
        EXPECT_EQ(image.pixel(p), field) << p.x() << "," << p.y();

    // The caption: light grey, inside its rectangle, vertically centred on it.
    const QRect caption = CaptionBox(image, field, 0xFFEEEEEE);
    ASSERT_FALSE(caption.isEmpty());
    EXPECT_TRUE(QRect(45, 5, 85, 35).contains(caption));
    EXPECT_LE(caption.left(), 47);
    EXPECT_NEAR(caption.center().y(), 5 + 35 / 2, 3);
    const QRect brightest =
        test::BoundingBox(image, caption, [](QRgb c) { return c == 0xFFEEEEEE; });
    EXPECT_FALSE(brightest.isEmpty());
    EXPECT_TRUE(test::BoundingBox(image, caption, [](QRgb c) { return qRed(c) > 0xEE; }).isEmpty());
}

TEST_F(CButtonTRTest, HoverLightsARoundedTranslucentField) {
    SendMove(*button, QPoint(60, 20), Qt::NoButton);
    ASSERT_TRUE(button->IsHovered());
    const QImage image = GrabWidget(*button, "hover");
    const QRgb lit = Blend(parent.colour.rgb(), CButtonTR::kHoverColour);
    for (QPoint p : {QPoint(10, 1), QPoint(2, 20), QPoint(128, 20), QPoint(100, 38)})
        EXPECT_TRUE(SameColour(image.pixel(p), lit, 2)) << p.x() << "," << p.y();
    // The corners stay round: the corner pixel keeps most of the parent's colour.
    EXPECT_TRUE(SameColour(image.pixel(0, 0), parent.colour.rgb(), 40));
    EXPECT_FALSE(SameColour(image.pixel(0, 0), lit, 10));
    // The caption turns white.
    const QRect white =
        test::BoundingBox(image, QRect(45, 5, 85, 35), [](QRgb c) { return c == 0xFFFFFFFF; });
    EXPECT_FALSE(white.isEmpty());

    SendMove(*button, QPoint(200, 20), Qt::NoButton); // outside, still grabbed by tracking
    EXPECT_FALSE(button->IsHovered());
}

TEST_F(CButtonTRTest, ADragThatEntersDoesNotLightTheButton) {
    SendMove(*button, QPoint(60, 20), Qt::LeftButton);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_EQ(GrabWidget(*button, "drag").pixel(10, 1), parent.colour.rgb());
    SendMove(*button, QPoint(61, 20), Qt::NoButton);
    EXPECT_TRUE(button->IsHovered());
}

TEST_F(CButtonTRTest, PressingShowsALightGreyFieldAndShiftsTheCaption) {
    const QRect normal =
        CaptionBox(GrabWidget(*button, "before-press"), parent.colour.rgb(), 0xFFEEEEEE);
    button->setDown(true);
    const QImage image = GrabWidget(*button, "pressed");
    for (QPoint p : {QPoint(10, 1), QPoint(2, 20), QPoint(128, 20)})
        EXPECT_EQ(image.pixel(p), CButtonTR::kPressedColour) << p.x() << "," << p.y();
    const QRect pressed = CaptionBox(image, CButtonTR::kPressedColour, 0xFF000000);
    ASSERT_FALSE(pressed.isEmpty());
    EXPECT_EQ(pressed, normal.translated(1, 1));
    EXPECT_FALSE(
        test::BoundingBox(image, pressed, [](QRgb c) { return c == 0xFF000000; }).isEmpty());
}

TEST_F(CButtonTRTest, BackgroundIsKeptUntilDroppedOrResized) {
    GrabWidget(*button, "first");
    ASSERT_TRUE(button->HasBackground());
    const QRgb old = parent.colour.rgb();
    parent.colour = QColor(0x80, 0x20, 0x20);
    parent.update();
    EXPECT_EQ(GrabWidget(*button, "stale").pixel(2, 2), old);

    button->DropBackground();
    EXPECT_EQ(GrabWidget(*button, "dropped").pixel(2, 2), parent.colour.rgb());

    parent.colour = QColor(0x20, 0x80, 0x20);
    button->resize(140, 40);
    EXPECT_EQ(GrabWidget(*button, "resized").pixel(2, 2), parent.colour.rgb());
}

TEST_F(CButtonTRTest, ParentThatDropsTheCacheWhilePaintingStillGivesABackground) {
    // The main window drops its buttons' backgrounds from its own paint after a resize; that
    // paint also runs while a button copies the parent's pixels.
    parent.onPaint = [this] { button->DropBackground(); };
    parent.colour = QColor(0x44, 0x58, 0x7C);
    button->DropBackground();
    EXPECT_EQ(GrabWidget(*button, "dropped-while-painting").pixel(2, 2), parent.colour.rgb());
}

TEST_F(CButtonTRTest, SmallOnlyIconsAreDoubledPixelForPixel) {
    button->SetIcon(136);
    ASSERT_TRUE(button->HasIcon());
    const QImage image = GrabWidget(*button, "icon136");
    const QImage small =
        LoadIconResource(136).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(small.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (qAlpha(small.pixel(x, y)) != 255)
                continue;
            for (int d = 0; d < 4; ++d)
                ASSERT_EQ(image.pixel(4 + 2 * x + d % 2, 5 + 2 * y + d / 2), small.pixel(x, y));
        }
    }

    button->SetIcon(999);
    EXPECT_FALSE(button->HasIcon());
}

} // namespace

namespace {

// A frame with a dark band that brightens to the right, the backdrop of the command row.
class BandDialog : public CMyDialog {
public:
    BandDialog() : CMyDialog(nullptr, true) {}

protected:
    void PaintClient(QPainter& painter) override {
        const int w = width();
        QLinearGradient band(0, 0, w / 2, 0);
        band.setColorAt(0, QColor(0x29, 0x39, 0x55));
        band.setColorAt(1, QColor(0x44, 0x58, 0x7C));
        band.setSpread(QGradient::RepeatSpread);
        painter.fillRect(QRect(w / 2, 25, w, 50), band);
        painter.fillRect(QRect(0, 25, w / 2 + 1, 50), QColor(0x29, 0x39, 0x55));
        if (const auto picture = LoadPngResource(261)) {
            const int h = int((w - 20) * 0.2658);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(QRect(10, 175 + (height() - h - 175) / 2, w - 20, h), *picture);
        }
    }
};

TEST(CButtonTRRowTest, EachButtonShowsTheBandBehindItsOwnPlace) {
    BandDialog window;
    window.SetTitle(QStringLiteral("Velquist"));
    window.resize(980, 560);
    const std::pair<int, const char*> buttons[] = {
        {128, "实时查看"}, {138, "记录查看"}, {135, "实时录制"}, {137, "记录传输"},
        {136, "设置"},     {134, "文件分析"}, {133, "退出"},
    };
    std::vector<CButtonTR*> row;
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        auto* button = new CButtonTR(QString::fromUtf8(buttons[i].second), &window);
        button->SetIcon(buttons[i].first);
        button->setGeometry(15 + 135 * int(i), 30, 130, 40);
        row.push_back(button);
    }
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    SendMove(*row[2], QPoint(70, 20), Qt::NoButton);
    row[4]->setDown(true);
    const QImage image = GrabWidget(window, "command-row");

    // Right of the middle the band brightens, so a copy from the wrong place would show.
    for (int i : {0, 5, 6}) {
        const QImage alone = row[i]->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        for (QPoint p : {QPoint(1, 2), QPoint(128, 37), QPoint(40, 38)})
            EXPECT_EQ(alone.pixel(p), image.pixel(row[i]->geometry().topLeft() + p))
                << "button " << i << " at " << p.x() << "," << p.y();
        if (i > 0) {
            EXPECT_NE(image.pixel(row[i]->geometry().topLeft() + QPoint(128, 37)),
                      image.pixel(row[i]->geometry().topLeft() + QPoint(1, 37)))
                << "the band should brighten across button " << i;
        }
    }
}

} // namespace
