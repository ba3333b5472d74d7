#include "GuiTestSupport.h"

#include "widgets/CMyDialog.h"
#include "widgets/ImageResources.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>
#include <map>
#include <optional>

using namespace zel;
using zel::test::GrabWidget;
using HitCode = CMyDialog::HitCode;

namespace {

// A frame whose work area is an 800 x 600 screen with a 40-pixel taskbar along the bottom, and
// which counts close requests and can refuse them.
class TestDialog : public CMyDialog {
public:
    explicit TestDialog(bool mainWindow) : CMyDialog(nullptr, mainWindow) {}
    using CMyDialog::SetMovableByStrip;
    bool allowClose = true;
    int closeRequests = 0;

protected:
    bool CanClose() override {
        ++closeRequests;
        return allowClose;
    }
    QRect WorkArea() const override { return QRect(0, 0, 800, 560); }
};

void SendMouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons buttons, std::optional<QPoint> global = std::nullopt) {
    QMouseEvent event(type, QPointF(at), QPointF(global.value_or(w.mapToGlobal(at))), button,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void MoveTo(QWidget& w, QPoint at) {
    SendMouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
}

void Click(QWidget& w, QPoint at) {
    SendMouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

class CMyDialogTest : public ::testing::Test {
protected:
    void Show(TestDialog& dialog, int width = 600, int height = 400) {
        dialog.resize(width, height);
        dialog.show();
    }

    // Where an image pixel is opaque the frame shows it exactly; where it is clear the strip
    // shows through, and the strip's colour depends only on x, so row 23 (below every button)
    // gives the expected colour.
    static void ExpectImageAt(const QImage& frame, const QRect& rect, int imageId) {
        const auto image = LoadPngResource(imageId);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->size(), rect.size()) << imageId;
        int checked = 0;
        for (int y = 0; y < image->height(); ++y) {
            for (int x = 0; x < image->width(); ++x) {
                const QRgb source = image->pixel(x, y);
                const QRgb shown = frame.pixel(rect.x() + x, rect.y() + y);
                if (qAlpha(source) == 255) {
                    ASSERT_EQ(shown, source) << "image " << imageId << " at " << x << "," << y;
                    ++checked;
                } else if (qAlpha(source) == 0) {
                    ASSERT_EQ(shown, frame.pixel(rect.x() + x, 23))
                        << "image " << imageId << " at " << x << "," << y;
                    ++checked;
                }
            }
        }
        EXPECT_GT(checked, rect.width() * rect.height() / 2);
    }
};

TEST_F(CMyDialogTest, GeometryOfA600PixelWideWindow) {
    TestDialog main(true);
    main.resize(600, 400);
    EXPECT_EQ(main.TitleRect(), QRect(0, 0, 600, 25));
    EXPECT_EQ(main.MinimizeRect(), QRect(502, 1, 28, 20));
    EXPECT_EQ(main.MaximizeRect(), QRect(530, 1, 28, 20));
    EXPECT_EQ(main.CloseRect(), QRect(558, 1, 39, 20));

    struct Case {
        QPoint at;
        HitCode main;
        HitCode other;
    };
    const Case cases[] = {
        {{502, 1}, HitCode::Minimize, HitCode::Client},
        {{529, 20}, HitCode::Minimize, HitCode::Client},
        {{530, 1}, HitCode::Maximize, HitCode::Client},
        {{557, 20}, HitCode::Maximize, HitCode::Client},
        {{558, 1}, HitCode::Close, HitCode::Close},
        {{596, 20}, HitCode::Close, HitCode::Close},
        {{597, 10}, HitCode::Client, HitCode::Client},
        {{558, 21}, HitCode::Client, HitCode::Client},
        {{501, 10}, HitCode::Client, HitCode::Client},
        {{100, 10}, HitCode::Client, HitCode::Client},
        {{558, 0}, HitCode::Client, HitCode::Client},
    };
    TestDialog other(false);
    other.resize(600, 400);
    for (const Case& c : cases) {
        EXPECT_EQ(main.HitTest(c.at), c.main) << c.at.x() << "," << c.at.y();
        EXPECT_EQ(other.HitTest(c.at), c.other) << c.at.x() << "," << c.at.y();
    }
}

TEST_F(CMyDialogTest, StripIsDarkOnTheLeftAndBrightensToTheRight) {
    TestDialog dialog(true);
    Show(dialog);
    const QImage frame = GrabWidget(dialog, "frame");
    for (int x : {1, 150, 299, 300})
        EXPECT_EQ(frame.pixel(x, 23), 0xFF293955u) << x;
    // The right half runs the gradient from the dark to the light colour.
    EXPECT_TRUE(test::SameColour(frame.pixel(450, 23), qRgb(0x36, 0x48, 0x68), 3));
    EXPECT_TRUE(test::SameColour(frame.pixel(598, 23), 0xFF44587C, 3));
    int previous = 0;
    for (int x = 301; x < 599; x += 20) {
        const int blue = qBlue(frame.pixel(x, 23));
        EXPECT_GE(blue, previous) << x;
        previous = blue;
    }
    // Below the strip the dialog's own background, the outline on the edges.
    EXPECT_NE(frame.pixel(300, 30), 0xFF293955u);
    EXPECT_EQ(frame.pixel(300, 399), 0xFF000000u);
    EXPECT_EQ(frame.pixel(0, 200), 0xFF000000u);
    EXPECT_EQ(frame.pixel(599, 200), 0xFF000000u);
}

TEST_F(CMyDialogTest, FrameButtonsShowTheirNormalImages) {
    TestDialog main(true);
    Show(main);
    const QImage frame = GrabWidget(main, "main");
    ExpectImageAt(frame, main.MinimizeRect(), 256);
    ExpectImageAt(frame, main.MaximizeRect(), 253);
    ExpectImageAt(frame, main.CloseRect(), 250);

    TestDialog other(false);
    Show(other);
    const QImage plain = GrabWidget(other, "other");
    ExpectImageAt(plain, other.CloseRect(), 250);
    // Where the main window has minimise and maximise, the strip is bare.
    for (int x = 502; x < 558; ++x)
        for (int y = 1; y < 21; ++y)
            ASSERT_EQ(plain.pixel(x, y), plain.pixel(x, 23)) << x << "," << y;
}

TEST_F(CMyDialogTest, HoverAndPressedImages) {
    TestDialog main(true);
    Show(main);
    MoveTo(main, main.CloseRect().center());
    ExpectImageAt(GrabWidget(main, "close-hover"), main.CloseRect(), 249);

    MoveTo(main, main.MinimizeRect().center());
    QImage frame = GrabWidget(main, "minimise-hover");
    ExpectImageAt(frame, main.MinimizeRect(), 255);
    ExpectImageAt(frame, main.CloseRect(), 250);

    MoveTo(main, main.MaximizeRect().center());
    ExpectImageAt(GrabWidget(main, "maximise-hover"), main.MaximizeRect(), 252);

    SendMouse(main, QEvent::MouseButtonPress, main.CloseRect().center(), Qt::LeftButton,
              Qt::LeftButton);
    ExpectImageAt(GrabWidget(main, "close-pressed"), main.CloseRect(), 248);
    // Let go over the client area: the press is cancelled and nothing closes.
    SendMouse(main, QEvent::MouseButtonRelease, QPoint(300, 200), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(main.closeRequests, 0);
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.PressedButton(), HitCode::Client);

    SendMouse(main, QEvent::MouseButtonPress, main.MinimizeRect().center(), Qt::LeftButton,
              Qt::LeftButton);
    ExpectImageAt(GrabWidget(main, "minimise-pressed"), main.MinimizeRect(), 254);
    SendMouse(main, QEvent::MouseButtonPress, main.MaximizeRect().center(), Qt::LeftButton,
              Qt::LeftButton);
    ExpectImageAt(GrabWidget(main, "maximise-pressed"), main.MaximizeRect(), 251);
}

TEST_F(CMyDialogTest, HoveredImageStaysWhenThePointerMovesIntoTheClientArea) {
    TestDialog dialog(false);
    Show(dialog);
    MoveTo(dialog, dialog.CloseRect().center());
    MoveTo(dialog, QPoint(300, 200));
    EXPECT_EQ(dialog.HoveredButton(), HitCode::Close);
    ExpectImageAt(GrabWidget(dialog, "hover-stays"), dialog.CloseRect(), 249);
    // A new size repaints the frame afresh.
    dialog.resize(500, 300);
    ExpectImageAt(GrabWidget(dialog, "hover-gone"), dialog.CloseRect(), 250);
}

TEST_F(CMyDialogTest, HoveredImageGoesWithTheNextRepaintOfTheButtons) {
    TestDialog main(true);
    Show(main);
    MoveTo(main, main.CloseRect().center());
    // Painting elsewhere leaves the frame buttons alone.
    main.repaint(QRect(100, 100, 200, 100));
    EXPECT_EQ(main.HoveredButton(), HitCode::Close);
    ExpectImageAt(GrabWidget(main, "hover-shown"), main.CloseRect(), 249);

    // Any later paint of the buttons draws the normal images.
    ExpectImageAt(GrabWidget(main, "hover-repainted"), main.CloseRect(), 250);
    EXPECT_EQ(main.HoveredButton(), HitCode::Client);

    // The next movement over a button lights it again, the same button included.
    MoveTo(main, main.CloseRect().center() + QPoint(1, 0));
    ExpectImageAt(GrabWidget(main, "hover-again"), main.CloseRect(), 249);
    MoveTo(main, main.MinimizeRect().center());
    const QImage frame = GrabWidget(main, "hover-minimise");
    ExpectImageAt(frame, main.MinimizeRect(), 255);
    ExpectImageAt(frame, main.CloseRect(), 250);
    main.update();
    QApplication::processEvents();
    EXPECT_EQ(main.HoveredButton(), HitCode::Client);
    ExpectImageAt(GrabWidget(main, "hover-gone"), main.MinimizeRect(), 256);
}

// The frame buttons a screen reader finds in the window's accessible interface, by name.
std::map<QString, QAccessibleInterface*> FrameButtons(QWidget& window) {
    std::map<QString, QAccessibleInterface*> buttons;
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&window);
    for (int i = 0; frame && i < frame->childCount(); ++i) {
        QAccessibleInterface* child = frame->child(i);
        if (child && !child->object() && child->role() == QAccessible::Button) {
            EXPECT_EQ(frame->indexOfChild(child), i);
            buttons[child->text(QAccessible::Name)] = child;
        }
    }
    return buttons;
}

void Press(QAccessibleInterface* button) {
    ASSERT_TRUE(button && button->actionInterface());
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

TEST_F(CMyDialogTest, CloseRequestsGoToTheDerivedWindow) {
    TestDialog dialog(false);
    Show(dialog);
    dialog.allowClose = false;
    Click(dialog, dialog.CloseRect().center());
    EXPECT_EQ(dialog.closeRequests, 1);
    EXPECT_TRUE(dialog.isVisible());

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &escape);
    EXPECT_EQ(dialog.closeRequests, 2);
    EXPECT_TRUE(dialog.isVisible());

    // The drawn close button, pressed by assistive technology, asks the same.
    auto buttons = FrameButtons(dialog);
    ASSERT_EQ(buttons.size(), 1u);
    Press(buttons[QStringLiteral("关闭")]);
    EXPECT_EQ(dialog.closeRequests, 3);
    EXPECT_EQ(buttons[QStringLiteral("关闭")]->rect(),
              QRect(dialog.mapToGlobal(dialog.CloseRect().topLeft()), dialog.CloseRect().size()));

    dialog.allowClose = true;
    Click(dialog, dialog.CloseRect().center());
    EXPECT_EQ(dialog.closeRequests, 4);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(CMyDialogTest, MaximiseFillsTheWorkAreaAndRestoreComesBackCentred) {
    TestDialog main(true);
    Show(main, 600, 400);
    Click(main, main.MaximizeRect().center());
    EXPECT_TRUE(main.IsMaximizedInWorkArea());
    EXPECT_EQ(main.geometry(), QRect(0, 0, 800, 560)); // the taskbar stays uncovered
    EXPECT_EQ(main.CloseRect(), QRect(758, 1, 39, 20));
    MoveTo(main, main.MaximizeRect().center());
    ExpectImageAt(GrabWidget(main, "maximised"), main.MaximizeRect(), 258);
    MoveTo(main, main.CloseRect().center());
    ExpectImageAt(GrabWidget(main, "maximised-restore"), main.MaximizeRect(), 259);

    Click(main, main.MaximizeRect().center());
    EXPECT_FALSE(main.IsMaximizedInWorkArea());
    EXPECT_EQ(main.size(), QSize(600, 400));
    EXPECT_EQ(main.geometry().center(), QRect(0, 0, 800, 560).center());
    ExpectImageAt(GrabWidget(main, "restored"), main.MaximizeRect(), 253);

    Click(main, main.MinimizeRect().center());
    EXPECT_TRUE(main.isMinimized());

    // The same three buttons for assistive technology; maximise says what it will do.
    main.showNormal();
    auto buttons = FrameButtons(main);
    ASSERT_EQ(buttons.size(), 3u);
    Press(buttons[QStringLiteral("最大化")]);
    EXPECT_TRUE(main.IsMaximizedInWorkArea());
    EXPECT_EQ(buttons[QStringLiteral("最大化")]->text(QAccessible::Name), QStringLiteral("还原"));
    Press(buttons[QStringLiteral("最大化")]);
    EXPECT_FALSE(main.IsMaximizedInWorkArea());
    Press(buttons[QStringLiteral("最小化")]);
    EXPECT_TRUE(main.isMinimized());
}

// A tool window that lets itself be moved follows the pointer holding its strip; others stay.
TEST_F(CMyDialogTest, OnlyAMovableWindowFollowsThePointerHoldingItsStrip) {
    for (const bool movable : {false, true}) {
        TestDialog dialog(false);
        dialog.SetMovableByStrip(movable);
        Show(dialog);
        const QPoint start = dialog.pos();
        const QPoint grip(100, 10);
        const QPoint global = dialog.mapToGlobal(grip);
        SendMouse(dialog, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
        SendMouse(dialog, QEvent::MouseMove, grip, Qt::NoButton, Qt::LeftButton,
                  global + QPoint(30, 20));
        SendMouse(dialog, QEvent::MouseButtonRelease, grip, Qt::LeftButton, Qt::NoButton,
                  global + QPoint(30, 20));
        EXPECT_EQ(dialog.pos(), movable ? start + QPoint(30, 20) : start) << movable;
        EXPECT_TRUE(dialog.isVisible());
    }
}

TEST_F(CMyDialogTest, MaskRoundsTheFourCorners) {
    TestDialog dialog(false);
    Show(dialog, 300, 200);
    for (int pass = 0; pass < 2; ++pass) {
        const QRegion mask = dialog.mask();
        const int r = dialog.width() - 1;
        const int b = dialog.height() - 1;
        // Outside: the two corner pixels of the first row and one of the second, per corner.
        for (QPoint p : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(r, 0), QPoint(r - 1, 0),
                         QPoint(r, 1), QPoint(0, b), QPoint(1, b), QPoint(0, b - 1), QPoint(r, b),
                         QPoint(r - 1, b), QPoint(r, b - 1)})
            EXPECT_FALSE(mask.contains(p)) << p.x() << "," << p.y() << " pass " << pass;
        for (QPoint p :
             {QPoint(2, 0), QPoint(1, 1), QPoint(0, 2), QPoint(r - 2, 0), QPoint(r - 1, 1),
              QPoint(r, 2), QPoint(2, b), QPoint(1, b - 1), QPoint(0, b - 2), QPoint(r - 2, b),
              QPoint(r - 1, b - 1), QPoint(r, b - 2), QPoint(150, 0), QPoint(0, 100)})
            EXPECT_TRUE(mask.contains(p)) << p.x() << "," << p.y() << " pass " << pass;
        dialog.resize(420, 260); // the mask follows the size
    }
}

TEST_F(CMyDialogTest, FrameIsDrawnOverTheDerivedWindowsPainting) {
    class Painted : public CMyDialog {
    protected:
        void PaintClient(QPainter& painter) override {
            painter.fillRect(rect(), Qt::red);
            painter.setPen(Qt::green); // the frame must not inherit the pen
        }
    } dialog;
    dialog.resize(300, 200);
    dialog.show();
    const QImage frame = GrabWidget(dialog, "painted");
    EXPECT_EQ(frame.pixel(150, 100), 0xFFFF0000u);
    EXPECT_EQ(frame.pixel(100, 23), 0xFF293955u);
    EXPECT_EQ(frame.pixel(150, 199), 0xFF000000u);
    EXPECT_EQ(frame.pixel(299, 100), 0xFF000000u);
}

TEST_F(CMyDialogTest, TitleAndLogoAreDrawnInTheStrip) {
    TestDialog dialog(false);
    EXPECT_EQ(dialog.Title(), QStringLiteral("Kestova"));
    dialog.SetTitle(QStringLiteral("Velquist－记录查看"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Velquist－记录查看"));
    Show(dialog);
    const QImage frame = GrabWidget(dialog, "titled");
    const QRect title =
        test::BoundingBox(frame, QRect(33, 0, 400, 25), [](QRgb c) { return qRed(c) > 0xE0; });
    ASSERT_FALSE(title.isEmpty());
    EXPECT_GE(title.left(), 35);
    EXPECT_GE(title.top(), 6);
    EXPECT_LE(title.bottom(), 24);
    EXPECT_GT(title.width(), 100); // the whole title, not a letter or two

    // The logo fills 24 x 24 at 8, 1 and nothing beyond it.
    const QRect logo = test::BoundingBox(frame, QRect(0, 0, 34, 25), [](QRgb c) {
        return qAlpha(c) == 255 && c != 0xFF293955u && c != 0xFF000000u;
    });
    EXPECT_TRUE(QRect(8, 1, 24, 24).contains(logo))
        << logo.x() << "," << logo.y() << " " << logo.width() << "x" << logo.height();
    EXPECT_GT(logo.width(), 20);
}

} // namespace
