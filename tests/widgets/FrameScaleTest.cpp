// The skinned frame and the image buttons on a display scaled by QT_SCALE_FACTOR (ctest runs
// this program at 1.25, 1.5 and 2): from 1.5 on, the images drawn at their natural size come
// from their sharp copies.
#include "GuiTestSupport.h"

#include "widgets/CButtonTR.h"
#include "widgets/CMyDialog.h"
#include "widgets/ImageResources.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

using namespace zel;
using zel::test::GrabWidget;

namespace {

class FrameScaleTest : public ::testing::Test {
protected:
    void SetUp() override { ratio = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble(); }

    // At ratio 2 every opaque pixel of the sharp image shows unchanged at twice the client
    // position; `image` is in device pixels.
    static void ExpectPixelsAt(const QImage& shot, QPoint clientAt, const QImage& image) {
        const QImage source = image.convertToFormat(QImage::Format_ARGB32);
        int opaque = 0;
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                if (qAlpha(source.pixel(x, y)) == 255) {
                    ASSERT_EQ(shot.pixel(2 * clientAt.x() + x, 2 * clientAt.y() + y),
                              source.pixel(x, y))
                        << x << "," << y;
                    ++opaque;
                }
        EXPECT_GT(opaque, 0);
    }

    double ratio = 1;
};

TEST_F(FrameScaleTest, FrameButtonsShowTheirSharpCopiesAtRatio2) {
    if (ratio != 2)
        GTEST_SKIP() << "exact pixels only where the copies are not resampled";
    CMyDialog main(nullptr, true);
    main.resize(600, 400);
    main.show();
    QImage shot = GrabWidget(main, QStringLiteral("frame-ratio2"));
    ASSERT_EQ(shot.size(), QSize(1200, 800));
    ExpectPixelsAt(shot, main.CloseRect().topLeft(), *LoadPngResource(250, ratio));
    ExpectPixelsAt(shot, main.MaximizeRect().topLeft(), *LoadPngResource(253, ratio));
    ExpectPixelsAt(shot, main.MinimizeRect().topLeft(), *LoadPngResource(256, ratio));

    QMouseEvent move(QEvent::MouseMove, QPointF(main.CloseRect().center()),
                     QPointF(main.mapToGlobal(main.CloseRect().center())), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &move);
    shot = GrabWidget(main, QStringLiteral("close-hover-ratio2"));
    ExpectPixelsAt(shot, main.CloseRect().topLeft(), *LoadPngResource(249, ratio));
}

TEST_F(FrameScaleTest, ButtonIconsShowTheirSharpCopiesAtRatio2) {
    if (ratio != 2)
        GTEST_SKIP() << "exact pixels only where the copies are not resampled";
    QWidget parent;
    parent.resize(300, 60);
    auto* button = new CButtonTR(QStringLiteral("退出"), &parent);
    button->setGeometry(10, 10, 130, 40);
    button->SetIcon(133);
    auto* small = new CButtonTR(QStringLiteral("设置"), &parent);
    small->setGeometry(150, 10, 130, 40);
    small->SetIcon(136);
    parent.show();

    // A 130 x 40 button draws its 32 x 32 icon at 4, 5: 64 pixels of the icon's @2x file.
    const QImage shot = GrabWidget(*button, QStringLiteral("icon133-ratio2"));
    ASSERT_EQ(shot.size(), QSize(260, 80));
    ExpectPixelsAt(shot, QPoint(4, 5), QImage(QStringLiteral(":/icons/133-32@2x.png")));

    // An icon that exists only at 16 x 16 is its 32-pixel @2x copy doubled pixel for pixel.
    const QImage doubled = GrabWidget(*small, QStringLiteral("icon136-ratio2"));
    QImage file = QImage(QStringLiteral(":/icons/136-16@2x.png"));
    ExpectPixelsAt(doubled, QPoint(4, 5),
                   file.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

// A look at the frame and a row of buttons at each scale (ZEL_SNAPSHOT_DIR).
TEST_F(FrameScaleTest, FrameAndButtonsSnapshot) {
    CMyDialog main(nullptr, true);
    main.SetTitle(QStringLiteral("Velquist－记录查看"));
    main.resize(600, 120);
    auto* button = new CButtonTR(QStringLiteral("实时录制"), &main);
    button->setGeometry(15, 30, 130, 40);
    button->SetIcon(135);
    main.show();
    const QImage shot = GrabWidget(main, QStringLiteral("frame-ratio%1").arg(ratio));
    EXPECT_EQ(shot.size(), QSize(qRound(600 * ratio), qRound(120 * ratio)));
}

} // namespace
